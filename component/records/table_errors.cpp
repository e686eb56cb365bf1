#include "records/table_errors.h"

#include <string>

#include "errors/component_error.h"
#include "records/table_internal.h"

namespace talmo::table_errors {
namespace {

using table_internal::kLineBreak;

// "Pole "<table>"."<field>"": how the messages of TestField name a field.
std::u16string QuotedField(std::u16string_view tableName, std::u16string_view fieldName) {
  std::u16string text = u"Pole \"";
  text += tableName;
  text += u"\".\"";
  text += fieldName;
  text += u"\"";
  return text;
}

constexpr std::u16string_view kTestFieldTrailer = u"(Chyba příkazem testfield)";

}  // namespace

void RaiseBadFieldId() { RaiseComponentError(u"ID pole musí být typu String nebo Long"); }

void RaiseUnknownFieldType(int16_t typeCode) {
  std::u16string text = u"Talmo internal Error - unknown Type in GetField ";
  for (char c : std::to_string(typeCode)) text += static_cast<char16_t>(c);
  RaiseComponentError(text);
}

void RaiseRecordNotFound(std::u16string_view tableName, std::u16string_view keyText) {
  std::u16string text = u"Záznam v tabulce \"";
  text += tableName;
  text += u"\" neexistuje!";
  text += kLineBreak;
  text += keyText;
  text += kLineBreak;
  text += kLineBreak;
  text += u"(Chyba příkazem GetRec)";
  RaiseComponentError(text);
}

void RaiseTestFieldUnknownType() { RaiseComponentError(u"Neznámý typ pole"); }

void RaiseTestFieldOnBlob() { RaiseComponentError(u"Nelze použít testfield pro BLOB"); }

void RaiseFieldNotFilled(std::u16string_view tableName, std::u16string_view fieldName) {
  std::u16string text = QuotedField(tableName, fieldName);
  text += u" musí být vyplněno!";
  text += kLineBreak;
  text += kTestFieldTrailer;
  RaiseTestFieldError(text);
}

void RaiseFieldDiffers(std::u16string_view tableName, std::u16string_view fieldName,
                       std::u16string_view expected, std::u16string_view actual) {
  // The apostrophe before the expected value has no closing counterpart, as users know it.
  std::u16string text = QuotedField(tableName, fieldName);
  text += u" musí obsahovat '";
  text += expected;
  text += kLineBreak;
  text += u"Místo toho obsahuje ";
  text += actual;
  text += kLineBreak;
  text += kTestFieldTrailer;
  RaiseTestFieldError(text);
}

}  // namespace talmo::table_errors
