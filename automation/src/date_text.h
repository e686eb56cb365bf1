// Dates as automation values: serial numbers (days since 1899-12-30, the fraction is the
// time of day, counted forward even below zero) and their text forms in the user's date
// format.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace automation {

// The serial of a calendar date and time; the time is a fraction of a day in [0, 1).
double DateSerialFromParts(int32_t year, int32_t month, int32_t day, double timeFraction);

struct DateParts {
  int32_t year, month, day;
  int32_t hour, minute, second;
};
// Splits a valid serial, rounding the time to the nearest second.
DateParts DatePartsFromSerial(double serial);

// The short date and long time ("1/2/1900 8:09:36 AM", "2.1.1900 8:09:36"); no date part
// when the whole part is 0, no time part when the time is midnight.
std::u16string FormatDate(double serial);

// Reads a date and/or time written with the user's date format: numbers separated by date
// separators, blanks or commas, month and day names, a time with its separator (and "."
// where that does not separate dates), AM/PM words. Nothing when the text is not a date
// (a number alone, such as "1", is not).
std::optional<double> ParseDate(std::u16string_view text);

}  // namespace automation
