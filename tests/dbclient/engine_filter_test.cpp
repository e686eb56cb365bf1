// The filter expression language: what each expression selects, and what it refuses.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/filter.h"
#include "engine/text_util.h"
#include "engine_test_support.h"
#include "error_codes.h"
#include "storage/sql_text.h"

namespace dbclient {
namespace {

using testing::HasCode;
using testing::IsOk;

// The filter tests work on field number 7.
FieldDef MakeField(FieldType type, int16_t length = 0, std::string options = "") {
  return testing::MakeField(type, length, std::move(options), 7);
}

const FieldDef kText = MakeField(FieldType::kText, 30);
const FieldDef kCode = MakeField(FieldType::kCode, 20);
const FieldDef kInteger = MakeField(FieldType::kInteger);
const FieldDef kDecimal = MakeField(FieldType::kDecimal);
const FieldDef kDate = MakeField(FieldType::kDate);
const FieldDef kOption = MakeField(FieldType::kOption, 0, "Quote,Order,Invoice");
const FieldDef kBoolean = MakeField(FieldType::kBoolean);

struct FilterRow {
  const char* name;
  FieldDef field;
  std::u16string expression;
  std::vector<std::u16string> matching;  // values (as field input text) the filter keeps
  std::vector<std::u16string> excluded;  // values it drops
};

std::ostream& operator<<(std::ostream& out, const FilterRow& row) { return out << row.name; }

Value Make(const FieldDef& field, const std::u16string& text) {
  Value value;
  EXPECT_TRUE(IsOk(ConvertInput(field, std::u16string_view(text), &value)));
  return value;
}

class FilterSelectsTest : public ::testing::TestWithParam<FilterRow> {};

TEST_P(FilterSelectsTest, KeepsAndDrops) {
  const FilterRow& row = GetParam();
  FieldFilter filter;
  ASSERT_TRUE(IsOk(FieldFilter::Parse(row.field, row.expression, &filter)));
  EXPECT_EQ(filter.fieldNo(), row.field.number);
  for (const std::u16string& value : row.matching) {
    EXPECT_TRUE(filter.Matches(Make(row.field, value))) << "should keep " << value.size();
  }
  for (const std::u16string& value : row.excluded) {
    EXPECT_FALSE(filter.Matches(Make(row.field, value))) << "should drop " << value.size();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Expressions, FilterSelectsTest,
    ::testing::Values(
        FilterRow{"Equal", kInteger, u"10", {u"10"}, {u"9", u"11"}},
        FilterRow{"EqualSign", kInteger, u"=10", {u"10"}, {u"9"}},
        FilterRow{"Range", kInteger, u"10..20", {u"10", u"15", u"20"}, {u"9", u"21"}},
        FilterRow{"RangeWithBlanks", kInteger, u" 10 .. 20 ", {u"10", u"20"}, {u"21"}},
        FilterRow{"OpenHigh", kInteger, u"10..", {u"10", u"99999"}, {u"9"}},
        FilterRow{"OpenLow", kInteger, u"..10", {u"-5", u"10"}, {u"11"}},
        FilterRow{"Less", kInteger, u"<10", {u"9"}, {u"10"}},
        FilterRow{"LessEqual", kInteger, u"<=10", {u"10"}, {u"11"}},
        FilterRow{"Greater", kInteger, u">10", {u"11"}, {u"10"}},
        FilterRow{"GreaterEqual", kInteger, u">=10", {u"10"}, {u"9"}},
        FilterRow{"NotEqual", kInteger, u"<>0", {u"1", u"-1"}, {u"0"}},
        FilterRow{"Or", kInteger, u"1|5|9", {u"1", u"5", u"9"}, {u"2", u"6"}},
        FilterRow{"And", kInteger, u">1&<5", {u"2", u"4"}, {u"1", u"5"}},
        FilterRow{"AndBindsTighter", kInteger, u"1|>5&<8", {u"1", u"6", u"7"}, {u"5", u"8"}},
        FilterRow{"Parentheses", kInteger, u"(1|5)&>2", {u"5"}, {u"1", u"3"}},
        FilterRow{"NestedParentheses",
                  kInteger,
                  u"((1..3)|(7..9))&<>8",
                  {u"1", u"3", u"7", u"9"},
                  {u"4", u"8"}},
        FilterRow{"NegativeRange", kInteger, u"-5..-1", {u"-5", u"-1"}, {u"0", u"-6"}},
        FilterRow{"DecimalRange", kDecimal, u"1.5..2.25", {u"1.5", u"2.25"}, {u"1.49", u"2.26"}},
        FilterRow{"DateRange",
                  kDate,
                  u"1/1/2020..12/31/2020",
                  {u"2020-06-30"},
                  {u"2019-12-31", u"2021-01-01"}},
        FilterRow{"UndefinedDate", kDate, u"''", {u""}, {u"2020-01-01"}},
        FilterRow{"OptionCaption", kOption, u"Order|Invoice", {u"1", u"2"}, {u"0"}},
        FilterRow{"OptionIndexRange", kOption, u"0..1", {u"Quote", u"Order"}, {u"Invoice"}},
        FilterRow{"BooleanYes", kBoolean, u"Yes", {u"Yes"}, {u"No"}},
        FilterRow{"CodeUpperCased", kCode, u"k0001", {u"K0001"}, {u"K0002"}},
        FilterRow{"CodeRangeOrder", kCode, u"A..C", {u"A", u"B9", u"C"}, {u"C1", u"0"}},
        FilterRow{"TextCaseSensitive", kText, u"Smith", {u"Smith"}, {u"smith", u"SMITH"}},
        FilterRow{"TextIgnoreCase", kText, u"@smith", {u"Smith", u"SMITH"}, {u"Smyth"}},
        FilterRow{"TextIgnoreCaseCzech", kText, u"@čapek", {u"ČAPEK", u"Čapek"}, {u"Capek"}},
        FilterRow{"Prefix", kText, u"Ab*", {u"Ab", u"Abc"}, {u"aB", u"xAb"}},
        FilterRow{"Suffix", kText, u"*son", {u"son", u"Johnson"}, {u"sons"}},
        FilterRow{"Contains", kText, u"*an*", {u"an", u"Hannah"}, {u"AN"}},
        FilterRow{"ContainsIgnoreCase", kText, u"@*an*", {u"AN", u"Hannah"}, {u"Hnna"}},
        FilterRow{"OneCharacter", kText, u"A?C", {u"ABC", u"AčC"}, {u"AC", u"ABBC"}},
        FilterRow{"NotMatching", kText, u"<>A*", {u"B", u""}, {u"A", u"Abc"}},
        FilterRow{"CodeWildcard", kCode, u"k0*", {u"K01", u"K0"}, {u"K1"}},
        FilterRow{"QuotedOperators", kText, u"'A|B..C'", {u"A|B..C"}, {u"A", u"B"}},
        FilterRow{"QuotedWildcardIsLiteral", kText, u"'A*'", {u"A*"}, {u"AB"}},
        FilterRow{"QuotedQuote", kText, u"'O''Brien'", {u"O'Brien"}, {u"OBrien"}},
        FilterRow{"QuotedBlanksKept", kText, u"' a '", {u" a "}, {u"a"}},
        FilterRow{"EmptyText", kText, u"''", {u""}, {u" ", u"a"}},
        FilterRow{"NotEmpty", kText, u"<>''", {u"a"}, {u""}},
        FilterRow{"QuotedThenWildcard", kText, u"'A&'*", {u"A&", u"A&B"}, {u"A"}},
        FilterRow{"TextRangeIgnoreCase", kText, u"@a..@c", {u"A", u"b", u"C"}, {u"d", u"D"}},
        FilterRow{"LoneSurrogateAsStored", kText, u"A\xDC00*", {u"A\uFFFD", u"A\xD800x"}, {u"A"}},
        FilterRow{"NoncharactersAsStored", kText, u"@\uFFFF*", {u"\uFFFE", u"\uFFFDx"}, {u"x\uFFFE"}}),
    [](const ::testing::TestParamInfo<FilterRow>& info) { return info.param.name; });

struct MalformedRow {
  const char* name;
  FieldDef field;
  std::u16string expression;
  int32_t error;
};

// `count` copies of `part` joined by `separator`.
std::u16string Repeat(std::u16string_view part, size_t count, std::u16string_view separator = u"") {
  std::u16string out;
  for (size_t i = 0; i < count; ++i) (out += i == 0 ? u"" : separator) += part;
  return out;
}

std::ostream& operator<<(std::ostream& out, const MalformedRow& row) { return out << row.name; }

class FilterRefusesTest : public ::testing::TestWithParam<MalformedRow> {};

TEST_P(FilterRefusesTest, Refuses) {
  const MalformedRow& row = GetParam();
  FieldFilter filter = FieldFilter::Range(row.field, Value(row.field.type), Value(row.field.type));
  EXPECT_TRUE(HasCode(FieldFilter::Parse(row.field, row.expression, &filter), row.error));
  // The previous filter is kept.
  EXPECT_TRUE(filter.Matches(Value(row.field.type)));
}

INSTANTIATE_TEST_SUITE_P(
    Expressions, FilterRefusesTest,
    ::testing::Values(
        MalformedRow{"OnlyDots", kInteger, u"..", errc::kMalformedFilter},
        MalformedRow{"TrailingOr", kInteger, u"1|", errc::kMalformedFilter},
        MalformedRow{"LeadingAnd", kInteger, u"&1", errc::kMalformedFilter},
        MalformedRow{"UnclosedParenthesis", kInteger, u"(1|2", errc::kMalformedFilter},
        MalformedRow{"ExtraParenthesis", kInteger, u"1|2)", errc::kMalformedFilter},
        MalformedRow{"EmptyParentheses", kInteger, u"()", errc::kMalformedFilter},
        MalformedRow{"OperatorWithoutValue", kInteger, u">=", errc::kMalformedFilter},
        MalformedRow{"DoubleRange", kInteger, u"1..2..3", errc::kMalformedFilter},
        MalformedRow{"UnterminatedQuote", kText, u"'abc", errc::kMalformedFilter},
        MalformedRow{"WildcardInRange", kText, u"A*..B", errc::kMalformedFilter},
        MalformedRow{"WildcardWithLess", kText, u"<A*", errc::kMalformedFilter},
        MalformedRow{"ParenthesisInValue", kText, u"a(b", errc::kMalformedFilter},
        MalformedRow{"NotANumber", kInteger, u"abc", errc::kBadNumber},
        MalformedRow{"NumberInRangeBad", kDecimal, u"1..x", errc::kBadNumber},
        MalformedRow{"BadDate", kDate, u"13/45/2020", errc::kBadDate},
        MalformedRow{"BadOption", kOption, u"Credit Memo", errc::kBadOption},
        MalformedRow{"CodeTooLong", kCode, u"123456789012345678901", errc::kTextTooLong},
        MalformedRow{"WildcardOnInteger", kInteger, u"1*", errc::kWildcardNotAllowed},
        MalformedRow{"NulInPattern", kText, std::u16string(u"A*\0B", 4), errc::kNulInFilter},
        MalformedRow{"NulInQuotedValue", kText, std::u16string(u"'A\0'", 4), errc::kNulInFilter},
        MalformedRow{"TooManyAlternatives", kInteger, Repeat(u"1", kMaxFilterValues + 1, u"|"),
                     errc::kTooManyFilterValues},
        MalformedRow{"TooManyRangeBounds", kInteger,
                     Repeat(u"1..2", kMaxFilterValues / 2 + 1, u"|"), errc::kTooManyFilterValues}),
    [](const ::testing::TestParamInfo<MalformedRow>& info) { return info.param.name; });

TEST(FilterTest, RangeOfEqualBoundsIsOneValue) {
  const FieldFilter single = FieldFilter::Range(kInteger, Value::Integer(10), Value::Integer(10));
  EXPECT_EQ(single.root().term.op, FilterTerm::Op::kEqual);
  EXPECT_TRUE(single.Matches(Value::Integer(10)));
  EXPECT_FALSE(single.Matches(Value::Integer(11)));
  const FieldFilter reversed = FieldFilter::Range(kInteger, Value::Integer(20), Value::Integer(10));
  EXPECT_FALSE(reversed.Matches(Value::Integer(15)));
}

// Filters that differ only in values share a query's condition text; any other difference
// must not, or a kept plan would run the old condition with new values.
TEST(FilterTest, SameTermsIgnoresOnlyValues) {
  const auto parsed = [](const FieldDef& field, std::u16string_view expression) {
    FieldFilter filter;
    EXPECT_TRUE(FieldFilter::Parse(field, expression, &filter).ok()) << text::ToUtf8(expression);
    return filter;
  };
  EXPECT_TRUE(parsed(kInteger, u"1..5").SameTerms(parsed(kInteger, u"7..9")));
  EXPECT_TRUE(parsed(kText, u"A|B&<>C").SameTerms(parsed(kText, u"X|Y&<>Z")));
  EXPECT_TRUE(FieldFilter::Range(kInteger, Value::Integer(1), Value::Integer(1))
                  .SameTerms(parsed(kInteger, u"4")));
  for (const auto& [a, b] :
       std::vector<std::pair<std::u16string, std::u16string>>{{u"1..5", u"1.."},
                                                              {u"1..5", u"..5"},
                                                              {u"1", u"<1"},
                                                              {u"1|2", u"1&2"},
                                                              {u"1|2", u"1|2|3"},
                                                              {u"(1|2)&3", u"1|(2&3)"}}) {
    EXPECT_FALSE(parsed(kInteger, a).SameTerms(parsed(kInteger, b))) << text::ToUtf8(a + u" " + b);
  }
  EXPECT_FALSE(parsed(kText, u"AB*").SameTerms(parsed(kText, u"A*")));
  EXPECT_FALSE(parsed(kText, u"A").SameTerms(parsed(kText, u"@A")));
  EXPECT_FALSE(parsed(kInteger, u"1").SameTerms(parsed(kInteger, u"1").OnField(99)));
}

TEST(FilterTest, PatternsMatchByCharacter) {
  const auto pattern = [](std::u16string_view text) {
    std::vector<PatternChar> out;
    for (char16_t c : text) {
      out.push_back({c, c == u'*'   ? PatternChar::Kind::kAnyRun
                        : c == u'?' ? PatternChar::Kind::kAnyOne
                                    : PatternChar::Kind::kLiteral});
    }
    return out;
  };
  EXPECT_TRUE(MatchPattern(pattern(u"*"), u""));
  EXPECT_TRUE(MatchPattern(pattern(u"a*b*c"), u"axxbyybc"));
  EXPECT_FALSE(MatchPattern(pattern(u"a*b*c"), u"axxbyyb"));
  EXPECT_TRUE(MatchPattern(pattern(u"**a"), u"bba"));
  EXPECT_TRUE(MatchPattern(pattern(u"?"), u"\U0001F600")) << "a surrogate pair is one character";
  EXPECT_FALSE(MatchPattern(pattern(u"??"), u"\U0001F600"));
  EXPECT_FALSE(MatchPattern(pattern(u"?"), u""));
}

// Random expressions from the language's own characters: each is either accepted or refused
// with a filter or value error, never crashes, and an accepted one compiles to SQL made only
// of column names, operators and parameter marks, with one parameter per mark.
TEST(FilterFuzzTest, AnyExpressionIsAcceptedOrRefusedAndNeverReachesSqlText) {
  const std::u16string alphabet = u"0129.|&()<>=@'*? aZčx-/";
  const std::set<int32_t> refusals = {
      errc::kMalformedFilter, errc::kWildcardNotAllowed, errc::kBadNumber, errc::kBadDate,
      errc::kTextTooLong,     errc::kNumberOutOfRange,   errc::kBadOption};
  const std::string sql_characters = "f7talmo_d() ANDORNTBEWGLIK<>=?+$0123456789";
  std::mt19937 random(5);
  int accepted = 0;
  for (int i = 0; i < 20000; ++i) {
    std::u16string expression;
    const int length = static_cast<int>(random() % 12);
    for (int k = 0; k < length; ++k) expression += alphabet[random() % alphabet.size()];
    const FieldDef& field = i % 3 == 0 ? kInteger : (i % 3 == 1 ? kText : kDate);
    FieldFilter filter;
    const Status status = FieldFilter::Parse(field, expression, &filter);
    if (!status.ok()) {
      ASSERT_TRUE(refusals.count(status.code())) << status.ToString();
      continue;
    }
    ++accepted;
    filter.Matches(Value(field.type));
    for (const sql::Dialect* dialect : {&sql::kSqliteDialect, &sql::kPostgresDialect}) {
      std::string sql;
      std::vector<Value> parameters;
      int position = 1;
      sql::AppendFilter(*dialect, filter, &position, &sql, &parameters);
      ASSERT_EQ(position - 1, static_cast<int>(parameters.size()));
      std::vector<Value> alone;
      sql::AppendFilterParameters(*dialect, filter, &alone);
      ASSERT_EQ(alone, parameters) << "the values of a kept plan must be the text's";
      const char marker = dialect->numberedParameters ? '$' : '?';
      ASSERT_EQ(static_cast<size_t>(std::count(sql.begin(), sql.end(), marker)),
                parameters.size());
      // Only the dialect's own fixed escape clause may hold a quote.
      for (size_t at; (at = sql.find(dialect->matchSuffix)) != std::string::npos &&
                      *dialect->matchSuffix != 0;) {
        sql.erase(at, std::string_view(dialect->matchSuffix).size());
      }
      ASSERT_EQ(sql.find_first_not_of(sql_characters), std::string::npos) << sql;
      for (const Value& value : parameters) {
        ASSERT_TRUE(value.type() == field.type || value.type() == FieldType::kText);
      }
    }
  }
  EXPECT_GT(accepted, 1000) << "the generator must also produce valid expressions";
}

}  // namespace
}  // namespace dbclient
