#include "binding/variant_values.h"

#include "automation/text.h"
#include "binding/client_failure.h"
#include "error_codes.h"

namespace dbclient::binding {

using automation::Variant;
using automation::VarType;

Variant ToVariant(const Value& value) {
  switch (value.type()) {
    case FieldType::kText:
    case FieldType::kCode:
      return Variant(value.text());
    case FieldType::kInteger:
      return Variant(value.integer());
    case FieldType::kOption:
      // Option captions are few; an index beyond the 16-bit range cannot be stored.
      return Variant(static_cast<int16_t>(value.integer()));
    case FieldType::kBoolean:
      return Variant(value.boolean());
    case FieldType::kDate:
      return Variant::Date(DateToSerial(value.integer()));
    case FieldType::kTime:
      return Variant::Date(TimeToSerial(value.integer()));
    case FieldType::kDecimal:
      return Variant(value.decimal());
    case FieldType::kBlob: {
      const std::string& bytes = value.blob();
      std::u16string text(bytes.size(), u'\0');
      for (size_t i = 0; i < bytes.size(); ++i) text[i] = static_cast<unsigned char>(bytes[i]);
      return Variant(std::move(text));
    }
  }
  return Variant();
}

Input ToInput(const Variant& value, std::u16string& text) {
  switch (value.type()) {
    case VarType::kEmpty:
      return std::monostate{};
    case VarType::kBoolean:
      return value.ToBoolean();
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kByte:
      return static_cast<int64_t>(value.ToLong());
    case VarType::kSingle:
    case VarType::kDouble:
    case VarType::kCurrency:
      return value.ToDouble();
    case VarType::kDate:
      return DateSerial{value.ToDate()};
    case VarType::kString:
      text = value.ToString();
      return std::u16string_view(text);
    default:
      Fail(errc::kTypeMismatch, "a " + automation::ToUtf8(automation::TypeName(value)) +
                                    " value cannot be stored in a field");
  }
}

}  // namespace dbclient::binding
