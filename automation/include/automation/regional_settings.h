// The user's regional settings: how numbers, dates and times are written and read as text
// by every conversion of the automation layer and by the database client.
//
// They come from the environment the way the C library picks its categories: LC_ALL, else
// LC_NUMERIC for numbers and LC_TIME for dates and times, else LANG; an unset or empty
// variable is skipped. A locale of the Czech language ("cs_CZ.UTF-8", "cs") gives cs-CZ;
// "C", "POSIX", nothing at all and every other locale give en-US. The settings are our own
// tables, not the C library's locale database, so they hold whatever locales the machine has.
// They are read once, on first use, and kept for the process.
#pragma once

#include <array>
#include <functional>
#include <string_view>

namespace automation {

enum class DateOrder { kMonthDayYear, kDayMonthYear, kYearMonthDay };

// How numbers are written. The group separator and the currency symbol are accepted when a
// text is read and never written.
struct NumberFormat {
  std::string_view name;  // "en-US"
  char16_t decimalSeparator;
  char16_t groupSeparator;
  std::u16string_view currencySymbol;
};

// How dates and times are written: the short date in `order` with `dateSeparator` and
// numbers without leading zeros, the time as h:mm:ss, on a twelve-hour clock with `am` and
// `pm` behind it or on a 24-hour clock.
struct DateFormat {
  std::string_view name;
  DateOrder order;
  char16_t dateSeparator;
  char16_t timeSeparator;
  bool twelveHourClock;
  std::u16string_view am;
  std::u16string_view pm;
  // Names read in dates; other forms are further grammatical cases ("2. ledna"), or empty.
  std::array<std::u16string_view, 12> monthNames;
  std::array<std::u16string_view, 12> monthNameOtherForms;
  std::array<std::u16string_view, 12> monthAbbreviations;
  std::array<std::u16string_view, 7> dayNames;  // read and ignored
  std::array<std::u16string_view, 7> dayAbbreviations;
};

struct RegionalSettings {
  const NumberFormat* numbers;
  const DateFormat* dates;
};

enum class Region { kEnglishUnitedStates, kCzech };

const NumberFormat& NumberFormatOf(Region region) noexcept;
const DateFormat& DateFormatOf(Region region) noexcept;
RegionalSettings SettingsOf(Region region) noexcept;

// The region of a POSIX locale name such as "cs_CZ.UTF-8", "C" or "en_US".
Region RegionOfLocaleName(std::string_view name) noexcept;

// The settings that an environment gives; `lookup` reads one variable, nullptr when unset.
using EnvironmentLookup = std::function<const char*(const char* variable)>;
RegionalSettings RegionalSettingsFromEnvironment(const EnvironmentLookup& lookup);

// The settings in use: the process environment's, unless replaced.
const NumberFormat& CurrentNumberFormat() noexcept;
const DateFormat& CurrentDateFormat() noexcept;
RegionalSettings CurrentRegionalSettings() noexcept;
// Replaces the settings for the whole process (a program that chooses its own; tests).
void SetRegionalSettings(RegionalSettings settings) noexcept;

}  // namespace automation
