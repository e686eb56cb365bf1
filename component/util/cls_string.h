// `clsString`: the component's toolbox for text: folder and file names resolved against
// default folders, Czech and German letters converted between code-page tables, the number
// at the end of a text increased, and small parsing routines.
//
// Positions and searches are by UTF-16 code unit and case-sensitive. Every member raises
// automation::AutomationError on failure and leaves its by-reference arguments unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "automation/variant.h"

namespace talmo {

class clsString {
 public:
  // `componentFolder`: the folder of the component's own file, the base of relative names
  // when no default folder applies. `errorSource`: the source of the errors raised. Both
  // default folders start as the component folder.
  clsString(std::u16string componentFolder, std::u16string errorSource);

  // Default folders for relative names: `SetDefaultPath` stores GetFullPath(path, 0,
  // component folder), so "" gives the component folder. Type 0 uses the default path,
  // type 1 the default temp path.
  void SetDefaultPath(std::u16string_view newDefaultPath);
  const std::u16string& DefaultPath() const noexcept { return defaultPath_; }
  void SetDefaultTempPath(std::u16string_view newDefaultPath);
  const std::u16string& DefaultTempPath() const noexcept { return defaultTempPath_; }

  // `FileName` placed in the folder GetFullPath(Path, ...). A name with a drive colon or a
  // leading '/' is returned unchanged; a name with a leading '\' goes on the folder's drive.
  // An empty name or one ending in a separator raises 10201.
  std::u16string GetFullFileName(std::u16string_view FileName, std::u16string_view Path,
                                 int16_t TypeDefaultPath, std::u16string_view MyDefaultPath) const;

  // The folder `Path` (one trailing separator dropped) made absolute. A path with a colon or
  // a leading '/' is already absolute; a leading '\' is put on the base's drive; anything
  // else is appended to the base: `MyDefaultPath` if given, else the default folder chosen by
  // `TypeDefaultPath` if set, else the component folder. Windows-style names join with '\',
  // names under a base containing '/' join with '/'.
  std::u16string GetFullPath(std::u16string_view Path, int16_t TypeDefaultPath,
                             std::u16string_view MyDefaultPath) const;

  // `text` with each letter of code-page table `source` replaced by the letter at the same
  // position of table `target` (String Variant). An unknown table raises 999.
  automation::Variant ConvertCodePage(std::u16string_view text, int32_t source,
                                      int32_t target) const;
  // The 57-character table of code page 0 (Windows letters), 1 (852 read as Windows-1250),
  // 2 (Kamenický read as Windows-1250) or 9 (plain ASCII); any other number raises 999.
  std::u16string CodePageTable(int32_t codePage) const;
  // Each character of `text` found in `from` (first occurrence, position k) becomes the
  // character at position k of `to`; others stay. Same length as `text` (String Variant).
  automation::Variant TranslateChars(std::u16string_view text, std::u16string_view from,
                                     std::u16string_view to) const;

  // `text` without repeated leading `lead` and then repeated trailing `trail` (default:
  // `lead`). An empty lead or trail removes nothing on its side.
  std::u16string TrimString(std::u16string_view text, std::u16string_view lead,
                            std::optional<std::u16string_view> trail = std::nullopt) const;

  // The part of `text` that stands where `placeholder` stands in `templateText`: behind the
  // template's text before the placeholder and up to its text after it. "" when the
  // placeholder, the text before or the text after is not found. With `consume`, `text`
  // becomes what follows the extracted part (and its closing text).
  std::u16string ExtractByTemplate(std::u16string& text, std::u16string_view templateText,
                                   std::u16string_view placeholder, bool consume) const;

  // `text` with its trailing decimal number increased by `step`, keeping at least the
  // number's width ("OBJ00009" -> "OBJ00010", "A99" -> "A100"). No trailing digits raises 13;
  // a number or result outside the 32-bit range raises 6.
  std::u16string IncrementNumber(std::u16string_view text, int32_t step) const;

  // Form-style URL encoding by the system ANSI code: space -> "+", codes 0-47 and 128-255
  // -> "%" and upper-case hex without leading zeros; other characters unchanged. A text of
  // more than 32767 characters raises 6.
  std::u16string UrlEncode(std::u16string_view text) const;

  // Quoted-printable text decoded: soft line breaks ("=" CR LF) removed, "=XX" replaced by
  // the character with system ANSI code XX. "=" without two hex digits behind raises 13.
  std::u16string DecodeQuotedPrintable(std::u16string_view text) const;

  // The whole file, one character per byte from the system ANSI code page. A missing file
  // raises 53, an unreadable one 75.
  std::u16string ReadFileText(std::u16string_view fileName) const;

  // Every field of a delimited line (see NextField) as a zero-based Variant array of
  // strings; an empty line gives an empty array.
  automation::Variant SplitFields(std::u16string_view line, std::u16string_view separator) const;

  // Takes the first field off `line`: unquoted up to `separator`, or a double-quoted field in
  // which "" stands for one quote, followed by the separator or the end. An unclosed quote
  // raises 10203, a closing quote followed by anything else 10204.
  std::u16string NextField(std::u16string& line, std::u16string_view separator) const;

 private:
  std::u16string componentFolder_;
  std::u16string errorSource_;
  std::u16string defaultPath_;
  std::u16string defaultTempPath_;
};

}  // namespace talmo
