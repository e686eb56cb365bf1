// Text helpers of the engine: UTF-8/UTF-16 conversion, case mapping and code-point order.
#pragma once

#include <string>
#include <string_view>

namespace dbclient::text {

std::string ToUtf8(std::u16string_view text);    // a lone surrogate becomes U+FFFD
void AssignToUtf8(std::u16string_view text, std::string* out);  // reuses out's storage
std::u16string FromUtf8(std::string_view text);  // invalid bytes become U+FFFD
// The same into `*out`, whose storage is reused.
void AssignFromUtf8(std::string_view text, std::u16string* out);
// The text with every lone surrogate and the noncharacters U+FFFE and U+FFFF replaced by
// U+FFFD: what SQLite's text functions (GLOB among them) read its UTF-8 form as.
std::u16string WellFormed(std::u16string_view text);

// Case mapping of the Latin, Greek and Cyrillic letters the application's texts use; other
// characters are left as they are.
char16_t ToUpper(char16_t c);
char16_t ToLower(char16_t c);
std::u16string ToUpper(std::u16string_view text);
std::u16string Fold(std::u16string_view text);  // the case-insensitive form (lower case)
bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b);

// Without leading and trailing blanks (spaces and tabs).
std::u16string_view TrimBlanks(std::u16string_view text);

// Compares by Unicode code point (the order of UTF-8 bytes), not by UTF-16 unit.
int CompareCodePoints(std::u16string_view a, std::u16string_view b);

// ASCII-only parse helpers over UTF-16 text.
inline bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace dbclient::text
