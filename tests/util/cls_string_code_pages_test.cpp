// clsString code-page tables and conversions. Tables 1 and 2 are checked against the byte
// values of the letters in code pages 852 (from iconv) and Kamenický (listed here), read
// back as Windows-1250, so a wrong code point in a table is caught.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "automation/automation_error.h"
#include "automation/dispatch.h"
#include "automation/text.h"
#include "util/cls_string.h"

namespace {

using automation::AutomationError;
using talmo::clsString;

// The Windows letters of table 0, in table order.
constexpr std::u16string_view kLetters =
    u"aáÁeéÉěĚiíÍoóÓuúÚůŮyýÝ|cčČdďĎlľĽnňŇrřŘsšŠtťŤzžŽ|äëöüÄËÖÜß";

// The Kamenický (KEYBCS2) byte of each letter of kLetters; ë and Ë, which that code page
// lacks, have their code page 852 bytes.
constexpr std::array<unsigned char, 57> kKamenickyBytes = {
    'a',  0xA0, 0x8F, 'e',  0x82, 0x90, 0x88, 0x89, 'i',  0xA1, 0x8B, 'o', 0xA2, 0x95, 'u',
    0xA3, 0x97, 0x96, 0xA6, 'y',  0x98, 0x9D, '|',  'c',  0x87, 0x80, 'd', 0x83, 0x85, 'l',
    0x8C, 0x9C, 'n',  0xA4, 0xA5, 'r',  0xA9, 0x9E, 's',  0xA8, 0x9B, 't', 0x9F, 0x86, 'z',
    0x91, 0x92, '|',  0x84, 0x89, 0x94, 0x81, 0x8E, 0xD3, 0x99, 0x9A, 0xE1};

std::u16string Text(const automation::Variant& v) {
  EXPECT_EQ(v.type(), automation::VarType::kString);
  return v.ToString();
}

std::string Kamenicky(std::u16string_view text) {
  std::string bytes;
  for (char16_t c : text) {
    size_t k = kLetters.find(c);
    bytes += k == kLetters.npos ? static_cast<char>(c) : static_cast<char>(kKamenickyBytes[k]);
  }
  return bytes;
}

class CodePages : public ::testing::Test {
 protected:
  CodePages() { automation::SetAnsiCodePage("CP1250"); }
  clsString s_{u"/opt/talmo", u"Talmo"};
};

TEST_F(CodePages, TablesAreAlignedAndShareTheSeparatorsAndPlainLetters) {
  const std::u16string plain = u"aeioucdlnrstz";
  for (int32_t cp : {0, 1, 2, 9}) {
    SCOPED_TRACE(cp);
    std::u16string table = s_.CodePageTable(cp);
    ASSERT_EQ(table.size(), 57u);
    EXPECT_EQ(table[22], u'|');
    EXPECT_EQ(table[47], u'|');
    const int positions[] = {1, 4, 9, 12, 15, 20, 24, 27, 30, 33, 36, 39, 42, 45};
    const std::u16string expected = u"aeiouycdlnrstz";
    for (size_t i = 0; i < std::size(positions); ++i) {
      EXPECT_EQ(table[positions[i] - 1], expected[i]) << "position " << positions[i];
    }
  }
  EXPECT_EQ(s_.CodePageTable(0), kLetters);
}

TEST_F(CodePages, Table1IsCodePage852ReadAsWindows1250) {
  std::u16string table = s_.CodePageTable(1);
  for (size_t k = 0; k < kLetters.size(); ++k) {
    std::string byte = automation::EncodeCodePage(kLetters.substr(k, 1), "CP852");
    ASSERT_EQ(byte.size(), 1u);
    EXPECT_EQ(table[k], automation::DecodeCodePage(byte, "CP1250")[0])
        << "position " << k + 1 << " (" << automation::ToUtf8(kLetters.substr(k, 1)) << ")";
  }
}

TEST_F(CodePages, Table2IsKamenickyReadAsWindows1250) {
  std::u16string table = s_.CodePageTable(2);
  for (size_t k = 0; k < kLetters.size(); ++k) {
    std::string byte(1, static_cast<char>(kKamenickyBytes[k]));
    EXPECT_EQ(table[k], automation::DecodeCodePage(byte, "CP1250")[0])
        << "position " << k + 1 << " (" << automation::ToUtf8(kLetters.substr(k, 1)) << ")";
  }
}

TEST_F(CodePages, TextOfACodePage852FileConvertsBackToWindowsLetters) {
  const std::u16string czech =
      u"Příliš žluťoučký kůň úpěl ďábelské ódy: ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ, ľĽ, äëöü ÄËÖÜ ß.";
  std::string fileBytes = automation::EncodeCodePage(czech, "CP852");
  std::u16string asRead = automation::FromAnsi(fileBytes);
  ASSERT_NE(asRead, czech);
  EXPECT_EQ(Text(s_.ConvertCodePage(asRead, 1, 0)), czech);
  EXPECT_EQ(automation::ToAnsi(Text(s_.ConvertCodePage(czech, 0, 1))), fileBytes);
}

TEST_F(CodePages, TextOfAKamenickyFileConvertsBackToWindowsLetters) {
  const std::u16string czech =
      u"Příliš žluťoučký kůň úpěl ďábelské ódy: ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ ľĽ äöü ÄÖÜ";
  std::u16string asRead = automation::FromAnsi(Kamenicky(czech));
  EXPECT_EQ(Text(s_.ConvertCodePage(asRead, 2, 0)), czech);
  // ë shares its character with Ě in table 2, so it comes back as Ě.
  EXPECT_EQ(Text(s_.ConvertCodePage(s_.ConvertCodePage(u"ë", 0, 2).ToString(), 2, 0)), u"Ě");
}

TEST_F(CodePages, EveryWindowsLetterSurvivesARoundTripThroughTable1) {
  std::u16string there = Text(s_.ConvertCodePage(kLetters, 0, 1));
  EXPECT_EQ(Text(s_.ConvertCodePage(there, 1, 0)), kLetters);
  std::set<char16_t> distinct(there.begin(), there.end());
  EXPECT_EQ(distinct.size(), 56u) << "only the separator may repeat";
}

TEST_F(CodePages, ToPlainAsciiDropsTheAccents) {
  EXPECT_EQ(Text(s_.ConvertCodePage(u"Žluťoučký", 0, 9)), u"Zlutoucky");
  EXPECT_EQ(Text(s_.ConvertCodePage(u"ĚŠČŘŽÝÁÍÉÚŮĎŤŇĽ äëöüÄËÖÜ", 0, 9)),
            u"ESCRZYAIEUUDTNL aeouAEOU");
  EXPECT_EQ(Text(s_.ConvertCodePage(u"ß", 0, 9)), u"á");
}

TEST_F(CodePages, FromPlainAsciiCapitalsTakeTheirFirstAccentedForm) {
  EXPECT_EQ(Text(s_.ConvertCodePage(u"AEIOUYCDLNRSTZ", 9, 0)), u"ÁÉÍÓÚÝČĎĽŇŘŠŤŽ");
  EXPECT_EQ(Text(s_.ConvertCodePage(u"aeiouycdlnrstz", 9, 0)), u"aeiouycdlnrstz");
}

TEST_F(CodePages, OtherCharactersAndLengthAreKept) {
  EXPECT_EQ(Text(s_.ConvertCodePage(u"", 0, 9)), u"");
  EXPECT_EQ(Text(s_.ConvertCodePage(u"Q1 é€\n", 0, 9)), u"Q1 e€\n");
  EXPECT_EQ(Text(s_.ConvertCodePage(u"ä", 0, 0)), u"ä");
}

class UnknownCodePage : public ::testing::TestWithParam<int32_t> {};

TEST_P(UnknownCodePage, Raises999NamingTheNumber) {
  clsString s(u"/opt/talmo", u"Talmo");
  std::string digits = std::to_string(GetParam());
  std::u16string expected =
      u"Neznámá kódová stránka " + std::u16string(digits.begin(), digits.end());
  for (int side = 0; side < 3; ++side) {
    try {
      if (side == 0) s.CodePageTable(GetParam());
      if (side == 1) s.ConvertCodePage(u"x", GetParam(), 0);
      if (side == 2) s.ConvertCodePage(u"x", 0, GetParam());
      FAIL() << "999 expected";
    } catch (const AutomationError& e) {
      EXPECT_EQ(e.number(), 999);
      EXPECT_EQ(e.source(), u"Talmo");
      EXPECT_EQ(e.description(), expected);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Numbers, UnknownCodePage, ::testing::Values(5, 3, 10, -1, 852));

TEST(TranslateChars, FirstOccurrenceWinsAndShortTargetsLeaveCharactersAlone) {
  clsString s(u"/opt/talmo", u"Talmo");
  EXPECT_EQ(s.TranslateChars(u"abcabc", u"abca", u"xyzw").ToString(), u"xyzxyz");
  EXPECT_EQ(s.TranslateChars(u"abc", u"abc", u"X").ToString(), u"Xbc");
  EXPECT_EQ(s.TranslateChars(u"abc", u"", u"XYZ").ToString(), u"abc");
  EXPECT_EQ(s.TranslateChars(u"aáa", u"á", u"a").ToString(), u"aaa");
}

}  // namespace
