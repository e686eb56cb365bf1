// The errors that `Table` raises itself, each kind built here and nowhere else.
#pragma once

#include <cstdint>
#include <string_view>

namespace talmo::table_errors {

// 999: a field identifier that is neither an Integer/Long nor a String.
[[noreturn]] void RaiseBadFieldId();
// 999: a field type code that Field cannot read or write.
[[noreturn]] void RaiseUnknownFieldType(int16_t typeCode);
// 999: GetRec found no record. `keyText` holds one "name = value" line (CR LF ended) per
// key value given.
[[noreturn]] void RaiseRecordNotFound(std::u16string_view tableName, std::u16string_view keyText);
// 999: TestField without a value on a type code outside the known ones.
[[noreturn]] void RaiseTestFieldUnknownType();
// 999: TestField without a value on a BLOB field.
[[noreturn]] void RaiseTestFieldOnBlob();
// 998: the field holds its blank value (or nothing).
[[noreturn]] void RaiseFieldNotFilled(std::u16string_view tableName, std::u16string_view fieldName);
// 998: the field differs from the value it must hold.
[[noreturn]] void RaiseFieldDiffers(std::u16string_view tableName, std::u16string_view fieldName,
                                    std::u16string_view expected, std::u16string_view actual);

}  // namespace talmo::table_errors
