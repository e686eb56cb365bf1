// Random writes and reads of one INI file checked against a map: every key reads back what
// was last written to it under any spelling of its names, and lines the writer does not own
// (comments, blank lines, keys before the first section) survive every rewrite.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <random>
#include <set>

#include "automation/private_profile.h"
#include "file_bytes.h"

namespace {

using talmo::testing::ReadBytes;
using talmo::testing::TempFolder;
using talmo::testing::WriteBytes;

constexpr std::string_view kAbsent =
    "\xB0\xB0\xB0"
    "absent";

class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}

  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

  // The name with each ASCII letter in a random case.
  std::string RandomCase(std::string name) {
    for (char& c : name) {
      if (Below(2) == 0) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
  }

  // A value that reads back unchanged: no blanks at its ends and no enclosing quotes. Inside
  // it may hold blanks, '=', ';', brackets, quotes and bytes of the upper half.
  std::string Value() {
    static constexpr std::string_view kInner = "ab Z09=;[]\"'\t%\xB0\xC8\x8E\xFE";
    static constexpr std::string_view kEdge = "xyQ7=;[]%\xC8\xFE";
    size_t length = Below(12);
    std::string v;
    for (size_t i = 0; i < length; ++i) {
      bool edge = i == 0 || i + 1 == length;
      std::string_view from = edge ? kEdge : kInner;
      v += from[Below(from.size())];
    }
    return v;
  }

 private:
  std::mt19937 random_;
};

std::string Read(const std::string& file, const std::string& section, const std::string& key) {
  std::array<char, 500> buffer{};
  automation::GetPrivateProfileString(section, key, kAbsent, buffer.data(), buffer.size(), file);
  return std::string(buffer.data());
}

TEST(PrivateProfileModel, RandomWritesReadBackAndKeepForeignLines) {
  const std::array<std::string, 4> sections = {"database", "counters", "a b", "x.y"};
  const std::array<std::string, 6> keys = {"server", "user", "cache size", "n1", "n2", "q"};
  const std::string head = "; written by hand\r\nbefore=section\r\n\r\n[counters]\r\n";
  const std::string comment = "; keep me\r\n";

  for (uint32_t seed = 1; seed <= 10; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    TempFolder folder;
    std::string file = folder.File("model.ini");
    WriteBytes(file, head + comment);
    Generator gen(seed);
    std::map<std::pair<std::string, std::string>, std::string> model;

    for (int step = 0; step < 50; ++step) {
      const std::string& section = sections[gen.Below(sections.size())];
      const std::string& key = keys[gen.Below(keys.size())];
      std::string value = gen.Value();
      ASSERT_TRUE(automation::WritePrivateProfileString(gen.RandomCase(section),
                                                        gen.RandomCase(key), value, file));
      model[{section, key}] = value;

      const std::string& probeSection = sections[gen.Below(sections.size())];
      const std::string& probeKey = keys[gen.Below(keys.size())];
      auto it = model.find({probeSection, probeKey});
      std::string expected = it == model.end() ? std::string(kAbsent) : it->second;
      ASSERT_EQ(Read(file, gen.RandomCase(probeSection), gen.RandomCase(probeKey)), expected)
          << probeSection << "/" << probeKey << " after step " << step;
    }

    for (const auto& [name, value] : model) {
      EXPECT_EQ(Read(file, name.first, name.second), value) << name.first << "/" << name.second;
    }
    std::string content = ReadBytes(file);
    EXPECT_EQ(content.rfind(head, 0), 0u) << "lines before the first key were disturbed";
    EXPECT_NE(content.find("\n" + comment), std::string::npos) << "comment lost";
    EXPECT_EQ(Read(file, "", "before"), std::string(kAbsent));
    size_t lines = static_cast<size_t>(std::count(content.begin(), content.end(), '\n'));
    size_t crlf = 0;
    for (size_t at = content.find("\r\n"); at != std::string::npos;
         at = content.find("\r\n", at + 2)) {
      ++crlf;
    }
    EXPECT_EQ(crlf, lines) << "every line keeps the file's CR LF ending";
    // One header per section and one line per key: the writer never duplicates a key.
    std::set<std::string> sectionsUsed;
    for (const auto& entry : model) sectionsUsed.insert(entry.first.first);
    sectionsUsed.insert("counters");
    size_t foreign = 4;  // comment, key before the sections, blank line, comment
    size_t blanksBeforeNewSections = sectionsUsed.size() - 1;
    EXPECT_EQ(lines, foreign + sectionsUsed.size() + blanksBeforeNewSections + model.size());
  }
}

}  // namespace
