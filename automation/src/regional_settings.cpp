#include "automation/regional_settings.h"

#include <atomic>
#include <cstdlib>
#include <initializer_list>

namespace automation {
namespace {

constexpr NumberFormat kEnglishNumbers{"en-US", u'.', u',', u"$"};

// The group separator is the no-break space, so "." is neither separator: "2.25" is not a
// number in Czech rather than 225 or 2.25.
constexpr NumberFormat kCzechNumbers{"cs-CZ", u',', u'\u00A0', u"Kč"};

constexpr DateFormat kEnglishDates{
    "en-US",
    DateOrder::kMonthDayYear,
    u'/',
    u':',
    true,
    u"AM",
    u"PM",
    {u"January", u"February", u"March", u"April", u"May", u"June", u"July", u"August", u"September",
     u"October", u"November", u"December"},
    {},
    {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun", u"Jul", u"Aug", u"Sep", u"Oct", u"Nov",
     u"Dec"},
    {u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"},
    {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"},
};

constexpr DateFormat kCzechDates{
    "cs-CZ",
    DateOrder::kDayMonthYear,
    u'.',
    u':',
    false,
    u"dop.",
    u"odp.",
    {u"leden", u"únor", u"březen", u"duben", u"květen", u"červen", u"červenec", u"srpen", u"září",
     u"říjen", u"listopad", u"prosinec"},
    {u"ledna", u"února", u"března", u"dubna", u"května", u"června", u"července", u"srpna", u"září",
     u"října", u"listopadu", u"prosince"},
    {u"led", u"úno", u"bře", u"dub", u"kvě", u"čvn", u"čvc", u"srp", u"zář", u"říj", u"lis",
     u"pro"},
    {u"neděle", u"pondělí", u"úterý", u"středa", u"čtvrtek", u"pátek", u"sobota"},
    {u"ne", u"po", u"út", u"st", u"čt", u"pá", u"so"},
};

// The first variable of `names` that is set and not empty, as glibc picks a category.
std::string_view FirstSet(const EnvironmentLookup& lookup,
                          std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const char* value = lookup(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

struct Current {
  explicit Current(RegionalSettings settings) : numbers(settings.numbers), dates(settings.dates) {}
  std::atomic<const NumberFormat*> numbers;
  std::atomic<const DateFormat*> dates;
};

// Read from the environment on first use; a conversion after that costs one atomic load.
Current& State() noexcept {
  static Current current(
      RegionalSettingsFromEnvironment([](const char* name) { return std::getenv(name); }));
  return current;
}

}  // namespace

const NumberFormat& NumberFormatOf(Region region) noexcept {
  return region == Region::kCzech ? kCzechNumbers : kEnglishNumbers;
}

const DateFormat& DateFormatOf(Region region) noexcept {
  return region == Region::kCzech ? kCzechDates : kEnglishDates;
}

RegionalSettings SettingsOf(Region region) noexcept {
  return {&NumberFormatOf(region), &DateFormatOf(region)};
}

// The language is the part before the territory, code set or modifier: "cs" in "cs_CZ.UTF-8",
// "cs-CZ" and "cs@euro".
Region RegionOfLocaleName(std::string_view name) noexcept {
  const std::string_view language = name.substr(0, name.find_first_of("_-.@"));
  const bool czech = language.size() == 2 && (language[0] == 'c' || language[0] == 'C') &&
                     (language[1] == 's' || language[1] == 'S');
  return czech ? Region::kCzech : Region::kEnglishUnitedStates;
}

RegionalSettings RegionalSettingsFromEnvironment(const EnvironmentLookup& lookup) {
  const Region numbers = RegionOfLocaleName(FirstSet(lookup, {"LC_ALL", "LC_NUMERIC", "LANG"}));
  const Region dates = RegionOfLocaleName(FirstSet(lookup, {"LC_ALL", "LC_TIME", "LANG"}));
  return {&NumberFormatOf(numbers), &DateFormatOf(dates)};
}

const NumberFormat& CurrentNumberFormat() noexcept {
  return *State().numbers.load(std::memory_order_acquire);
}

const DateFormat& CurrentDateFormat() noexcept {
  return *State().dates.load(std::memory_order_acquire);
}

RegionalSettings CurrentRegionalSettings() noexcept {
  return {&CurrentNumberFormat(), &CurrentDateFormat()};
}

void SetRegionalSettings(RegionalSettings settings) noexcept {
  State().numbers.store(settings.numbers, std::memory_order_release);
  State().dates.store(settings.dates, std::memory_order_release);
}

}  // namespace automation
