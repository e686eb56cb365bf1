// The locale conventions that text forms of numbers and dates follow. en-US is the one
// locale in use; every rule that depends on a locale reads it from here.
#pragma once

#include <array>
#include <string_view>

namespace automation {

enum class DateOrder { kMonthDayYear, kDayMonthYear, kYearMonthDay };

struct ValueLocale {
  char16_t decimalSeparator;
  char16_t groupSeparator;
  std::u16string_view currencySymbol;
  char16_t dateSeparator;
  DateOrder dateOrder;
  char16_t timeSeparator;
  std::u16string_view am;
  std::u16string_view pm;
  std::array<std::u16string_view, 12> monthNames;
  std::array<std::u16string_view, 12> monthAbbreviations;
  std::array<std::u16string_view, 7> dayNames;  // accepted and ignored when parsing dates
  std::array<std::u16string_view, 7> dayAbbreviations;
};

const ValueLocale& CurrentValueLocale() noexcept;

}  // namespace automation
