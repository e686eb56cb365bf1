// The errors of clsIniFile and clsString, each kind built here and nowhere else.
#pragma once

#include <cstdint>
#include <string_view>

namespace talmo::util_errors {

// 10101: a mandatory key read as empty.
[[noreturn]] void RaiseIniRead(std::u16string_view source, std::u16string_view fileName,
                               std::u16string_view section, std::u16string_view key);
// 10102: the INI file could not be written.
[[noreturn]] void RaiseIniWrite(std::u16string_view source, std::u16string_view fileName,
                                std::u16string_view section, std::u16string_view key);
// 999: a code-page number without a table.
[[noreturn]] void RaiseUnknownCodePage(std::u16string_view source, int32_t codePage);
// 10201: an empty file name or one naming a folder.
[[noreturn]] void RaiseNoFileName(std::u16string_view source, std::u16string_view fileName);
// 10203: a quoted field never closed; `rest` is the unconsumed line.
[[noreturn]] void RaiseUnexpectedEnd(std::u16string_view source, std::u16string_view rest);
// 10204: a closing quote followed by something other than the separator.
[[noreturn]] void RaiseBadSeparator(std::u16string_view source, std::u16string_view rest);

}  // namespace talmo::util_errors
