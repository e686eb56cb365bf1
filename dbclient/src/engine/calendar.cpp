#include "engine/calendar.h"

#include <cstdio>
#include <vector>

#include "automation/regional_settings.h"
#include "engine/text_util.h"

namespace dbclient::calendar {

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (the well-known era-based algorithm).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

constexpr int64_t kUnixEpochDay = 25569;  // 1970-01-01 as a day number

bool IsLeap(int32_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int32_t DaysInMonth(int32_t y, int32_t m) {
  static constexpr int32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Splits "12/31/2020" into its numbers at `separator`; each part must be 1+ ASCII digits.
bool SplitNumbers(std::u16string_view text, char16_t separator, std::vector<int32_t>* parts,
                  std::vector<size_t>* widths) {
  parts->clear();
  widths->clear();
  size_t start = 0;
  while (true) {
    size_t end = text.find(separator, start);
    std::u16string_view part = text.substr(
        start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start);
    if (part.empty() || part.size() > 4) return false;
    int32_t value = 0;
    for (char16_t c : part) {
      if (!text::IsDigit(c)) return false;
      value = value * 10 + (c - u'0');
    }
    parts->push_back(value);
    widths->push_back(part.size());
    if (end == std::u16string_view::npos) return true;
    start = end + 1;
  }
}

int32_t ExpandYear(int32_t year, size_t width) {
  if (width > 2) return year;
  return year < 30 ? 2000 + year : 1900 + year;
}

}  // namespace

int32_t DayNumber(const CivilDate& date) {
  return static_cast<int32_t>(DaysFromCivil(date.year, date.month, date.day) + kUnixEpochDay);
}

CivilDate FromDayNumber(int32_t day) {
  int64_t z = static_cast<int64_t>(day) - kUnixEpochDay + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = yoe + era * 400 + (m <= 2);
  return {static_cast<int32_t>(y), static_cast<int32_t>(m), static_cast<int32_t>(d)};
}

bool IsValid(const CivilDate& date) {
  return date.year >= 100 && date.year <= 9999 && date.month >= 1 && date.month <= 12 &&
         date.day >= 1 && date.day <= DaysInMonth(date.year, date.month);
}

std::optional<int32_t> ParseDate(std::u16string_view input) {
  const std::u16string_view text = text::TrimBlanks(input);
  std::vector<int32_t> parts;
  std::vector<size_t> widths;
  CivilDate date{};
  if (SplitNumbers(text, u'-', &parts, &widths) && parts.size() == 3 && widths[0] == 4) {
    date = {parts[0], parts[1], parts[2]};
  } else if (SplitNumbers(text, u'/', &parts, &widths) && parts.size() == 3) {
    switch (automation::CurrentDateFormat().order) {
      case automation::DateOrder::kMonthDayYear:
        date = {ExpandYear(parts[2], widths[2]), parts[0], parts[1]};
        break;
      case automation::DateOrder::kDayMonthYear:
        date = {ExpandYear(parts[2], widths[2]), parts[1], parts[0]};
        break;
      case automation::DateOrder::kYearMonthDay:
        date = {ExpandYear(parts[0], widths[0]), parts[1], parts[2]};
        break;
    }
  } else if (SplitNumbers(text, u'.', &parts, &widths) && parts.size() == 3) {
    date = {ExpandYear(parts[2], widths[2]), parts[1], parts[0]};
  } else {
    return std::nullopt;
  }
  if (!IsValid(date)) return std::nullopt;
  return DayNumber(date);
}

std::optional<int32_t> ParseTime(std::u16string_view input) {
  std::u16string_view text = text::TrimBlanks(input);
  int meridiem = 0;  // 0 none, 1 AM, 2 PM
  if (text.size() >= 2) {
    const std::u16string_view tail = text.substr(text.size() - 2);
    if (text::EqualsIgnoreCase(tail, u"AM")) meridiem = 1;
    if (text::EqualsIgnoreCase(tail, u"PM")) meridiem = 2;
    if (meridiem != 0) text = text::TrimBlanks(text.substr(0, text.size() - 2));
  }
  int32_t fields[3] = {0, 0, 0};
  int32_t millis = 0;
  size_t count = 0;
  size_t i = 0;
  while (count < 3) {
    size_t digits = 0;
    int32_t value = 0;
    while (i < text.size() && text::IsDigit(text[i]) && digits < 2) {
      value = value * 10 + (text[i] - u'0');
      ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    fields[count++] = value;
    if (i < text.size() && text[i] == u':' && count < 3) {
      ++i;
      continue;
    }
    break;
  }
  if (count < 2) return std::nullopt;
  if (count == 3 && i < text.size() && (text[i] == u'.' || text[i] == u',')) {
    ++i;
    int32_t scale = 100;
    size_t digits = 0;
    while (i < text.size() && text::IsDigit(text[i])) {
      if (digits < 3) millis += (text[i] - u'0') * scale;
      scale /= 10, ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  int32_t hour = fields[0];
  if (meridiem != 0) {
    if (hour < 1 || hour > 12) return std::nullopt;
    hour = (hour % 12) + (meridiem == 2 ? 12 : 0);
  }
  if (hour > 23 || fields[1] > 59 || fields[2] > 59) return std::nullopt;
  return ((hour * 60 + fields[1]) * 60 + fields[2]) * 1000 + millis;
}

std::string FormatDate(int32_t day) {
  if (day == 0) return {};
  const CivilDate d = FromDayNumber(day);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", d.year, d.month, d.day);
  return buffer;
}

std::string FormatTime(int32_t ms) {
  if (ms == 0) return {};
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d.%03d", ms / 3600000, ms / 60000 % 60,
                ms / 1000 % 60, ms % 1000);
  return buffer;
}

}  // namespace dbclient::calendar
