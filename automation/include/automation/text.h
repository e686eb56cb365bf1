// Conversions between the UTF-16 strings of automation values and byte strings.
#pragma once

#include <string>
#include <string_view>

namespace automation {

std::u16string FromUtf8(std::string_view utf8);
std::string ToUtf8(std::u16string_view utf16);

// The system's 8-bit ("ANSI") code page: Windows-1250 unless changed. One byte per
// character both ways; a character the code page lacks becomes '?'.
std::string ToAnsi(std::u16string_view text);
std::u16string FromAnsi(std::string_view bytes);

// Selects another single-byte code page by its iconv name (for example "CP1252").
// Throws AutomationError 5 when iconv does not know it.
void SetAnsiCodePage(const std::string& iconvName);
const std::string& AnsiCodePage();

// Converts bytes of any single-byte code page known to iconv ("CP852") to UTF-16 and back.
std::u16string DecodeCodePage(std::string_view bytes, const std::string& iconvName);
std::string EncodeCodePage(std::u16string_view text, const std::string& iconvName);

// Simple case folding for names compared without regard to case: ASCII, Latin-1, Latin
// Extended-A (Czech letters included), Greek and Cyrillic capitals map to small letters.
char16_t FoldCase(char16_t c) noexcept;
bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b) noexcept;

}  // namespace automation
