// UTF-8, UTF-16 and the single-byte code pages.
#include <string>

#include "test_support.h"

namespace automation_test {
namespace {

using automation::FromAnsi;
using automation::FromUtf8;
using automation::ToAnsi;
using automation::ToUtf8;

const std::u16string kCzech = u"Příliš žluťoučký kůň úpěl ďábelské ódy";

TEST(Utf, RoundTripsEveryPlane) {
  const std::u16string text = u"aé€Č\U0001F600z";
  EXPECT_EQ(ToUtf8(text), "a\xC3\xA9\xE2\x82\xAC\xC4\x8C\xF0\x9F\x98\x80z");
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(FromUtf8(ToUtf8(kCzech)), kCzech);
  EXPECT_EQ(FromUtf8(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Utf, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(FromUtf8("a\xFF"
                     "b"),
            u"a\uFFFDb");
  EXPECT_EQ(FromUtf8("\xC3"), u"\uFFFD");              // truncated sequence
  EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD");          // overlong '/'
  EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD");      // encoded surrogate
  EXPECT_EQ(FromUtf8("\xF4\x90\x80\x80"), u"\uFFFD");  // above U+10FFFF
  EXPECT_EQ(FromUtf8("\xE2\x82"
                     "x"),
            u"\uFFFDx");  // continuation missing
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t{0xDC00}) + u"a"),
            "\xEF\xBF\xBD"
            "a");
}

TEST(Ansi, Windows1250IsTheDefaultCodePage) {
  EXPECT_EQ(automation::AnsiCodePage(), "CP1250");
  const std::string bytes = ToAnsi(u"Čeština řš€");
  EXPECT_EQ(bytes,
            "\xC8"
            "e\x9Atina \xF8\x9A\x80");
  EXPECT_EQ(FromAnsi(bytes), u"Čeština řš€");
  EXPECT_EQ(FromAnsi(ToAnsi(kCzech)), kCzech);
}

TEST(Ansi, OneBytePerCharacterAndUnknownCharactersBecomeQuestionMarks) {
  const std::u16string text = u"a日\U0001F600b";
  const std::string bytes = ToAnsi(text);
  EXPECT_EQ(bytes.size(), text.size());
  EXPECT_EQ(bytes, "a???b");
}

TEST(Ansi, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::u16string text = FromAnsi(all);
  EXPECT_EQ(text.size(), 256u);
  EXPECT_EQ(ToAnsi(text), all);
}

TEST(Ansi, AnotherCodePageCanBeChosenAndAnUnknownOneIsRefused) {
  EXPECT_EQ(ErrorOf([] { automation::SetAnsiCodePage("NO-SUCH-CODE-PAGE"); }), 5);
  EXPECT_EQ(automation::AnsiCodePage(), "CP1250");
  automation::SetAnsiCodePage("CP1252");
  EXPECT_EQ(ToAnsi(u"é"), "\xE9");
  EXPECT_EQ(ToAnsi(u"ř"), "?");
  automation::SetAnsiCodePage("CP1250");
  EXPECT_EQ(ToAnsi(u"ř"), "\xF8");
}

TEST(CodePage, Cp852DecodesAndEncodes) {
  EXPECT_EQ(automation::DecodeCodePage("\x9F\xA7\xFD", "CP852"), u"čžř");
  EXPECT_EQ(automation::EncodeCodePage(u"čžř€", "CP852"), "\x9F\xA7\xFD?");
  EXPECT_EQ(automation::DecodeCodePage(automation::EncodeCodePage(kCzech, "CP852"), "CP852"),
            kCzech);
  EXPECT_EQ(ErrorOf([] { automation::DecodeCodePage("x", "NO-SUCH-CODE-PAGE"); }), 5);
}

TEST(FoldCase, NamesCompareWithoutRegardToCase) {
  EXPECT_TRUE(automation::EqualsIgnoreCase(u"IniZbývajícíČástku", u"INIZBÝVAJÍCÍČÁSTKU"));
  EXPECT_TRUE(automation::EqualsIgnoreCase(u"ňŘšŤůŽĺ", u"ŇřŠťŮžĹ"));
  EXPECT_TRUE(automation::EqualsIgnoreCase(u"Validate", u"vALIDATE"));
  EXPECT_FALSE(automation::EqualsIgnoreCase(u"Rec", u"Red"));
  EXPECT_FALSE(automation::EqualsIgnoreCase(u"Rec", u"Recs"));
  EXPECT_FALSE(automation::EqualsIgnoreCase(u"ĳ", u"ĵ"));
  EXPECT_EQ(automation::FoldCase(u'×'), u'×');
}

}  // namespace
}  // namespace automation_test
