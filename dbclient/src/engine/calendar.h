// Day numbers and times of day: the calendar behind Date and Time fields.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dbclient::calendar {

// Day numbers count days since 1899-12-30, the automation zero date, so a stored Date is the
// whole part of an automation date and 0 is the undefined date.
inline constexpr int32_t kFirstDay = -657434;  // 0100-01-01
inline constexpr int32_t kLastDay = 2958465;   // 9999-12-31
inline constexpr int32_t kMillisecondsPerDay = 86400000;

struct CivilDate {
  int32_t year;
  int32_t month;  // 1..12
  int32_t day;    // 1..31
};

int32_t DayNumber(const CivilDate& date);  // no range check
CivilDate FromDayNumber(int32_t day);
bool IsValid(const CivilDate& date);  // month and day in range, year 100..9999

// Date text: YYYY-MM-DD, M/D/YYYY (in the user's date order: D/M/YYYY in cs-CZ) or
// D.M.YYYY; two-digit years 0-29 are 20xx, 30-99 19xx. Returns the day number, or nothing
// when not a date.
std::optional<int32_t> ParseDate(std::u16string_view text);

// Time text: h:mm[:ss[.fff]] with an optional AM/PM. Returns milliseconds since midnight.
std::optional<int32_t> ParseTime(std::u16string_view text);

std::string FormatDate(int32_t day);           // YYYY-MM-DD; "" for the undefined date
std::string FormatTime(int32_t milliseconds);  // hh:mm:ss.mmm; "" for the undefined time

}  // namespace dbclient::calendar
