#include "date_text.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "automation/regional_settings.h"
#include "automation/text.h"

namespace automation {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Days from 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int32_t& year, int32_t& month, int32_t& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int32_t>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int32_t>(yoe + era * 400 + (month <= 2));
}

const int64_t kEpochDays = DaysFromCivil(1899, 12, 30);

}  // namespace

double DateSerialFromParts(int32_t year, int32_t month, int32_t day, double timeFraction) {
  const double days = static_cast<double>(DaysFromCivil(year, month, day) - kEpochDays);
  return days >= 0 ? days + timeFraction : days - timeFraction;
}

DateParts DatePartsFromSerial(double serial) {
  double whole = std::trunc(serial);
  int64_t seconds = std::llround(std::fabs(serial - whole) * kSecondsPerDay);
  int64_t dayNumber = static_cast<int64_t>(whole);
  if (seconds >= kSecondsPerDay) {  // 23:59:59.6 rounds into the next day
    seconds -= kSecondsPerDay;
    ++dayNumber;
  }
  DateParts parts{};
  CivilFromDays(dayNumber + kEpochDays, parts.year, parts.month, parts.day);
  parts.hour = static_cast<int32_t>(seconds / 3600);
  parts.minute = static_cast<int32_t>(seconds / 60 % 60);
  parts.second = static_cast<int32_t>(seconds % 60);
  return parts;
}

namespace {

void AppendNumber(std::u16string& out, int32_t value, int minDigits = 1) {
  char buffer[16];
  const int n = std::snprintf(buffer, sizeof buffer, "%0*d", minDigits, value);
  out.append(buffer, buffer + n);
}

}  // namespace

std::u16string FormatDate(double serial) {
  const DateFormat& format = CurrentDateFormat();
  const DateParts p = DatePartsFromSerial(serial);
  const bool hasDate = std::trunc(serial) != 0 || (p.year != 1899 || p.month != 12 || p.day != 30);
  const bool hasTime = p.hour != 0 || p.minute != 0 || p.second != 0;
  std::u16string out;
  if (hasDate) {
    const int32_t first = format.order == DateOrder::kMonthDayYear   ? p.month
                          : format.order == DateOrder::kDayMonthYear ? p.day
                                                                     : p.year;
    const int32_t second = format.order == DateOrder::kMonthDayYear ? p.day : p.month;
    const int32_t third = format.order == DateOrder::kYearMonthDay ? p.day : p.year;
    AppendNumber(out, first);
    out += format.dateSeparator;
    AppendNumber(out, second);
    out += format.dateSeparator;
    AppendNumber(out, third);
  }
  if (hasTime || !hasDate) {
    if (!out.empty()) out += u' ';
    const int32_t hour = !format.twelveHourClock ? p.hour : p.hour % 12 == 0 ? 12 : p.hour % 12;
    AppendNumber(out, hour);
    out += format.timeSeparator;
    AppendNumber(out, p.minute, 2);
    out += format.timeSeparator;
    AppendNumber(out, p.second, 2);
    if (format.twelveHourClock) {
      out += u' ';
      out += p.hour < 12 ? format.am : format.pm;
    }
  }
  return out;
}

}  // namespace automation

