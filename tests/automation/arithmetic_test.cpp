// Arithmetic result types, overflow promotion, Null and Empty, concatenation and Round.
#include <functional>
#include <string>
#include <vector>

#include "test_support.h"

namespace automation_test {
namespace {

using automation::Currency;

using BinaryOp = Variant (*)(const Variant&, const Variant&);

struct ArithmeticRow {
  std::string name;
  BinaryOp op;
  Variant a;
  Variant b;
  Variant expected;  // when `error` is 0
  int32_t error = 0;
};

Variant I16(int v) { return Variant(static_cast<int16_t>(v)); }
Variant I32(int32_t v) { return Variant(v); }
Variant U8(int v) { return Variant(static_cast<uint8_t>(v)); }
Variant Cur(int64_t scaled) { return Variant(Currency{scaled}); }

constexpr BinaryOp kAdd = automation::Add;
constexpr BinaryOp kSub = automation::Subtract;
constexpr BinaryOp kMul = automation::Multiply;
constexpr BinaryOp kDiv = automation::Divide;
constexpr BinaryOp kCat = automation::Concat;

ArithmeticRow Ok(std::string name, BinaryOp op, Variant a, Variant b, Variant expected) {
  return {std::move(name), op, std::move(a), std::move(b), std::move(expected), 0};
}
ArithmeticRow Err(std::string name, BinaryOp op, Variant a, Variant b, int32_t error) {
  return {std::move(name), op, std::move(a), std::move(b), Variant(), error};
}

std::vector<ArithmeticRow> Rows() {
  return {
      // Overflow of a Variant moves to the next wider type.
      Ok("IntegerOverflowGivesLong", kAdd, I16(32767), I16(1), I32(32768)),
      Ok("LongOverflowGivesDouble", kAdd, I32(2147483647), I32(1), Variant(2147483648.0)),
      Ok("ByteOverflowGivesInteger", kAdd, U8(255), U8(1), I16(256)),
      Ok("ByteBelowZeroGivesInteger", kSub, U8(1), U8(2), I16(-1)),
      Ok("ByteStaysByte", kAdd, U8(100), U8(155), U8(255)),
      Ok("IntegerProductGivesLong", kMul, I16(200), I16(200), I32(40000)),
      Ok("LongProductGivesDouble", kMul, I32(65536), I32(65536), Variant(4294967296.0)),
      Ok("SingleOverflowGivesDouble", kMul, Variant(3e38f), Variant(10.0f),
         Variant(static_cast<double>(3e38f) * 10.0)),
      Err("DoubleOverflowRaises", kMul, Variant(1e308), Variant(10.0), 6),
      Err("CurrencyOverflowRaises", kAdd, Cur(INT64_MAX), Cur(1), 6),
      // Result types.
      Ok("IntegerPlusLongIsLong", kAdd, I16(1), I32(2), I32(3)),
      Ok("SinglePlusIntegerIsSingle", kAdd, Variant(1.5f), I16(1), Variant(2.5f)),
      Ok("SinglePlusLongIsDouble", kAdd, Variant(1.5f), I32(1), Variant(2.5)),
      Ok("SingleTimesLongIsDouble", kMul, I32(3), Variant(0.5f), Variant(1.5)),
      Ok("CurrencyPlusDoubleIsCurrency", kAdd, Cur(15000), Variant(0.25), Cur(17500)),
      Ok("DoubleMinusCurrencyIsCurrency", kSub, Variant(1.0), Cur(2500), Cur(7500)),
      Ok("CurrencyTimesDoubleIsDouble", kMul, Cur(20000), Variant(0.5), Variant(1.0)),
      Ok("CurrencyTimesLongIsCurrency", kMul, Cur(20000), I32(3), Cur(60000)),
      Ok("LongTimesCurrencyIsCurrency", kMul, I32(3), Cur(20001), Cur(60003)),
      Ok("CurrencyTimesSingleIsDouble", kMul, Cur(20000), Variant(1.5f), Variant(3.0)),
      Ok("SingleTimesCurrencyIsDouble", kMul, Variant(0.5f), Cur(30001), Variant(1.50005)),
      Ok("CurrencyTimesCurrency", kMul, Cur(15000), Cur(15000), Cur(22500)),
      Ok("CurrencyProductTiesToEven", kMul, Cur(1), Cur(5000), Cur(0)),
      Ok("CurrencyProductTiesUp", kMul, Cur(3), Cur(5000), Cur(2)),
      Ok("TruePlusTrueIsInteger", kAdd, Variant(true), Variant(true), I16(-2)),
      Ok("DatePlusNumberIsDate", kAdd, Variant::Date(25570), I32(1), Variant::Date(25571)),
      Ok("NumberMinusDateIsDate", kSub, Variant(25571.5), Variant::Date(1), Variant::Date(25570.5)),
      Ok("DateMinusDateIsDouble", kSub, Variant::Date(25571.5), Variant::Date(25570), Variant(1.5)),
      Ok("DateBeyondRangeGivesDouble", kAdd, Variant::Date(2958465), I32(10), Variant(2958475.0)),
      Ok("DateTimesNumberIsDouble", kMul, Variant::Date(2), I32(3), Variant(6.0)),
      // Empty and Null.
      Ok("EmptyPlusEmptyIsIntegerZero", kAdd, Variant(), Variant(), I16(0)),
      Ok("EmptyPlusLongKeepsLong", kAdd, Variant(), I32(5), I32(5)),
      Ok("EmptyPlusTextKeepsText", kAdd, Variant(u"ab"), Variant(), Variant(u"ab")),
      Ok("EmptyPlusTrueIsInteger", kAdd, Variant(), Variant(true), I16(-1)),
      Ok("EmptyTimesCurrency", kMul, Variant(), Cur(50000), Cur(0)),
      Ok("EmptyMinusLong", kSub, Variant(), I32(5), I32(-5)),
      Ok("EmptyMinusByteIsByte", kSub, Variant(), U8(0), U8(0)),
      Ok("EmptyMinusByteBelowZeroGivesInteger", kSub, Variant(), U8(5), I16(-5)),
      Ok("EmptyTimesByteIsByte", kMul, Variant(), U8(7), U8(0)),
      Ok("NullPlusNumberIsNull", kAdd, Variant::Null(), I32(1), Variant::Null()),
      Ok("NumberTimesNullIsNull", kMul, I32(1), Variant::Null(), Variant::Null()),
      Ok("NullDividedIsNull", kDiv, Variant::Null(), I32(0), Variant::Null()),
      // Strings.
      Ok("TextPlusTextConcatenates", kAdd, Variant(u"34"), Variant(u"6"), Variant(u"346")),
      Ok("TextPlusNumberAdds", kAdd, Variant(u"34"), I32(6), Variant(40.0)),
      Ok("TextMinusTextSubtracts", kSub, Variant(u"10"), Variant(u"4"), Variant(6.0)),
      Err("WordPlusNumberRaises", kAdd, Variant(u"a"), I32(1), 13),
      Err("ErrorValueInSumRaises", kAdd, Variant::ErrorCode(5), I32(1), 13),
      // Division.
      Ok("IntegerByLongIsDouble", kDiv, I16(7), I32(2), Variant(3.5)),
      Ok("CurrencyByCurrencyIsDouble", kDiv, Cur(10000), Cur(40000), Variant(0.25)),
      Ok("TextByNumber", kDiv, Variant(u"9"), I32(2), Variant(4.5)),
      Ok("SingleBySingleIsSingle", kDiv, Variant(1.0f), Variant(3.0f), Variant(1.0f / 3.0f)),
      Ok("SingleByIntegerIsSingle", kDiv, Variant(3.0f), I16(2), Variant(1.5f)),
      Ok("IntegerBySingleIsSingle", kDiv, I16(3), Variant(2.0f), Variant(1.5f)),
      Ok("SingleByBooleanIsSingle", kDiv, Variant(3.0f), Variant(true), Variant(-3.0f)),
      Ok("EmptyBySingleIsSingle", kDiv, Variant(), Variant(2.0f), Variant(0.0f)),
      Ok("SingleByLongIsDouble", kDiv, Variant(3.0f), I32(2), Variant(1.5)),
      Ok("SingleByDoubleIsDouble", kDiv, Variant(1.0f), Variant(4.0), Variant(0.25)),
      Ok("SingleQuotientOverflowGivesDouble", kDiv, Variant(3e38f), Variant(0.5f),
         Variant(static_cast<double>(3e38f) / 0.5)),
      Err("DivisionByZero", kDiv, I32(1), I32(0), 11),
      Err("ZeroByZero", kDiv, I32(0), Variant(0.0), 6),
      Err("EmptyByEmpty", kDiv, Variant(), Variant(), 6),
      Err("NumberByEmpty", kDiv, I32(3), Variant(), 11),
      Err("ZeroByEmpty", kDiv, I32(0), Variant(), 11),
      // Concatenation.
      Ok("NumbersConcatenate", kCat, I32(1), I32(2), Variant(u"12")),
      Ok("NullAndNullIsNull", kCat, Variant::Null(), Variant::Null(), Variant::Null()),
      Ok("NullAndTextIsText", kCat, Variant::Null(), Variant(u"a"), Variant(u"a")),
      Ok("TextAndNullIsText", kCat, Variant(u"a"), Variant::Null(), Variant(u"a")),
      Ok("BooleanConcatenatesAsWord", kCat, Variant(true), Variant(u"!"), Variant(u"True!")),
      Ok("EmptyConcatenatesAsNothing", kCat, Variant(), Variant(2.5), Variant(u"2.5")),
      Ok("CurrencyConcatenates", kCat, Cur(15000), Variant(u"x"), Variant(u"1.5x")),
  };
}

class Arithmetic : public ::testing::TestWithParam<ArithmeticRow> {};

TEST_P(Arithmetic, ResultTypeAndValue) {
  const ArithmeticRow& row = GetParam();
  if (row.error != 0) {
    EXPECT_EQ(ErrorOf([&] { row.op(row.a, row.b); }), row.error);
    return;
  }
  Variant result;
  ASSERT_EQ(ErrorOf([&] { result = row.op(row.a, row.b); }), 0);
  EXPECT_TRUE(SameValue(result, row.expected));
}

INSTANTIATE_TEST_SUITE_P(Rules, Arithmetic, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.name; });

struct NegateRow {
  std::string name;
  Variant value;
  Variant expected;
  int32_t error = 0;
};

class Negation : public ::testing::TestWithParam<NegateRow> {};

TEST_P(Negation, ResultTypeAndValue) {
  const NegateRow& row = GetParam();
  if (row.error != 0) {
    EXPECT_EQ(ErrorOf([&] { automation::Negate(row.value); }), row.error);
  } else {
    EXPECT_TRUE(SameValue(automation::Negate(row.value), row.expected));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Negation,
    ::testing::Values(NegateRow{"IntegerMinGivesLong", I16(-32768), I32(32768)},
                      NegateRow{"LongMinGivesDouble", I32(INT32_MIN), Variant(2147483648.0)},
                      NegateRow{"ByteGivesInteger", U8(5), I16(-5)},
                      NegateRow{"TrueGivesIntegerOne", Variant(true), I16(1)},
                      NegateRow{"EmptyGivesIntegerZero", Variant(), I16(0)},
                      NegateRow{"NullStaysNull", Variant::Null(), Variant::Null()},
                      NegateRow{"TextGivesDouble", Variant(u"2.5"), Variant(-2.5)},
                      NegateRow{"SingleStaysSingle", Variant(1.5f), Variant(-1.5f)},
                      NegateRow{"CurrencyStaysCurrency", Cur(15000), Cur(-15000)},
                      NegateRow{"CurrencyMinOverflows", Cur(INT64_MIN), Variant(), 6},
                      NegateRow{"DateStaysDate", Variant::Date(-1.25), Variant::Date(1.25)},
                      NegateRow{"WordRaises", Variant(u"x"), Variant(), 13}),
    [](const auto& info) { return info.param.name; });

struct RoundRow {
  std::string name;
  Variant value;
  int32_t decimals;
  Variant expected;
  int32_t error = 0;
};

class Rounding : public ::testing::TestWithParam<RoundRow> {};

TEST_P(Rounding, RoundKeepsTypeAndTiesToEven) {
  const RoundRow& row = GetParam();
  if (row.error != 0) {
    EXPECT_EQ(ErrorOf([&] { automation::Round(row.value, row.decimals); }), row.error);
  } else {
    EXPECT_TRUE(SameValue(automation::Round(row.value, row.decimals), row.expected));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Rounding,
    ::testing::Values(RoundRow{"TwoAndHalf", Variant(2.5), 0, Variant(2.0)},
                      RoundRow{"ThreeAndHalf", Variant(3.5), 0, Variant(4.0)},
                      RoundRow{"MinusTwoAndHalf", Variant(-2.5), 0, Variant(-2.0)},
                      RoundRow{"FourPlacesDown", Variant(0.12345), 4, Variant(0.1234)},
                      RoundRow{"FourPlacesUp", Variant(0.12355), 4, Variant(0.1236)},
                      RoundRow{"TinyTieToZero", Variant(0.00005), 4, Variant(0.0)},
                      RoundRow{"BinaryBelowTie", Variant(1.005), 2, Variant(1.0)},
                      RoundRow{"ManyPlacesUnchanged", Variant(1.25), 30, Variant(1.25)},
                      RoundRow{"NegativePlacesRaise", Variant(1.5), -1, Variant(), 5},
                      RoundRow{"NullStaysNull", Variant::Null(), 2, Variant::Null()},
                      RoundRow{"TextGivesDouble", Variant(u"2.5"), 0, Variant(2.0)},
                      RoundRow{"BooleanGivesInteger", Variant(true), 0, I16(-1)},
                      RoundRow{"EmptyGivesInteger", Variant(), 0, I16(0)},
                      RoundRow{"LongUnchanged", I32(7), 0, I32(7)},
                      RoundRow{"SingleStaysSingle", Variant(2.5f), 0, Variant(2.0f)},
                      RoundRow{"DateStaysDate", Variant::Date(1.5), 0, Variant::Date(2)},
                      RoundRow{"CurrencyExactTieDown", Cur(23450), 2, Cur(23400)},
                      RoundRow{"CurrencyExactTieUp", Cur(23550), 2, Cur(23600)},
                      RoundRow{"CurrencyNegative", Cur(-23551), 2, Cur(-23600)},
                      RoundRow{"CurrencyWhole", Cur(25000), 0, Cur(20000)},
                      RoundRow{"CurrencyFourPlaces", Cur(12345), 4, Cur(12345)},
                      RoundRow{"CurrencyMaxOverflows", Cur(INT64_MAX), 0, Variant(), 6},
                      RoundRow{"WordRaises", Variant(u"x"), 0, Variant(), 13}),
    [](const auto& info) { return info.param.name; });

TEST(Rounding, RoundHalfEvenOnDoubles) {
  EXPECT_EQ(automation::RoundHalfEven(0.5, 0), 0.0);
  EXPECT_EQ(automation::RoundHalfEven(1.5, 0), 2.0);
  EXPECT_EQ(automation::RoundHalfEven(-1.5, 0), -2.0);
  EXPECT_EQ(automation::RoundHalfEven(1234.5678, 2), 1234.57);
  EXPECT_EQ(automation::RoundHalfEven(0.125, 2), 0.12);
  EXPECT_EQ(automation::RoundHalfEven(0.375, 2), 0.38);
  EXPECT_EQ(ErrorOf([] { automation::RoundHalfEven(1.0, -2); }), 5);
}

}  // namespace
}  // namespace automation_test
