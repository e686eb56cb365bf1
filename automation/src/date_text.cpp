#include "date_text.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "automation/text.h"
#include "value_locale.h"

namespace automation {
namespace {

constexpr double kMinSerial = -657435.0;  // exclusive
constexpr double kMaxSerial = 2958466.0;  // exclusive
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

bool IsValidDateSerial(double serial) noexcept {
  return serial > kMinSerial && serial < kMaxSerial;
}

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

std::u16string FormatDate(double serial) {
  const ValueLocale& locale = CurrentValueLocale();
  const DateParts p = DatePartsFromSerial(serial);
  const bool hasDate = std::trunc(serial) != 0 || (p.year != 1899 || p.month != 12 || p.day != 30);
  const bool hasTime = p.hour != 0 || p.minute != 0 || p.second != 0;
  std::string out;
  char buffer[64];
  if (hasDate) {
    std::snprintf(buffer, sizeof buffer, "%d/%d/%d", p.month, p.day, p.year);
    out = buffer;
    for (char& c : out) {
      if (c == '/') c = static_cast<char>(locale.dateSeparator);
    }
  }
  if (hasTime || !hasDate) {
    const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    std::snprintf(buffer, sizeof buffer, "%d:%02d:%02d ", hour12, p.minute, p.second);
    if (!out.empty()) out += ' ';
    out += buffer;
    out += ToUtf8(p.hour < 12 ? locale.am : locale.pm);
  }
  return FromUtf8(out);
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

// 1-12 for a month name or its abbreviation, 0 otherwise.
int MonthOfWord(std::u16string_view word) {
  const ValueLocale& locale = CurrentValueLocale();
  for (int m = 0; m < 12; ++m) {
    if (EqualsIgnoreCase(word, locale.monthNames[m]) ||
        EqualsIgnoreCase(word, locale.monthAbbreviations[m])) {
      return m + 1;
    }
  }
  return 0;
}

bool IsDayName(std::u16string_view word) {
  const ValueLocale& locale = CurrentValueLocale();
  for (int d = 0; d < 7; ++d) {
    if (EqualsIgnoreCase(word, locale.dayNames[d]) ||
        EqualsIgnoreCase(word, locale.dayAbbreviations[d])) {
      return true;
    }
  }
  return false;
}

// -1 none, 0 AM, 1 PM.
int MeridiemOfWord(std::u16string_view word) {
  const ValueLocale& locale = CurrentValueLocale();
  if (EqualsIgnoreCase(word, locale.am)) return 0;
  if (EqualsIgnoreCase(word, locale.pm)) return 1;
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
bool TakeTime(std::vector<Token>& tokens, TimeOfDay& time) {
  const char16_t separator = CurrentValueLocale().timeSeparator;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].kind != Token::kNumber || tokens[i].used) continue;
    int64_t parts[3] = {tokens[i].number, 0, 0};
    int count = 1;
    size_t end = i + 1;
    while (count < 3 && end + 1 < tokens.size() && tokens[end].kind == Token::kSeparator &&
           tokens[end].separator == separator && tokens[end + 1].kind == Token::kNumber) {
      parts[count++] = tokens[end + 1].number;
      end += 2;
    }
    if (end < tokens.size() && tokens[end].kind == Token::kSeparator &&
        tokens[end].separator == separator) {
      return false;  // "1:2:3:4" or "1:"
    }
    const size_t wordAt = SkipBlankTokens(tokens, end);
    int meridiem = -1;
    if (wordAt < tokens.size() && tokens[wordAt].kind == Token::kWord) {
      meridiem = MeridiemOfWord(tokens[wordAt].text);
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

// Reads the date from the tokens the time left over.
bool TakeDate(const std::vector<Token>& tokens, CalendarDate& date) {
  const ValueLocale& locale = CurrentValueLocale();
  std::vector<Token> numbers;
  int month = 0;
  bool monthFirst = false;
  bool separatedNumbers = true;  // a date separator between every two numbers
  bool separatorSinceNumber = false;
  for (const Token& t : tokens) {
    if (t.used) continue;
    switch (t.kind) {
      case Token::kNumber:
        if (!numbers.empty() && !separatorSinceNumber) separatedNumbers = false;
        numbers.push_back(t);
        separatorSinceNumber = false;
        break;
      case Token::kWord:
        if (int m = MonthOfWord(t.text)) {
          if (month) return false;
          month = m;
          monthFirst = numbers.empty();
        } else if (!IsDayName(t.text)) {
          return false;
        }
        break;
      case Token::kSeparator:
        if (t.separator == locale.dateSeparator || t.separator == u'-') {
          separatorSinceNumber = true;
          break;
        }
        if (t.separator == u' ' || t.separator == u',') break;
        return false;
    }
  }
  if (numbers.empty() && !month) return true;
  if (numbers.size() > 3 || (month && numbers.size() > 2)) return false;

  int64_t y = 0, m = 0, d = 0;
  if (month) {
    m = month;
    if (numbers.empty()) return false;
    if (numbers.size() == 1) {
      // "Jan 2" is a day of this year, "Jan 1970" the first of that month.
      if (numbers[0].number > 31 || numbers[0].digits > 2) {
        y = FullYear(numbers[0]), d = 1;
      } else {
        y = CurrentYear(), d = numbers[0].number;
      }
    } else if (!monthFirst && (numbers[0].number > 31 || numbers[0].digits > 2)) {
      y = FullYear(numbers[0]), d = numbers[1].number;
    } else {
      d = numbers[0].number, y = FullYear(numbers[1]);
    }
  } else {
    // Numbers alone make a date only with date separators between them.
    if (numbers.size() < 2 || !separatedNumbers) return false;
    if (numbers.size() == 3 && (numbers[0].digits > 2 || numbers[0].number > 31)) {
      y = FullYear(numbers[0]), m = numbers[1].number, d = numbers[2].number;
    } else {
      int64_t first = numbers[0].number, second = numbers[1].number;
      if (locale.dateOrder == DateOrder::kDayMonthYear) std::swap(first, second);
      if (numbers.size() == 3) {
        m = first, d = second, y = FullYear(numbers[2]);
      } else if (numbers[1].number > 31 || numbers[1].digits > 2) {
        m = numbers[0].number, d = 1, y = FullYear(numbers[1]);
      } else {
        m = first, d = second, y = CurrentYear();
      }
      // A month above 12 with a day that could be a month: the two were swapped.
      if (m > 12 && d <= 12) std::swap(m, d);
    }
  }
  if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
  date = {true, y, m, d};
  return true;
}

}  // namespace

std::optional<double> ParseDate(std::u16string_view text) {
  std::vector<Token> tokens;
  if (!Tokenize(text, tokens)) return std::nullopt;
  TimeOfDay time;
  CalendarDate date;
  if (!TakeTime(tokens, time) || !TakeDate(tokens, date)) return std::nullopt;
  if (!time.present && !date.present) return std::nullopt;
  if (!date.present) return time.fraction;
  return DateSerialFromParts(static_cast<int32_t>(date.year), static_cast<int32_t>(date.month),
                             static_cast<int32_t>(date.day), time.fraction);
}

}  // namespace automation
