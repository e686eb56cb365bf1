// clsString text routines: trimming, template extraction, number increment, URL and
// quoted-printable coding, whole-file reading.
#include <gtest/gtest.h>

#include <optional>

#include "automation/automation_error.h"
#include "automation/dispatch.h"
#include "automation/text.h"
#include "file_bytes.h"
#include "util/cls_string.h"

namespace {

using automation::AutomationError;
using talmo::clsString;

// The number of the error `call` raises, or 0 when it raises none.
template <typename Call>
int32_t ErrorOf(Call call) {
  try {
    call();
  } catch (const AutomationError& e) {
    return e.number();
  }
  return 0;
}

class StringTest : public ::testing::Test {
 protected:
  StringTest() { automation::SetAnsiCodePage("CP1250"); }
  clsString s_{u"/opt/talmo", u"Talmo"};
};

struct TrimRow {
  const char* name;
  std::u16string text;
  std::u16string lead;
  std::optional<std::u16string> trail;
  std::u16string expected;
};

class TrimStringRows : public ::testing::TestWithParam<TrimRow> {};

TEST_P(TrimStringRows, Trims) {
  clsString s(u"/opt/talmo", u"Talmo");
  std::optional<std::u16string_view> trail;
  if (GetParam().trail) trail = *GetParam().trail;
  EXPECT_EQ(s.TrimString(GetParam().text, GetParam().lead, trail), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TrimStringRows,
    ::testing::Values(TrimRow{"SameBothSides", u"xxabcxx", u"x", std::nullopt, u"abc"},
                      TrimRow{"RepeatedMultiCharacter", u"ababXab", u"ab", std::nullopt, u"X"},
                      TrimRow{"DifferentTrail", u"--a++", u"-", u"+", u"a"},
                      TrimRow{"TrailOnlyWhereItEnds", u"a+b", u"-", u"+", u"a+b"},
                      TrimRow{"EverythingRemoved", u"aaaa", u"a", std::nullopt, u""},
                      TrimRow{"EmptyText", u"", u"x", u"y", u""},
                      TrimRow{"EmptyLeadRemovesNothingAtTheFront", u"xax", u"", u"x", u"xa"},
                      TrimRow{"EmptyTrailRemovesNothingAtTheEnd", u"xax", u"x", u"", u"ax"},
                      TrimRow{"BothEmpty", u"abc", u"", std::nullopt, u"abc"},
                      TrimRow{"CaseSensitive", u"Xax", u"x", std::nullopt, u"Xa"},
                      TrimRow{"OverlappingTrail", u"aba", u"ab", u"ba", u"a"}),
    [](const ::testing::TestParamInfo<TrimRow>& info) { return std::string(info.param.name); });

struct ExtractRow {
  const char* name;
  std::u16string text;
  std::u16string templateText;
  std::u16string placeholder;
  bool consume;
  std::u16string expected;
  std::u16string textAfter;
};

class ExtractByTemplateRows : public ::testing::TestWithParam<ExtractRow> {};

TEST_P(ExtractByTemplateRows, Extracts) {
  clsString s(u"/opt/talmo", u"Talmo");
  std::u16string text = GetParam().text;
  EXPECT_EQ(s.ExtractByTemplate(text, GetParam().templateText, GetParam().placeholder,
                                GetParam().consume),
            GetParam().expected);
  EXPECT_EQ(text, GetParam().textAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ExtractByTemplateRows,
    ::testing::Values(
        ExtractRow{"BetweenBeforeAndAfter", u"Name: Jan; Age: 5", u"Name: #; Age", u"#", false,
                   u"Jan", u"Name: Jan; Age: 5"},
        ExtractRow{"ConsumeKeepsWhatFollows", u"Name: Jan; Age: 5", u"Name: #; Age", u"#", true,
                   u"Jan", u": 5"},
        ExtractRow{"NothingAfterPlaceholder", u"id=42", u"id=<v>", u"<v>", false, u"42", u"id=42"},
        ExtractRow{"NothingAfterConsumesAll", u"id=42", u"id=<v>", u"<v>", true, u"42", u""},
        ExtractRow{"NothingBeforePlaceholder", u"42 kg", u"# kg", u"#", true, u"42", u""},
        ExtractRow{"FirstOccurrences", u"<a><b>", u"<#>", u"#", true, u"a", u"<b>"},
        ExtractRow{"PlaceholderNotInTemplate", u"abc", u"a#c", u"$", true, u"", u"abc"},
        ExtractRow{"BeforeNotInText", u"abc", u"x#c", u"#", true, u"", u"abc"},
        ExtractRow{"AfterNotInText", u"abc", u"a#x", u"#", true, u"", u"abc"},
        ExtractRow{"EmptyPlaceholder", u"abc", u"abc", u"", true, u"", u"abc"},
        ExtractRow{"CaseSensitive", u"KEY=1", u"key=#", u"#", true, u"", u"KEY=1"}),
    [](const ::testing::TestParamInfo<ExtractRow>& info) { return std::string(info.param.name); });

struct IncrementRow {
  const char* name;
  std::u16string text;
  int32_t step;
  std::u16string expected;  // empty when an error is expected
  int32_t error;
};

class IncrementNumberRows : public ::testing::TestWithParam<IncrementRow> {};

TEST_P(IncrementNumberRows, Increments) {
  clsString s(u"/opt/talmo", u"Talmo");
  if (GetParam().error == 0) {
    EXPECT_EQ(s.IncrementNumber(GetParam().text, GetParam().step), GetParam().expected);
  } else {
    EXPECT_EQ(ErrorOf([&] { s.IncrementNumber(GetParam().text, GetParam().step); }),
              GetParam().error);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IncrementNumberRows,
    ::testing::Values(IncrementRow{"KeepsWidth", u"OBJ00009", 1, u"OBJ00010", 0},
                      IncrementRow{"Widens", u"A99", 1, u"A100", 0},
                      IncrementRow{"DigitsOnly", u"3500", 1, u"3501", 0},
                      IncrementRow{"LargerStep", u"S-0095", 10, u"S-0105", 0},
                      IncrementRow{"OnlyTrailingDigits", u"2024-X7", 1, u"2024-X8", 0},
                      IncrementRow{"NegativeStep", u"A10", -1, u"A09", 0},
                      IncrementRow{"ZeroStep", u"A007", 0, u"A007", 0},
                      IncrementRow{"NegativeResultZerosAfterSign", u"A0005", -10, u"A-005", 0},
                      IncrementRow{"UpToTheLimit", u"N2147483646", 1, u"N2147483647", 0},
                      IncrementRow{"LeadingZerosBeyondLimitWidth", u"000000000001", 1,
                                   u"000000000002", 0},
                      IncrementRow{"NoTrailingDigits", u"ABC", 1, u"", 13},
                      IncrementRow{"DigitsNotAtTheEnd", u"12A", 1, u"", 13},
                      IncrementRow{"Empty", u"", 1, u"", 13},
                      IncrementRow{"ResultOverflows", u"2147483647", 1, u"", 6},
                      IncrementRow{"NumberOverflows", u"A99999999999", 0, u"", 6},
                      IncrementRow{"DownToTheLowestNumber", u"A0", INT32_MIN, u"A-2147483648", 0}),
    [](const ::testing::TestParamInfo<IncrementRow>& info) {
      return std::string(info.param.name);
    });

struct UrlRow {
  const char* name;
  std::u16string text;
  std::u16string expected;
};

class UrlEncodeRows : public ::testing::TestWithParam<UrlRow> {};

TEST_P(UrlEncodeRows, Encodes) {
  automation::SetAnsiCodePage("CP1250");
  clsString s(u"/opt/talmo", u"Talmo");
  EXPECT_EQ(s.UrlEncode(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UrlEncodeRows,
    ::testing::Values(
        UrlRow{"Example", u"a b+c/é", u"a+b%2Bc%2F%E9"}, UrlRow{"TabHasOneDigit", u"\t", u"%9"},
        UrlRow{"Nul", std::u16string(1, u'\0'), u"%0"},
        UrlRow{"Punctuation", u"!\"#$%&'()*,-.", u"%21%22%23%24%25%26%27%28%29%2A%2C%2D%2E"},
        UrlRow{"KeptAbove47", u"09:;<=>?@AZ[\\]^_`az{|}~\x7F", u"09:;<=>?@AZ[\\]^_`az{|}~\x7F"},
        UrlRow{"CzechByWindows1250Code", u"Žluť", u"%8Elu%9D"},
        UrlRow{"ControlOfUpperHalf", u"\u0081", u"%81"},
        UrlRow{"OutsideTheCodePageIsCopied", u"日", u"日"}, UrlRow{"Empty", u"", u""}),
    [](const ::testing::TestParamInfo<UrlRow>& info) { return std::string(info.param.name); });

TEST_F(StringTest, UrlEncodeAcceptsAtMost32767Characters) {
  std::u16string text(32767, u'a');
  EXPECT_EQ(s_.UrlEncode(text), text);
  text += u'a';
  EXPECT_EQ(ErrorOf([&] { s_.UrlEncode(text); }), 6);
}

struct QuotedRow {
  const char* name;
  std::u16string text;
  std::u16string expected;  // ignored when an error is expected
  int32_t error;
};

class DecodeQuotedPrintableRows : public ::testing::TestWithParam<QuotedRow> {};

TEST_P(DecodeQuotedPrintableRows, Decodes) {
  automation::SetAnsiCodePage("CP1250");
  clsString s(u"/opt/talmo", u"Talmo");
  if (GetParam().error == 0) {
    EXPECT_EQ(s.DecodeQuotedPrintable(GetParam().text), GetParam().expected);
  } else {
    EXPECT_EQ(ErrorOf([&] { s.DecodeQuotedPrintable(GetParam().text); }), GetParam().error);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DecodeQuotedPrintableRows,
    ::testing::Values(QuotedRow{"Example", u"a=3Db=\r\nc", u"a=bc", 0},
                      QuotedRow{"Windows1250Letters", u"=8Elu=9Dou=E8k=FD", u"Žluťoučký", 0},
                      QuotedRow{"LowerCaseHex", u"=c8=e1", u"Čá", 0},
                      QuotedRow{"SoftBreaksOnly", u"ab=\r\n=\r\ncd", u"abcd", 0},
                      QuotedRow{"PlainText", u"no codes\r\n", u"no codes\r\n", 0},
                      QuotedRow{"EncodedEqualsNotReread", u"=3D41", u"=41", 0},
                      QuotedRow{"Nul", u"x=00y", std::u16string(u"x\0y", 3), 0},
                      QuotedRow{"EqualsAtEnd", u"x=", u"", 13},
                      QuotedRow{"OneDigit", u"x=4", u"", 13}, QuotedRow{"NotHex", u"x=G1", u"", 13},
                      QuotedRow{"BareLineFeed", u"x=\ny", u"", 13},
                      QuotedRow{"SignIsNoDigit", u"x=-1", u"", 13}),
    [](const ::testing::TestParamInfo<QuotedRow>& info) { return std::string(info.param.name); });

TEST_F(StringTest, ReadFileTextGivesOneCharacterPerByte) {
  talmo::testing::TempFolder folder;
  std::string file = folder.File("data.txt");
  talmo::testing::WriteBytes(file, std::string("\xC8"
                                               "a\0b\r\n\x8E",
                                               7));
  EXPECT_EQ(s_.ReadFileText(automation::FromUtf8(file)), std::u16string(u"Ča\0b\r\nŽ", 7));
  talmo::testing::WriteBytes(file, "");
  EXPECT_EQ(s_.ReadFileText(automation::FromUtf8(file)), u"");
}

TEST_F(StringTest, ReadFileTextReportsMissingAndUnreadableFiles) {
  talmo::testing::TempFolder folder;
  std::u16string missing = automation::FromUtf8(folder.File("none.txt"));
  EXPECT_EQ(ErrorOf([&] { s_.ReadFileText(missing); }), 53);
  EXPECT_FALSE(std::filesystem::exists(folder.File("none.txt")));
  EXPECT_EQ(ErrorOf([&] { s_.ReadFileText(u""); }), 53);
  EXPECT_EQ(ErrorOf([&] { s_.ReadFileText(automation::FromUtf8(folder.path().string())); }), 75);
}

}  // namespace
