#include "dbclient/value.h"

#include <cassert>
#include <charconv>
#include <cmath>

#include "engine/calendar.h"
#include "engine/text_util.h"

namespace dbclient {

Value::Value(FieldType type) : type_(type), payload_(int32_t{0}) {
  switch (type) {
    case FieldType::kText:
    case FieldType::kCode:
      payload_ = std::u16string();
      break;
    case FieldType::kBoolean:
      payload_ = false;
      break;
    case FieldType::kDecimal:
      payload_ = 0.0;
      break;
    case FieldType::kBlob:
      payload_ = std::string();
      break;
    case FieldType::kDate:
    case FieldType::kTime:
    case FieldType::kInteger:
    case FieldType::kOption:
      break;
  }
}

const std::u16string& Value::text() const {
  assert(type_ == FieldType::kText || type_ == FieldType::kCode);
  return std::get<std::u16string>(payload_);
}

void Value::AssignStoredUtf8(std::string_view utf8) {
  assert(type_ == FieldType::kText || type_ == FieldType::kCode);
  text::AssignFromUtf8(utf8, &std::get<std::u16string>(payload_));
}

void Value::AssignStoredInteger(int32_t v) {
  assert(std::holds_alternative<int32_t>(payload_));
  *std::get_if<int32_t>(&payload_) = v;
}

void Value::AssignStoredBoolean(bool v) {
  assert(type_ == FieldType::kBoolean);
  *std::get_if<bool>(&payload_) = v;
}

void Value::AssignStoredDecimal(double v) {
  assert(type_ == FieldType::kDecimal);
  *std::get_if<double>(&payload_) = v;
}

int32_t Value::integer() const {
  assert(std::holds_alternative<int32_t>(payload_));
  return std::get<int32_t>(payload_);
}

bool Value::boolean() const { return std::get<bool>(payload_); }
double Value::decimal() const { return std::get<double>(payload_); }
const std::string& Value::blob() const { return std::get<std::string>(payload_); }

bool Value::IsInitial() const { return *this == Value(type_); }

int Value::Compare(const Value& other) const {
  assert(payload_.index() == other.payload_.index());
  if (payload_.index() != other.payload_.index()) {
    return payload_.index() < other.payload_.index() ? -1 : 1;
  }
  const auto three_way = [](auto a, auto b) { return a < b ? -1 : (b < a ? 1 : 0); };
  switch (payload_.index()) {
    case 0:
      return three_way(integer(), other.integer());
    case 1:
      return three_way(boolean(), other.boolean());
    case 2:
      return three_way(decimal(), other.decimal());
    case 3:
      return text::CompareCodePoints(std::get<std::u16string>(payload_),
                                     std::get<std::u16string>(other.payload_));
    default: {
      const int c = blob().compare(other.blob());
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
  }
}

std::string Value::DebugString() const {
  switch (type_) {
    case FieldType::kText:
    case FieldType::kCode:
      return text::ToUtf8(text());
    case FieldType::kDate:
      return calendar::FormatDate(integer());
    case FieldType::kTime:
      return calendar::FormatTime(integer());
    case FieldType::kBoolean:
      return boolean() ? "Yes" : "No";
    case FieldType::kInteger:
    case FieldType::kOption:
      return std::to_string(integer());
    case FieldType::kDecimal: {
      char buffer[32];
      const auto result = std::to_chars(buffer, buffer + sizeof buffer, decimal());
      return std::string(buffer, result.ptr);
    }
    case FieldType::kBlob:
      return std::to_string(blob().size()) + " bytes";
  }
  return {};
}

double DateToSerial(int32_t day) { return day; }

double TimeToSerial(int32_t milliseconds) {
  return static_cast<double>(milliseconds) / calendar::kMillisecondsPerDay;
}

}  // namespace dbclient