namespace automation {
namespace {

struct Token {
  enum Kind { kNumber, kWord, kSeparator };
  explicit Token(Kind k) : kind(k) {}
  Kind kind;
  int64_t number = 0;
  int digits = 0;
  std::u16string_view text;
  char16_t separator = 0;  // ' ' stands for any run of blanks
  bool used = false;
};

bool IsLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c >= 0xC0;
}

bool Tokenize(std::u16string_view s, std::vector<Token>& tokens) {
  size_t i = 0;
  while (i < s.size()) {
    const char16_t c = s[i];
    size_t j = i + 1;
    if (c >= u'0' && c <= u'9') {
      Token t(Token::kNumber);
      j = i;
      while (j < s.size() && s[j] >= u'0' && s[j] <= u'9') {
        if (t.digits < 9) t.number = t.number * 10 + (s[j] - u'0');
        ++t.digits;
        ++j;
      }
      if (t.digits > 9) return false;
      tokens.push_back(t);
    } else if (IsLetter(c)) {
      while (j < s.size() && IsLetter(s[j])) ++j;
      Token t(Token::kWord);
      t.text = s.substr(i, j - i);
      tokens.push_back(t);
    } else if (c == u' ' || c == u'\t' || c == u'\u00A0') {
      while (j < s.size() && (s[j] == u' ' || s[j] == u'\t' || s[j] == u'\u00A0')) ++j;
      Token t(Token::kSeparator);
      t.separator = u' ';
      tokens.push_back(t);
    } else {
      Token t(Token::kSeparator);
      t.separator = c;
      tokens.push_back(t);
    }
    i = j;
  }
  return true;
}

// "." separates the parts of a time where it does not separate those of a date ("2.5" is
// 2:05 in en-US, the 2nd of May in cs-CZ).
bool IsTimeSeparator(const Token& t, const DateFormat& format) {
  return t.kind == Token::kSeparator && (t.separator == format.timeSeparator ||
                                         (t.separator == u'.' && format.dateSeparator != u'.'));
}

bool IsDateSeparator(char16_t c, const DateFormat& format) {
  return c == format.dateSeparator || c == u'/' || c == u'-';
}

bool IsAnyOf(std::u16string_view word, const std::array<std::u16string_view, 12>& names,
             int& index) {
  for (int i = 0; i < 12; ++i) {
    if (!names[i].empty() && EqualsIgnoreCase(word, names[i])) {
      index = i;
      return true;
    }
  }
  return false;
}

// 1-12 for a month name or its abbreviation, 0 otherwise.
int MonthOfWord(std::u16string_view word, const DateFormat& format) {
  int m = 0;
  if (IsAnyOf(word, format.monthNames, m) || IsAnyOf(word, format.monthNameOtherForms, m) ||
      IsAnyOf(word, format.monthAbbreviations, m)) {
    return m + 1;
  }
  return 0;
}

bool IsDayName(std::u16string_view word, const DateFormat& format) {
  for (int d = 0; d < 7; ++d) {
    if (EqualsIgnoreCase(word, format.dayNames[d]) ||
        EqualsIgnoreCase(word, format.dayAbbreviations[d])) {
      return true;
    }
  }
  return false;
}

// A designator matches as a word, without its closing "." ("odp." is read from "odp").
bool IsDesignator(std::u16string_view word, std::u16string_view designator) {
  if (designator.ends_with(u'.')) designator.remove_suffix(1);
  return EqualsIgnoreCase(word, designator);
}

// -1 none, 0 AM, 1 PM. The English designators and their first letters are read in every
// locale.
int MeridiemOfWord(std::u16string_view word, const DateFormat& format) {
  if (IsDesignator(word, format.am) || IsDesignator(word, u"AM") || IsDesignator(word, u"A")) {
    return 0;
  }
  if (IsDesignator(word, format.pm) || IsDesignator(word, u"PM") || IsDesignator(word, u"P")) {
    return 1;
  }
  return -1;
}

// The index of the next token that is not a blank, from `i` on.
size_t SkipBlankTokens(const std::vector<Token>& tokens, size_t i) {
  while (i < tokens.size() && tokens[i].kind == Token::kSeparator && tokens[i].separator == u' ') {
    ++i;
  }
  return i;
}

struct TimeOfDay {
  bool present = false;
  double fraction = 0;
};

// Finds "h:mm[:ss] [AM|PM]" or "h AM|PM" and marks its tokens used. False on a malformed
// or second time.
bool TakeTime(std::vector<Token>& tokens, TimeOfDay& time, const DateFormat& format) {
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].kind != Token::kNumber || tokens[i].used) continue;
    int64_t parts[3] = {tokens[i].number, 0, 0};
    int count = 1;
    size_t end = i + 1;
    while (count < 3 && end + 1 < tokens.size() && IsTimeSeparator(tokens[end], format) &&
           tokens[end + 1].kind == Token::kNumber) {
      parts[count++] = tokens[end + 1].number;
      end += 2;
    }
    if (end < tokens.size() && IsTimeSeparator(tokens[end], format)) {
      return false;  // "1:2:3:4" or "1:"
    }
    const size_t wordAt = SkipBlankTokens(tokens, end);
    int meridiem = -1;
    if (wordAt < tokens.size() && tokens[wordAt].kind == Token::kWord) {
      meridiem = MeridiemOfWord(tokens[wordAt].text, format);
    }
    if (count == 1 && meridiem < 0) continue;  // a plain number belongs to the date
    if (time.present) return false;
    int64_t hour = parts[0];
    if (hour > 23 || parts[1] > 59 || parts[2] > 59) return false;
    if (meridiem >= 0 && hour <= 12) hour = hour % 12 + (meridiem == 1 ? 12 : 0);
    time.present = true;
    time.fraction = static_cast<double>(hour * 3600 + parts[1] * 60 + parts[2]) / 86400.0;
    for (size_t k = i; k < end; ++k) tokens[k].used = true;
    if (meridiem >= 0) {
      for (size_t k = end; k <= wordAt; ++k) tokens[k].used = true;
    }
    i = end;
  }
  return true;
}

int64_t FullYear(const Token& t) {
  if (t.digits <= 2) return t.number < 30 ? 2000 + t.number : 1900 + t.number;
  return t.number;
}

