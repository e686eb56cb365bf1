// The generated message files: every code the client can raise has a text, the format is
// the one the component reads, and Czech letters arrive in code page 852.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "automation/text.h"
#include "error_codes.h"

namespace dbclient::binding_test {
namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// A message file read strictly by its format: entries by key ("19.1008") holding the bytes
// of their text lines joined by CR LF. Any deviation is recorded in `problems`.
struct MessageFile {
  std::map<std::string, std::string> entries;
  std::vector<std::string> problems;
};

MessageFile Parse(const std::string& bytes) {
  MessageFile out;
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      out.problems.push_back("the last line has no CR LF");
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  for (const std::string& line : lines) {
    if (line.find_first_of("\r\n") != std::string::npos) out.problems.push_back("bare CR or LF");
  }
  std::string module;
  std::string key;
  for (const std::string& line : lines) {
    if (line.rfind("@1@", 0) == 0) {
      if (!module.empty()) out.problems.push_back("module " + module + " has no end line");
      const size_t at = line.find('@', 3);
      if (at == std::string::npos) out.problems.push_back("header without closing @: " + line);
      module = line.substr(3, at - 3);
      key.clear();
    } else if (line == "@2@END@0@") {
      if (module.empty()) out.problems.push_back("end line outside a module");
      module.clear();
      key.clear();
    } else if (line.rfind("@2@", 0) == 0) {
      const size_t at = line.find('@', 3);
      if (module.empty() || at == std::string::npos) {
        out.problems.push_back("bad entry line: " + line);
        continue;
      }
      key = module + "." + line.substr(3, at - 3);
      if (out.entries.count(key)) out.problems.push_back("key twice: " + key);
      out.entries[key];
    } else if (!key.empty()) {
      std::string& text = out.entries[key];
      if (!text.empty()) text += "\r\n";
      text += line;
    } else if (!module.empty()) {
      out.problems.push_back("text before the first entry of module " + module);
    }
  }
  if (!module.empty()) out.problems.push_back("module " + module + " has no end line");
  for (const auto& [entryKey, text] : out.entries) {
    if (text.empty()) out.problems.push_back("no text for " + entryKey);
  }
  return out;
}

std::string KeyOf(const errc::ErrorInfo& info) {
  return std::to_string(info.module) + "." + std::to_string(info.number);
}

// The text of `code` in `file`, or "" when it has none.
std::string TextOf(const MessageFile& file, int32_t code) {
  const auto entry = file.entries.find(KeyOf(*errc::Find(code)));
  return entry == file.entries.end() ? std::string() : entry->second;
}

struct Language {
  const char* name;
  const char* file;
  bool czech;
};

class BindingMessageFileTest : public ::testing::TestWithParam<Language> {};

TEST_P(BindingMessageFileTest, EveryCodeHasItsTextInTheRightCodePage) {
  const Language& language = GetParam();
  const std::string bytes = ReadBytes(std::string(TALMO_TEST_BIN_DIR) + "/" + language.file);
  ASSERT_FALSE(bytes.empty()) << language.file;
  const MessageFile file = Parse(bytes);
  EXPECT_TRUE(file.problems.empty()) << ::testing::PrintToString(file.problems);
  for (const errc::ErrorInfo& info : errc::kAll) {
    const auto entry = file.entries.find(KeyOf(info));
    ASSERT_NE(entry, file.entries.end()) << KeyOf(info) << " " << info.name;
    const std::u16string expected =
        automation::FromUtf8(language.czech ? info.czech : info.english);
    EXPECT_EQ(automation::DecodeCodePage(entry->second, "CP852"), expected) << info.name;
  }
  EXPECT_EQ(file.entries.size(), std::size(errc::kAll)) << "no text without a code";
}

TEST_P(BindingMessageFileTest, PlaceholdersForTheTableNameAndTheSearchMethod) {
  const MessageFile file =
      Parse(ReadBytes(std::string(TALMO_TEST_BIN_DIR) + "/" + GetParam().file));
  EXPECT_NE(TextOf(file, errc::kUnknownTableName).find("%10"), std::string::npos);
  EXPECT_NE(TextOf(file, errc::kBadSearchMethod).find("%12"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Languages, BindingMessageFileTest,
                         ::testing::Values(Language{"Czech", "fin.etx", true},
                                           Language{"English", "en/fin.etx", false}),
                         [](const ::testing::TestParamInfo<Language>& info) {
                           return info.param.name;
                         });

// The code page 852 bytes of Czech letters, known independently of any converter.
TEST(BindingMessageBytesTest, CzechLettersAreCodePage852Bytes) {
  const MessageFile file = Parse(ReadBytes(std::string(TALMO_TEST_BIN_DIR) + "/fin.etx"));
  // "V rozsahu filtrů není žádný záznam."
  EXPECT_EQ(TextOf(file, errc::kNoRecordInFilter),
            "V rozsahu filtr\x85 nen\xA1 \xA7\xA0\x64n\xEC z\xA0znam.");
  // "Spojení s databázovým serverem bylo přerušeno."
  EXPECT_EQ(TextOf(file, errc::kConnectionLost).substr(36, 5), "p\xFD" "eru");
}

}  // namespace
}  // namespace dbclient::binding_test
