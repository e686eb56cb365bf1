// Conversion of caller input to field values. Each type states what it accepts; anything
// else is refused with the error of that type and nothing is produced.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "automation/regional_settings.h"
#include "dbclient/value.h"
#include "engine/calendar.h"
#include "engine/text_util.h"
#include "error_codes.h"

namespace dbclient {

namespace {

Status Fail(int32_t code, const FieldDef& field) { return Status::Error(code, field.name); }

// `*out` as a value of `type`, for results of the number types to be written in place: a
// record buffer's field holds a value of its type already.
Value& OfType(FieldType type, Value* out) {
  if (out->type() != type) *out = Value(type);
  return *out;
}

// A number in plain decimal notation with optional sign, fraction and exponent, as the
// client writes and reads numbers in text; blanks around it are allowed. The fraction follows
// the user's decimal separator and no other: in cs-CZ "2,25" is 2.25 and "2.25" is no number.
std::optional<double> ParseNumber(std::u16string_view input) {
  const std::u16string_view text = text::TrimBlanks(input);
  if (text.empty() || text.size() > 64) return std::nullopt;
  const char16_t decimalSeparator = automation::CurrentNumberFormat().decimalSeparator;
  char buffer[65];
  size_t n = 0;
  for (char16_t c : text) {
    if (c == decimalSeparator) {
      buffer[n++] = '.';
      continue;
    }
    const bool allowed = text::IsDigit(c) || c == u'-' || c == u'+' || c == u'e' || c == u'E';
    if (!allowed) return std::nullopt;
    buffer[n++] = static_cast<char>(c);
  }
  const char* begin = buffer;
  if (*begin == '+') ++begin;  // from_chars takes no plus sign
  if (begin == buffer + n || *begin == '+') return std::nullopt;
  double value = 0;
  const auto result = std::from_chars(begin, buffer + n, value, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != buffer + n || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

// Rounds half to even, as automation integer coercion does.
std::optional<int32_t> ToInt32(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const double rounded = std::nearbyint(value);
  if (rounded < std::numeric_limits<int32_t>::min() ||
      rounded > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(rounded);
}

// With the user's decimal separator, so that the text reads back as the same number.
std::u16string NumberText(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::u16string text = text::FromUtf8(buffer);
  std::replace(text.begin(), text.end(), u'.', automation::CurrentNumberFormat().decimalSeparator);
  return text;
}

// The text form of a non-text input for Text and Code fields.
std::u16string TextForm(const Input& input) {
  struct Visitor {
    std::u16string operator()(std::monostate) const { return {}; }
    std::u16string operator()(bool v) const { return v ? u"Yes" : u"No"; }
    std::u16string operator()(int64_t v) const { return text::FromUtf8(std::to_string(v)); }
    std::u16string operator()(double v) const { return NumberText(v); }
    std::u16string operator()(DateSerial v) const {
      const double whole = std::trunc(v.value);
      std::string out = whole == 0 ? "" : calendar::FormatDate(static_cast<int32_t>(whole));
      const auto ms = static_cast<int32_t>(
          std::llround(std::fabs(v.value - whole) * calendar::kMillisecondsPerDay));
      if (ms != 0 && ms < calendar::kMillisecondsPerDay) {
        if (!out.empty()) out += ' ';
        out += calendar::FormatTime(ms).substr(0, 8);
      }
      return text::FromUtf8(out);
    }
    std::u16string operator()(std::u16string_view v) const { return std::u16string(v); }
  };
  return std::visit(Visitor{}, input);
}

// A text takes the form storage reads it in (lone surrogates, U+FFFE and U+FFFF become
// U+FFFD), so a value compares alike in a record buffer, a filter and storage. A NUL is refused: SQLite's text
// functions (GLOB among them) end a text there and PostgreSQL cannot store it.
Status ToText(const FieldDef& field, const Input& input, Value* out) {
  std::u16string text = text::WellFormed(TextForm(input));
  if (text.find(u'\0') != std::u16string::npos) return Fail(errc::kNulInText, field);
  if (field.type == FieldType::kCode) text = text::ToUpper(text::TrimBlanks(text));
  if (field.length > 0 && text.size() > static_cast<size_t>(field.length)) {
    return Fail(errc::kTextTooLong, field);
  }
  *out =
      field.type == FieldType::kCode ? Value::Code(std::move(text)) : Value::Text(std::move(text));
  return Status();
}

// Numbers of every input kind; a Date counts as its serial. Text must be numeric.
std::optional<double> NumberOf(const Input& input) {
  if (std::holds_alternative<std::monostate>(input)) return 0.0;
  if (const bool* b = std::get_if<bool>(&input)) return *b ? -1.0 : 0.0;
  if (const int64_t* i = std::get_if<int64_t>(&input)) return static_cast<double>(*i);
  if (const double* d = std::get_if<double>(&input)) return *d;
  if (const DateSerial* s = std::get_if<DateSerial>(&input)) return s->value;
  return ParseNumber(std::get<std::u16string_view>(input));
}

Status ToInteger(const FieldDef& field, const Input& input, Value* out) {
  if (const int64_t* i = std::get_if<int64_t>(&input)) {
    if (*i < std::numeric_limits<int32_t>::min() || *i > std::numeric_limits<int32_t>::max()) {
      return Fail(errc::kNumberOutOfRange, field);
    }
    OfType(FieldType::kInteger, out).AssignStoredInteger(static_cast<int32_t>(*i));
    return Status();
  }
  const std::optional<double> number = NumberOf(input);
  if (!number) return Fail(errc::kBadNumber, field);
  const std::optional<int32_t> value = ToInt32(*number);
  if (!value) return Fail(errc::kNumberOutOfRange, field);
  OfType(FieldType::kInteger, out).AssignStoredInteger(*value);
  return Status();
}

// Captions are the comma-separated parts of the option string; a caption given as text is
// matched without case and surrounding blanks, so " " (the blank first option) matches "".
Status ToOption(const FieldDef& field, const Input& input, Value* out) {
  // Commas are ASCII: the captions are counted in their UTF-8 form, decoded only to compare.
  const int32_t count =
      1 + static_cast<int32_t>(std::count(field.optionString.begin(), field.optionString.end(), ','));
  if (const int64_t* index = std::get_if<int64_t>(&input)) {
    if (*index < 0 || *index >= count) return Fail(errc::kBadOption, field);
    OfType(FieldType::kOption, out).AssignStoredInteger(static_cast<int32_t>(*index));
    return Status();
  }
  if (const std::u16string_view* text = std::get_if<std::u16string_view>(&input)) {
    const std::u16string captions = text::FromUtf8(field.optionString);
    const std::u16string_view wanted = text::TrimBlanks(*text);
    size_t start = 0;
    for (int32_t index = 0; index < count; ++index) {
      size_t end = captions.find(u',', start);
      if (end == std::u16string::npos) end = captions.size();
      const std::u16string_view caption =
          text::TrimBlanks(std::u16string_view(captions).substr(start, end - start));
      if (text::EqualsIgnoreCase(caption, wanted)) {
        OfType(FieldType::kOption, out).AssignStoredInteger(index);
        return Status();
      }
      start = end + 1;
    }
  }
  const std::optional<double> number = NumberOf(input);
  const std::optional<int32_t> index = number ? ToInt32(*number) : std::nullopt;
  if (!index || *index < 0 || *index >= count || *index != *number) {
    return Fail(errc::kBadOption, field);
  }
  OfType(FieldType::kOption, out).AssignStoredInteger(*index);
  return Status();
}

Status ToBoolean(const FieldDef& field, const Input& input, Value* out) {
  if (const bool* b = std::get_if<bool>(&input)) {
    OfType(FieldType::kBoolean, out).AssignStoredBoolean(*b);
    return Status();
  }
  if (const std::u16string_view* text = std::get_if<std::u16string_view>(&input)) {
    const std::u16string_view word = text::TrimBlanks(*text);
    for (const std::u16string_view yes : {u"Yes", u"True", u"Ano"}) {
      if (text::EqualsIgnoreCase(word, yes)) {
        OfType(FieldType::kBoolean, out).AssignStoredBoolean(true);
        return Status();
      }
    }
    for (const std::u16string_view no : {u"No", u"False", u"Ne", u""}) {
      if (text::EqualsIgnoreCase(word, no)) {
        OfType(FieldType::kBoolean, out).AssignStoredBoolean(false);
        return Status();
      }
    }
  } else if (std::holds_alternative<DateSerial>(input)) {
    return Fail(errc::kBadBoolean, field);
  }
  const std::optional<double> number = NumberOf(input);
  if (!number) return Fail(errc::kBadBoolean, field);
  OfType(FieldType::kBoolean, out).AssignStoredBoolean(*number != 0);
  return Status();
}

// The whole part of an automation date is the day number; below zero it carries the sign.
Status ToDate(const FieldDef& field, const Input& input, Value* out) {
  if (const std::u16string_view* text = std::get_if<std::u16string_view>(&input)) {
    std::u16string_view date = text::TrimBlanks(*text);
    if (date.empty()) {
      OfType(FieldType::kDate, out).AssignStoredInteger(0);
      return Status();
    }
    // A date followed by a time of day: the time is dropped.
    const size_t blank = date.find(u' ');
    if (blank != std::u16string_view::npos && calendar::ParseTime(date.substr(blank + 1))) {
      date = date.substr(0, blank);
    }
    const std::optional<int32_t> day = calendar::ParseDate(date);
    if (!day) return Fail(errc::kBadDate, field);
    OfType(FieldType::kDate, out).AssignStoredInteger(*day);
    return Status();
  }
  if (std::holds_alternative<bool>(input)) return Fail(errc::kBadDate, field);
  const std::optional<double> serial = NumberOf(input);
  if (!serial || !std::isfinite(*serial) || *serial < calendar::kFirstDay ||
      *serial >= calendar::kLastDay + 1.0) {
    return Fail(errc::kBadDate, field);
  }
  OfType(FieldType::kDate, out).AssignStoredInteger(static_cast<int32_t>(std::trunc(*serial)));
  return Status();
}

// The fraction of an automation date is the time of day (counting forward also below zero).
// Midnight cannot be told from the undefined time: both are 0.
Status ToTime(const FieldDef& field, const Input& input, Value* out) {
  if (const std::u16string_view* text = std::get_if<std::u16string_view>(&input)) {
    std::u16string_view time = text::TrimBlanks(*text);
    if (time.empty()) {
      OfType(FieldType::kTime, out).AssignStoredInteger(0);
      return Status();
    }
    std::optional<int32_t> ms = calendar::ParseTime(time);
    const size_t blank = time.find(u' ');
    if (!ms && blank != std::u16string_view::npos && calendar::ParseDate(time.substr(0, blank))) {
      ms = calendar::ParseTime(time.substr(blank + 1));
    }
    if (!ms) return Fail(errc::kBadTime, field);
    OfType(FieldType::kTime, out).AssignStoredInteger(*ms);
    return Status();
  }
  if (std::holds_alternative<bool>(input)) return Fail(errc::kBadTime, field);
  const std::optional<double> serial = NumberOf(input);
  if (!serial || !std::isfinite(*serial) || std::fabs(*serial) > calendar::kLastDay + 1.0) {
    return Fail(errc::kBadTime, field);
  }
  const double fraction = std::fabs(*serial - std::trunc(*serial));
  int64_t ms = std::llround(fraction * calendar::kMillisecondsPerDay);
  if (ms >= calendar::kMillisecondsPerDay) ms = calendar::kMillisecondsPerDay - 1;
  OfType(FieldType::kTime, out).AssignStoredInteger(static_cast<int32_t>(ms));
  return Status();
}

// Any finite number is kept exactly as the double given (negative zero becomes zero).
Status ToDecimal(const FieldDef& field, const Input& input, Value* out) {
  if (std::holds_alternative<DateSerial>(input)) return Fail(errc::kTypeMismatch, field);
  const std::optional<double> number = NumberOf(input);
  if (!number || !std::isfinite(*number)) return Fail(errc::kBadNumber, field);
  OfType(FieldType::kDecimal, out).AssignStoredDecimal(*number == 0 ? 0.0 : *number);
  return Status();
}

// A string of bytes: every character must be a byte value (0-255).
Status ToBlob(const FieldDef& field, const Input& input, Value* out) {
  if (std::holds_alternative<std::monostate>(input)) {
    *out = Value::Blob({});
    return Status();
  }
  const std::u16string_view* text = std::get_if<std::u16string_view>(&input);
  if (text == nullptr) return Fail(errc::kTypeMismatch, field);
  std::string bytes;
  bytes.reserve(text->size());
  for (char16_t c : *text) {
    if (c > 0xFF) return Fail(errc::kBadBlob, field);
    bytes.push_back(static_cast<char>(c));
  }
  *out = Value::Blob(std::move(bytes));
  return Status();
}

}  // namespace

Status ConvertInput(const FieldDef& field, const Input& input, Value* out) {
  // An empty text is the blank value of every type, as an empty filter value is.
  if (const std::u16string_view* text = std::get_if<std::u16string_view>(&input)) {
    if (text->empty() && field.type != FieldType::kText && field.type != FieldType::kCode) {
      *out = Value(field.type);
      return Status();
    }
  }
  switch (field.type) {
    case FieldType::kText:
    case FieldType::kCode:
      return ToText(field, input, out);
    case FieldType::kInteger:
      return ToInteger(field, input, out);
    case FieldType::kOption:
      return ToOption(field, input, out);
    case FieldType::kBoolean:
      return ToBoolean(field, input, out);
    case FieldType::kDate:
      return ToDate(field, input, out);
    case FieldType::kTime:
      return ToTime(field, input, out);
    case FieldType::kDecimal:
      return ToDecimal(field, input, out);
    case FieldType::kBlob:
      return ToBlob(field, input, out);
  }
  return Fail(errc::kTypeMismatch, field);
}

}  // namespace dbclient
