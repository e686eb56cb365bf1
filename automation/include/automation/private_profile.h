// INI files with the contract of the platform's private-profile functions (ANSI forms).
// All strings are bytes in the system's 8-bit code page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace automation {

// Copies the value of `key` in `section` of `file` (names compared case-insensitively,
// surrounding blanks trimmed) into `buffer`, at most bufferSize - 1 characters followed
// by a NUL; copies `defaultText` when the file, the section or the key is absent.
// Returns the number of characters copied, not counting the NUL.
size_t GetPrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view defaultText, char* buffer, size_t bufferSize,
                               const std::string& file);

// Creates or replaces the line of `key` in `section`, keeping every other line and
// comment, creating the section and the file as needed. The file is rewritten atomically
// (temporary file, then rename). Returns false when the file cannot be written.
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& file);

// The names of the sections of `file` in the order they appear (a name that appears twice
// is listed twice); empty when the file is absent or cannot be read.
std::vector<std::string> GetPrivateProfileSectionNames(const std::string& file);

}  // namespace automation
