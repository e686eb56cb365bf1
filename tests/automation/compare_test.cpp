// Comparison of Variant operands (VarCmp) and equality.
#include <string>
#include <vector>

#include "test_support.h"

namespace automation_test {
namespace {

using automation::Comparison;
using automation::Currency;

struct CompareRow {
  std::string name;
  Variant a;
  Variant b;
  Comparison expected;
};

constexpr Comparison kLess = Comparison::kLess;
constexpr Comparison kEqual = Comparison::kEqual;
constexpr Comparison kGreater = Comparison::kGreater;
constexpr Comparison kNull = Comparison::kNull;

std::vector<CompareRow> Rows() {
  return {
      {"LongEqualsDouble", Variant(int32_t{1}), Variant(1.0), kEqual},
      {"TrueEqualsMinusOne", Variant(true), Variant(int16_t{-1}), kEqual},
      {"ByteBelowInteger", Variant(uint8_t{255}), Variant(int16_t{256}), kLess},
      {"IntegersExactly", Variant(int32_t{2147483647}), Variant(2147483647.5), kLess},
      {"StringsByCodeUnit", Variant(u"7"), Variant(u"42"), kGreater},
      {"UpperCaseFirst", Variant(u"AAA"), Variant(u"aaa"), kLess},
      {"PrefixFirst", Variant(u"ab"), Variant(u"abc"), kLess},
      {"CzechLettersByCodeUnit", Variant(u"Č"), Variant(u"D"), kGreater},
      {"NumberBelowItsText", Variant(int32_t{0}), Variant(u"0"), kLess},
      {"SevenBelowText", Variant(int32_t{7}), Variant(u"7"), kLess},
      {"DoubleBelowEmptyText", Variant(3.14), Variant(u""), kLess},
      {"TextAboveCurrency", Variant(u"1"), Variant(Currency{10000}), kGreater},
      {"ZeroEqualsEmpty", Variant(int32_t{0}), Variant(), kEqual},
      {"DateAboveEmpty", Variant::Date(25570), Variant(), kGreater},
      {"NegativeBelowEmpty", Variant(-0.5), Variant(), kLess},
      {"EmptyEqualsEmptyText", Variant(), Variant(u""), kEqual},
      {"ZeroTextAboveEmpty", Variant(u"0"), Variant(), kGreater},
      {"EmptyEqualsFalse", Variant(), Variant(false), kEqual},
      {"EmptyEqualsEmpty", Variant(), Variant(), kEqual},
      {"NullLeft", Variant::Null(), Variant(int32_t{1}), kNull},
      {"NullRight", Variant(u"x"), Variant::Null(), kNull},
      {"NullBoth", Variant::Null(), Variant::Null(), kNull},
      {"ErrorsEqual", Variant::ErrorCode(5), Variant::Missing(), kEqual},
      {"SingleAgainstDoubleAtSinglePrecision", Variant(1.0f), Variant(1.0 + 1e-8), kEqual},
      {"DoublesAtFullPrecision", Variant(1.0), Variant(1.0 + 1e-8), kLess},
      {"SingleAgainstSingle", Variant(1.5f), Variant(2.5f), kLess},
      {"DoubleConvertedToCurrency", Variant(Currency{10000}), Variant(1.00001), kEqual},
      {"DoubleRoundsUpToCurrency", Variant(1.00009), Variant(Currency{10001}), kEqual},
      {"DoubleBeyondCurrencyRange", Variant(Currency{INT64_MAX}), Variant(1e300), kLess},
      {"CurrencyAgainstLong", Variant(Currency{50000}), Variant(int32_t{5}), kEqual},
      {"CurrencyBelowLong", Variant(Currency{49999}), Variant(int32_t{5}), kLess},
      {"DateRawSerial", Variant::Date(-1.25), Variant::Date(-1.0), kLess},
      {"DateAgainstDouble", Variant::Date(2.5), Variant(2.5), kEqual},
  };
}

class CompareRule : public ::testing::TestWithParam<CompareRow> {};

TEST_P(CompareRule, ComparesAndMirrors) {
  const CompareRow& row = GetParam();
  EXPECT_EQ(automation::Compare(row.a, row.b), row.expected);
  // Swapping the operands mirrors the outcome.
  const Comparison mirrored = row.expected == kLess      ? kGreater
                              : row.expected == kGreater ? kLess
                                                         : row.expected;
  EXPECT_EQ(automation::Compare(row.b, row.a), mirrored);
  EXPECT_EQ(automation::Equals(row.a, row.b), row.expected == kEqual);
}

INSTANTIATE_TEST_SUITE_P(Rules, CompareRule, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.name; });

TEST(Compare, MismatchedKindsRaiseTypeMismatch) {
  const Variant error = Variant::ErrorCode(5);
  const Variant array{automation::VariantArray()};
  EXPECT_EQ(ErrorOf([&] { automation::Compare(error, Variant(int32_t{1})); }), 13);
  EXPECT_EQ(ErrorOf([&] { automation::Compare(Variant(u"a"), error); }), 13);
  EXPECT_EQ(ErrorOf([&] { automation::Compare(array, Variant(int32_t{1})); }), 13);
}

TEST(Compare, LooksThroughReferences) {
  Variant five(int32_t{5});
  Variant text(u"5");
  EXPECT_EQ(automation::Compare(Variant::ByRef(&five), Variant(5.0)), kEqual);
  EXPECT_EQ(automation::Compare(Variant::ByRef(&five), Variant::ByRef(&text)), kLess);
}

}  // namespace
}  // namespace automation_test
