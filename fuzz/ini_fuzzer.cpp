// The private-profile functions on a file of any content: a read copies at most 499
// characters and terminates them; a write that succeeds reads back as written (blanks and one
// pair of quotes around the value removed, as the reader does) and leaves every other key as
// it read before; a write of text that would change the file's structure fails.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "automation/private_profile.h"
#include "temp_folder.h"

namespace {

constexpr size_t kBufferSize = 500;
// A default no value can hold: a written value never holds a line break.
constexpr std::string_view kAbsent = "\n";

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

std::string Read(const std::string& section, const std::string& key, const std::string& file) {
  char buffer[kBufferSize + 1];
  std::memset(buffer, 'x', sizeof buffer);
  const size_t count =
      automation::GetPrivateProfileString(section, key, kAbsent, buffer, kBufferSize, file);
  if (count >= kBufferSize || buffer[count] != '\0' || buffer[kBufferSize] != 'x') {
    Fail("read past its buffer", std::to_string(count));
  }
  return std::string(buffer, count);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(std::string s) {
  while (!s.empty() && IsBlank(s.back())) s.pop_back();
  size_t start = 0;
  while (start < s.size() && IsBlank(s[start])) ++start;
  return s.substr(start);
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

// What a reader gives for a written value.
std::string ReadBack(const std::string& value) {
  std::string text = Trim(value);
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
      text.back() == text.front()) {
    text = text.substr(1, text.size() - 2);
  }
  return text.substr(0, kBufferSize - 1);
}

bool BreaksStructure(const std::string& section, const std::string& key, const std::string& value) {
  const std::string breaks("\r\n\0", 3);
  const std::string name = Trim(key);
  return (section + key + value).find_first_of(breaks) != std::string::npos ||
         section.find(']') != std::string::npos || key.find('=') != std::string::npos ||
         (!name.empty() && (name.front() == '[' || name.front() == ';'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const talmo::testing::TempFolder folder;
  static const std::string file = folder.File("fuzz.ini");
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(64);
  const std::string key = input.ConsumeRandomLengthString(64);
  const std::string value = input.ConsumeRandomLengthString(700);
  const std::string other = input.ConsumeRandomLengthString(64);
  const std::string content = input.ConsumeRemainingBytesAsString();
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << content;
  }
  Read(section, key, file);
  const std::string otherBefore = Read(section, other, file);

  const bool written = automation::WritePrivateProfileString(section, key, value, file);
  if (written == BreaksStructure(section, key, value)) {
    Fail(written ? "wrote text that breaks the file's structure" : "refused a plain write",
         section + "|" + key + "|" + value);
  }
  if (!written) return 0;
  const std::string after = Read(section, key, file);
  if (after != ReadBack(value)) Fail("the written value reads back as", after);
  if (!SameName(Trim(other), Trim(key)) && Read(section, other, file) != otherBefore) {
    Fail("a write changed another key", other);
  }
  return 0;
}
