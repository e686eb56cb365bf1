// Field values of the database client and the input forms they are converted from.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "dbclient/schema.h"
#include "dbclient/status.h"

namespace dbclient {

// An automation date: days since 1899-12-30 (the automation zero date); the fraction is the
// time of day. Below zero the whole part carries the sign and the fraction counts forward.
struct DateSerial {
  double value = 0;
};

// A value as a caller hands it in, before conversion to a field's type. The binding turns an
// automation Variant into one of these: Empty -> monostate, Boolean, Integer/Long/Byte ->
// int64_t, Single/Double/Currency -> double, Date -> DateSerial, String -> u16string_view (the
// text must stay alive for the call).
using Input = std::variant<std::monostate, bool, int64_t, double, DateSerial, std::u16string_view>;

// The value of one field, typed by its field type:
//   Text, Code      text() (Code upper-cased, no leading or trailing blanks)
//   Integer, Option integer() (Option: index into the captions)
//   Date            integer(): day number, days since 1899-12-30; 0 is the undefined date
//   Time            integer(): milliseconds since midnight; 0 is the undefined time
//   Boolean         boolean()
//   Decimal         decimal(): stored as the double written; sums are exact on decimal digits
//   BLOB            blob(): the bytes
class Value {
 public:
  Value() : Value(FieldType::kInteger) {}
  explicit Value(FieldType type);  // the initial value of the type: "", 0, false, undefined

  static Value Text(std::u16string text) { return Value(FieldType::kText, std::move(text)); }
  static Value Code(std::u16string code) { return Value(FieldType::kCode, std::move(code)); }
  static Value Integer(int32_t v) { return Value(FieldType::kInteger, v); }
  static Value Option(int32_t index) { return Value(FieldType::kOption, index); }
  static Value Date(int32_t day) { return Value(FieldType::kDate, day); }
  static Value Time(int32_t milliseconds) { return Value(FieldType::kTime, milliseconds); }
  static Value Boolean(bool v) { return Value(FieldType::kBoolean, v); }
  static Value Decimal(double v) { return Value(FieldType::kDecimal, v); }
  static Value Blob(std::string bytes) { return Value(FieldType::kBlob, std::move(bytes)); }

  FieldType type() const noexcept { return type_; }

  // Accessors; each requires the matching type (checked by assertion).
  const std::u16string& text() const;
  int32_t integer() const;
  bool boolean() const;
  double decimal() const;
  const std::string& blob() const;

  // Replaces the text of a Text or Code value with UTF-8 `utf8` as storage gave it back
  // (already in the field's form), reusing the value's storage.
  void AssignStoredUtf8(std::string_view utf8);
  // Likewise the number of an Integer, Option, Date or Time value, and of a Boolean or
  // Decimal one.
  void AssignStoredInteger(int32_t v);
  void AssignStoredBoolean(bool v);
  void AssignStoredDecimal(double v);

  // True when the value equals the initial value of its type.
  bool IsInitial() const;

  // Order of two values of the same type: text by code point, numbers by value, false before
  // true, bytes lexicographically. Returns <0, 0 or >0.
  int Compare(const Value& other) const;
  bool operator==(const Value& other) const { return type_ == other.type_ && Compare(other) == 0; }

  // A readable form for logs, tests and the command-line tool (UTF-8): dates as YYYY-MM-DD,
  // times as hh:mm:ss.mmm, decimals in their shortest round-trip form.
  std::string DebugString() const;

 private:
  using Payload = std::variant<int32_t, bool, double, std::u16string, std::string>;
  Value(FieldType type, Payload payload) : type_(type), payload_(std::move(payload)) {}

  FieldType type_;
  Payload payload_;
};

// Converts `input` to a value of `field`'s type following the client's value rules (Text
// length check, Code upper-cased and trimmed, Integer range, Option index or caption, Boolean
// from Yes/No/True/False or a number, Date and Time from automation dates, numbers or text,
// Decimal from numbers or numeric text, BLOB from a string of bytes). Numbers in text take the
// user's decimal separator and slashed dates the user's date order (automation's regional
// settings). Empty gives the initial value. On failure returns a value/conversion error and
// leaves `*out` unchanged.
Status ConvertInput(const FieldDef& field, const Input& input, Value* out);

// Automation date forms of stored Date and Time values (0 for the undefined ones).
double DateToSerial(int32_t day);
double TimeToSerial(int32_t milliseconds);

}  // namespace dbclient