bool IsLeapYear(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int64_t DaysInMonth(int64_t y, int64_t m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

int64_t CurrentYear() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

struct CalendarDate {
  bool present = false;
  int64_t year = 0, month = 0, day = 0;
};

bool IsValid(const CalendarDate& d) {
  return d.year >= 100 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
         d.day <= DaysInMonth(d.year, d.month);
}

// Where the year, month and day stand among the numbers of a date; -1 for a part not given
// (a missing year is this year, a missing day the 1st).
struct Arrangement {
  int year, month, day;
};

// The first arrangement that makes a valid date, the user's order first: "1 2 3" is
// 1/2/2003 in en-US, "14 2 3" can only be 2014-02-03, "2 30" only February 1930. A month or
// day never has more than two digits.
bool Arrange(const Token* numbers, size_t count, const DateFormat& format, CalendarDate& date) {
  static constexpr Arrangement kThree[][4] = {
      {{2, 0, 1}, {0, 1, 2}, {2, 1, 0}, {0, 2, 1}},  // month first, then y-m-d, d-m-y, y-d-m
      {{2, 1, 0}, {0, 1, 2}, {2, 0, 1}, {0, 2, 1}},  // day first
      {{0, 1, 2}, {2, 0, 1}, {2, 1, 0}, {0, 2, 1}},  // year first
  };
  static constexpr Arrangement kTwo[][4] = {
      {{-1, 0, 1}, {-1, 1, 0}, {1, 0, -1}, {0, 1, -1}},  // month first, then d-m, m-y, y-m
      {{-1, 1, 0}, {-1, 0, 1}, {1, 0, -1}, {0, 1, -1}},  // day first
      {{-1, 0, 1}, {-1, 1, 0}, {0, 1, -1}, {1, 0, -1}},  // year first
  };
  const int order = static_cast<int>(format.order);
  const auto& choices = count == 3 ? kThree[order] : kTwo[order];
  for (const Arrangement& a : choices) {
    if (numbers[a.month].digits > 2 || (a.day >= 0 && numbers[a.day].digits > 2)) continue;
    const CalendarDate candidate{true, a.year >= 0 ? FullYear(numbers[a.year]) : CurrentYear(),
                                 numbers[a.month].number, a.day >= 0 ? numbers[a.day].number : 1};
    if (IsValid(candidate)) {
      date = candidate;
      return true;
    }
  }
  return false;
}

// Reads the date from the tokens the time left over. Numbers may be separated by date
// separators, blanks or commas.
bool TakeDate(const std::vector<Token>& tokens, CalendarDate& date, const DateFormat& format) {
  Token numbers[3] = {Token(Token::kNumber), Token(Token::kNumber), Token(Token::kNumber)};
  size_t count = 0;
  int month = 0;
  bool monthFirst = false;
  for (const Token& t : tokens) {
    if (t.used) continue;
    switch (t.kind) {
      case Token::kNumber:
        if (count == 3) return false;
        numbers[count++] = t;
        break;
      case Token::kWord:
        if (int m = MonthOfWord(t.text, format)) {
          if (month) return false;
          month = m;
          monthFirst = count == 0;
        } else if (!IsDayName(t.text, format)) {
          return false;
        }
        break;
      case Token::kSeparator:
        if (IsDateSeparator(t.separator, format) || t.separator == u' ' || t.separator == u',') {
          break;
        }
        return false;
    }
  }
  if (count == 0 && !month) return true;
  if (!month) return count >= 2 && Arrange(numbers, count, format, date);
  if (count == 0 || count > 2) return false;

  CalendarDate named{true, 0, month, 0};
  if (count == 1) {
    // "Jan 2" is a day of this year, "Jan 1970" the first of that month.
    if (numbers[0].number > 31 || numbers[0].digits > 2) {
      named.year = FullYear(numbers[0]), named.day = 1;
    } else {
      named.year = CurrentYear(), named.day = numbers[0].number;
    }
  } else if (!monthFirst && (numbers[0].number > 31 || numbers[0].digits > 2)) {
    named.year = FullYear(numbers[0]), named.day = numbers[1].number;
  } else {
    named.day = numbers[0].number, named.year = FullYear(numbers[1]);
  }
  if (!IsValid(named)) return false;
  date = named;
  return true;
}

}  // namespace

std::optional<double> ParseDate(std::u16string_view text) {
  const DateFormat& format = CurrentDateFormat();
  std::vector<Token> tokens;
  if (!Tokenize(text, tokens)) return std::nullopt;
  // Dates and times start with a number or a word: "-7.5" is no time.
  const size_t first = SkipBlankTokens(tokens, 0);
  if (first < tokens.size() && tokens[first].kind == Token::kSeparator) return std::nullopt;
  TimeOfDay time;
  CalendarDate date;
  if (!TakeTime(tokens, time, format) || !TakeDate(tokens, date, format)) return std::nullopt;
  if (!time.present && !date.present) return std::nullopt;
  if (!date.present) return time.fraction;
  return DateSerialFromParts(static_cast<int32_t>(date.year), static_cast<int32_t>(date.month),
                             static_cast<int32_t>(date.day), time.fraction);
}

}  // namespace automation
