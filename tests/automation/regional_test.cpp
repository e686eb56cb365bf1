// The user's regional settings: which settings an environment gives, and the same
// conversion and text-form tables read and written under en-US and cs-CZ.
#include <ctime>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "automation/regional_settings.h"
#include "regional_scope.h"
#include "test_support.h"

namespace automation_test {
namespace {

using automation::Currency;
using automation::Region;
using talmo::testing::RegionalScope;
using talmo::testing::RegionTestName;

constexpr Region kEn = Region::kEnglishUnitedStates;
constexpr Region kCs = Region::kCzech;

struct EnvironmentRow {
  std::string name;
  std::map<std::string, std::string> variables;
  Region numbers;
  Region dates;
};

class Environment : public ::testing::TestWithParam<EnvironmentRow> {};

TEST_P(Environment, PicksEachCategoryLikeTheCLibrary) {
  const EnvironmentRow& row = GetParam();
  const automation::RegionalSettings settings =
      automation::RegionalSettingsFromEnvironment([&](const char* name) -> const char* {
        const auto it = row.variables.find(name);
        return it == row.variables.end() ? nullptr : it->second.c_str();
      });
  EXPECT_EQ(settings.numbers, &automation::NumberFormatOf(row.numbers));
  EXPECT_EQ(settings.dates, &automation::DateFormatOf(row.dates));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Environment,
    ::testing::Values(
        EnvironmentRow{"NothingSet", {}, kEn, kEn},
        EnvironmentRow{"CzechLang", {{"LANG", "cs_CZ.UTF-8"}}, kCs, kCs},
        EnvironmentRow{"LanguageWithModifier", {{"LANG", "cs_CZ@euro"}}, kCs, kCs},
        EnvironmentRow{"CLocale", {{"LANG", "C"}}, kEn, kEn},
        EnvironmentRow{"OtherLanguage", {{"LANG", "de_DE.UTF-8"}}, kEn, kEn},
        EnvironmentRow{"LanguageStartingWithCs", {{"LANG", "csb_PL.UTF-8"}}, kEn, kEn},
        EnvironmentRow{"AllOverridesTheRest",
                       {{"LC_ALL", "C"}, {"LC_NUMERIC", "cs_CZ.UTF-8"}, {"LANG", "cs_CZ.UTF-8"}},
                       kEn,
                       kEn},
        EnvironmentRow{"EmptyCountsAsUnset", {{"LC_ALL", ""}, {"LANG", "cs_CZ.UTF-8"}}, kCs, kCs},
        EnvironmentRow{
            "NumbersOnly", {{"LC_NUMERIC", "cs_CZ.UTF-8"}, {"LANG", "en_US.UTF-8"}}, kCs, kEn},
        EnvironmentRow{"TimesOnly", {{"LC_TIME", "cs_CZ.UTF-8"}}, kEn, kCs},
        EnvironmentRow{
            "CategoryBeforeLang", {{"LC_TIME", "C"}, {"LANG", "cs_CZ.UTF-8"}}, kCs, kEn}),
    [](const auto& info) { return info.param.name; });

// Seconds into the day as a date fraction.
double Time(int h, int m, int s) { return (h * 3600 + m * 60 + s) / 86400.0; }

// One value written as each region writes it. A region's text may be missing (nullptr) when
// the row says something about the other region only.
struct RegionalRow {
  std::string name;
  const char16_t* enUS;
  const char16_t* csCZ;
  VarType target;
  Variant expected;  // when `error` is 0
  int32_t error = 0;
};

RegionalRow Ok(std::string name, const char16_t* en, const char16_t* cs, VarType target,
               Variant expected) {
  return {std::move(name), en, cs, target, std::move(expected), 0};
}
RegionalRow Err(std::string name, const char16_t* en, const char16_t* cs, VarType target,
                int32_t error) {
  return {std::move(name), en, cs, target, Variant(), error};
}

// The serial of day/month in the current year, as a date without a year is read.
double ThisYear(int month, int day) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::tm date{};
  date.tm_year = local.tm_year;
  date.tm_mon = month - 1;
  date.tm_mday = day;
  date.tm_hour = 12;
  return static_cast<double>(timegm(&date) / 86400) + 25569.0;
}

std::vector<RegionalRow> ConversionRows() {
  constexpr VarType kDbl = VarType::kDouble;
  constexpr VarType kDate = VarType::kDate;
  return {
      // Numbers.
      Ok("Fraction", u"2.25", u"2,25", kDbl, Variant(2.25)),
      Ok("Grouped", u"1,234.5", u"1\u00A0234,5", kDbl, Variant(1234.5)),
      Ok("Exponent", u"1.5e3", u"1,5e3", kDbl, Variant(1500.0)),
      Ok("CurrencySymbol", u"$12.5", u"12,5 Kč", VarType::kCurrency, Variant(Currency{125000})),
      Ok("LongTieToEven", u"2.5", u"2,5", VarType::kLong, Variant(int32_t{2})),
      Ok("BooleanFraction", u"0.1", u"0,1", VarType::kBoolean, Variant(true)),
      Err("OtherRegionsCurrency", u"12 Kč", u"$12", kDbl, 13),
      Err("DotInCzech", nullptr, u"2.25", kDbl, 13),
      Err("PlainBlankIsNoGroupInCzech", nullptr, u"1 000", kDbl, 13),
      Ok("CommaGroupsInEnglish", u"2,25", nullptr, kDbl, Variant(225.0)),
      // Dates and times.
      Ok("ShortDate", u"1/2/1970", u"2.1.1970", kDate, Variant::Date(25570)),
      Ok("DateAndTime", u"6/30/2011 1:20:34 PM", u"30.6.2011 13:20:34", kDate,
         Variant::Date(40724 + Time(13, 20, 34))),
      Ok("TimeOnly", u"1:20:34 PM", u"13:20:34", kDate, Variant::Date(Time(13, 20, 34))),
      Ok("BlankSeparated", u"1 2 1970", u"2 1 1970", kDate, Variant::Date(25570)),
      Ok("MonthName", u"2 January 1970", u"2. ledna 1970", kDate, Variant::Date(25570)),
      Ok("WeekdayIgnored", u"Friday, January 2, 1970", u"pátek 2. ledna 1970", kDate,
         Variant::Date(25570)),
      Ok("OwnDesignator", u"1:05 PM", u"1:05 odp.", kDate, Variant::Date(Time(13, 5, 0))),
      Ok("EnglishLetterDesignator", u"12:59 p", u"12:59 p", kDate, Variant::Date(Time(12, 59, 0))),
      Ok("OnlyTheOtherOrderFits", u"13/1/2000", u"1/13/2000", kDate, Variant::Date(36538)),
      Ok("DayAndMonthThisYear", u"2/5", u"5.2", kDate, Variant::Date(ThisYear(2, 5))),
      Err("NoSuchDay", u"2/30/2000", u"30.2.2000", kDate, 13),
      Ok("DotIsATimeInEnglish", u"2.5", nullptr, kDate, Variant::Date(Time(2, 5, 0))),
      Ok("DotIsADateInCzech", nullptr, u"2.5", kDate, Variant::Date(ThisYear(5, 2))),
      Err("DottedDateInEnglish", u"02.01.1970", nullptr, kDate, 13),
  };
}

const char16_t* TextOf(Region region, const RegionalRow& row) {
  return region == kCs ? row.csCZ : row.enUS;
}

using RegionalCase = std::tuple<Region, RegionalRow>;

// Every row under each region that writes it.
std::vector<RegionalCase> ConversionCases() {
  std::vector<RegionalCase> cases;
  for (Region region : talmo::testing::kRegions) {
    for (const RegionalRow& row : ConversionRows()) {
      if (TextOf(region, row) != nullptr) cases.emplace_back(region, row);
    }
  }
  return cases;
}

class RegionalConversion : public ::testing::TestWithParam<RegionalCase> {};

TEST_P(RegionalConversion, ReadsTheRegionsText) {
  const auto& [region, row] = GetParam();
  const RegionalScope scope(region);
  const Variant input(TextOf(region, row));
  if (row.error != 0) {
    EXPECT_EQ(ErrorOf([&] { input.ChangeType(row.target); }), row.error);
    return;
  }
  Variant converted;
  ASSERT_EQ(ErrorOf([&] { converted = input.ChangeType(row.target); }), 0);
  EXPECT_TRUE(SameValue(converted, row.expected));
}

INSTANTIATE_TEST_SUITE_P(Rules, RegionalConversion, ::testing::ValuesIn(ConversionCases()),
                         [](const auto& info) {
                           return RegionTestName(std::get<0>(info.param)) + "_" +
                                  std::get<1>(info.param).name;
                         });

struct TextRow {
  std::string name;
  Variant value;
  std::u16string enUS;
  std::u16string csCZ;
};

std::vector<TextRow> TextRows() {
  return {
      {"Double", Variant(2.25), u"2.25", u"2,25"},
      {"DoubleNeverGrouped", Variant(-1234.5), u"-1234.5", u"-1234,5"},
      {"Single", Variant(-0.1f), u"-0.1", u"-0,1"},
      {"Currency", Variant(Currency{15000}), u"1.5", u"1,5"},
      {"BooleanIsEnglishEverywhere", Variant(true), u"True", u"True"},
      {"DateAndTime", Variant::Date(3.34), u"1/2/1900 8:09:36 AM", u"2.1.1900 8:09:36"},
      {"Afternoon", Variant::Date(2.75), u"1/1/1900 6:00:00 PM", u"1.1.1900 18:00:00"},
      {"Midnight", Variant::Date(0), u"12:00:00 AM", u"0:00:00"},
      {"DateOnly", Variant::Date(365), u"12/30/1900", u"30.12.1900"},
  };
}

using TextCase = std::tuple<Region, TextRow>;

class RegionalTextForm : public ::testing::TestWithParam<TextCase> {};

TEST_P(RegionalTextForm, WritesTheRegionsTextAndReadsItBack) {
  const auto& [region, row] = GetParam();
  const RegionalScope scope(region);
  const std::u16string text = row.value.ToString();
  EXPECT_EQ(Utf8(text), Utf8(region == kCs ? row.csCZ : row.enUS));
  if (row.value.type() == VarType::kBoolean) return;
  Variant back;
  ASSERT_EQ(ErrorOf([&] { back = Variant(text).ChangeType(row.value.type()); }), 0);
  EXPECT_TRUE(SameValue(back, row.value));
}

INSTANTIATE_TEST_SUITE_P(Rules, RegionalTextForm,
                         ::testing::Combine(::testing::ValuesIn(talmo::testing::kRegions),
                                            ::testing::ValuesIn(TextRows())),
                         [](const auto& info) {
                           return RegionTestName(std::get<0>(info.param)) + "_" +
                                  std::get<1>(info.param).name;
                         });

// Text met in arithmetic and concatenation follows the settings as CStr and CDbl do.
TEST(RegionalArithmetic, TextOperandsAndConcatenationUseTheSettings) {
  const RegionalScope scope(kCs);
  EXPECT_TRUE(SameValue(automation::Add(Variant(u"2,5"), Variant(int32_t{1})), Variant(3.5)));
  EXPECT_EQ(ErrorOf([] { automation::Add(Variant(u"2.5"), Variant(int32_t{1})); }), 13);
  EXPECT_EQ(Utf8(automation::Concat(Variant(0.5), Variant(u"x")).ToString()), "0,5x");
}

}  // namespace
}  // namespace automation_test
