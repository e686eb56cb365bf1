// clsString delimited lines: NextField and SplitFields, with quoted fields, doubled quotes,
// the two errors, and a random round trip through a quoting writer.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "automation/automation_error.h"
#include "automation/dispatch.h"
#include "automation/text.h"
#include "util/cls_string.h"

namespace {

using automation::AutomationError;
using talmo::clsString;

std::vector<std::u16string> Fields(const automation::Variant& v) {
  std::vector<std::u16string> out;
  const automation::VariantArray& array = v.ToArray();
  EXPECT_EQ(array.LBound(), 0);
  for (const automation::Variant& item : array.items()) {
    EXPECT_EQ(item.type(), automation::VarType::kString);
    out.push_back(item.ToString());
  }
  return out;
}

struct SplitRow {
  const char* name;
  std::u16string line;
  std::u16string separator;
  std::vector<std::u16string> fields;
};

class SplitFieldsRows : public ::testing::TestWithParam<SplitRow> {};

TEST_P(SplitFieldsRows, Splits) {
  clsString s(u"/opt/talmo", u"Talmo");
  EXPECT_EQ(Fields(s.SplitFields(GetParam().line, GetParam().separator)), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SplitFieldsRows,
    ::testing::Values(
        SplitRow{"QuotedFields", u"1;\"a;b\";\"x\"\"y\"", u";", {u"1", u"a;b", u"x\"y"}},
        SplitRow{"EmptyLine", u"", u";", {}},
        SplitRow{"EmptyMiddleField", u"a;;b", u";", {u"a", u"", u"b"}},
        SplitRow{"EmptyFirstField", u";a", u";", {u"", u"a"}},
        SplitRow{"TrailingSeparatorEndsTheLine", u"a;", u";", {u"a"}},
        SplitRow{"EmptyQuotedField", u"\"\";x", u";", {u"", u"x"}},
        SplitRow{"OnlyQuotes", u"\"\"\"\"", u";", {u"\""}},
        SplitRow{"QuoteInsideUnquotedField", u"a\"b;c", u";", {u"a\"b", u"c"}},
        SplitRow{"OtherSeparator", u"a;b,\"c,d\"", u",", {u"a;b", u"c,d"}},
        SplitRow{"SeparatorOfTwoCharacters", u"a::b::\"c::\"", u"::", {u"a", u"b", u"c::"}},
        SplitRow{"EmptySeparatorTakesTheWholeLine", u"a;b", u"", {u"a;b"}},
        SplitRow{"CzechText", u"Žluťoučký;kůň", u";", {u"Žluťoučký", u"kůň"}}),
    [](const ::testing::TestParamInfo<SplitRow>& info) { return std::string(info.param.name); });

TEST(SplitFields, KeepsEveryFieldOfALongLine) {
  clsString s(u"/opt/talmo", u"Talmo");
  for (int count : {20, 21, 22, 25, 100}) {
    std::u16string line;
    std::vector<std::u16string> expected;
    for (int i = 0; i < count; ++i) {
      std::string n = "f" + std::to_string(i);
      expected.emplace_back(n.begin(), n.end());
      if (i > 0) line += u';';
      line += expected.back();
    }
    automation::Variant result = s.SplitFields(line, u";");
    EXPECT_EQ(result.ToArray().UBound(), count - 1);
    EXPECT_EQ(Fields(result), expected) << count << " fields";
  }
}

// Fields of random text, written with quotes where needed, split back to the same fields.
TEST(SplitFields, RandomFieldsSurviveQuoting) {
  clsString s(u"/opt/talmo", u"Talmo");
  std::mt19937 random(7);
  const std::u16string alphabet = u"ab;\"' ,č";
  auto below = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
  for (int round = 0; round < 300; ++round) {
    std::vector<std::u16string> fields(1 + below(30));
    std::u16string line;
    for (size_t i = 0; i < fields.size(); ++i) {
      for (size_t n = below(6); n > 0; --n) fields[i] += alphabet[below(alphabet.size())];
      // The last field must not be empty: "a;" is one field.
      if (i + 1 == fields.size() && fields[i].empty()) fields[i] = u"z";
      bool quote = below(2) == 0 || fields[i].find_first_of(u";\"") != std::u16string::npos;
      if (i > 0) line += u';';
      if (!quote) {
        line += fields[i];
        continue;
      }
      line += u'"';
      for (char16_t c : fields[i])
        line += c == u'"' ? std::u16string(u"\"\"") : std::u16string(1, c);
      line += u'"';
    }
    ASSERT_EQ(Fields(s.SplitFields(line, u";")), fields) << "line " << automation::ToUtf8(line);
  }
}

TEST(NextField, TakesOneFieldAndConsumesTheLine) {
  clsString s(u"/opt/talmo", u"Talmo");
  std::u16string line = u"\"a\"\"b\";plain;\"last\"";
  EXPECT_EQ(s.NextField(line, u";"), u"a\"b");
  EXPECT_EQ(line, u"plain;\"last\"");
  EXPECT_EQ(s.NextField(line, u";"), u"plain");
  EXPECT_EQ(line, u"\"last\"");
  EXPECT_EQ(s.NextField(line, u";"), u"last");
  EXPECT_EQ(line, u"");
  EXPECT_EQ(s.NextField(line, u";"), u"");
  EXPECT_EQ(line, u"");
}

struct ErrorRow {
  const char* name;
  std::u16string line;
  int32_t number;
  std::u16string description;
};

class NextFieldErrors : public ::testing::TestWithParam<ErrorRow> {};

TEST_P(NextFieldErrors, RaiseWithTheRemainingLineAndLeaveTheLineAlone) {
  clsString s(u"/opt/talmo", u"Talmo");
  std::u16string line = GetParam().line;
  try {
    s.NextField(line, u";");
    FAIL() << "error expected";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), GetParam().number);
    EXPECT_EQ(e.source(), u"Talmo");
    EXPECT_EQ(e.description(), GetParam().description);
  }
  EXPECT_EQ(line, GetParam().line);
  EXPECT_THROW(s.SplitFields(u"ok;" + GetParam().line, u";"), AutomationError);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NextFieldErrors,
    ::testing::Values(
        ErrorRow{"NeverClosed", u"\"abc;d", 10203, u"Nečekaný konec zpracovávané řádky: abc;d"},
        ErrorRow{"OpenedAgainNeverClosed", u"\"ab\"\"cd", 10203,
                 u"Nečekaný konec zpracovávané řádky: cd"},
        ErrorRow{"OnlyAQuote", u"\"", 10203, u"Nečekaný konec zpracovávané řádky: "},
        ErrorRow{"TextAfterClosingQuote", u"\"a\"b;c", 10204, u"Chybný oddělovač: b;c"},
        ErrorRow{"BlankAfterClosingQuote", u"\"a\" ;c", 10204, u"Chybný oddělovač:  ;c"}),
    [](const ::testing::TestParamInfo<ErrorRow>& info) { return std::string(info.param.name); });

}  // namespace
