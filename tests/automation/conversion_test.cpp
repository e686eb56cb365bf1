// Coercions of every kind of value to every target type, as the automation rules give
// them; the rows are the conformance examples of the value rules.
#include <cstdint>
#include <string>
#include <vector>

#include "test_support.h"

namespace automation_test {
namespace {

using automation::Currency;

Variant I16(int v) { return Variant(static_cast<int16_t>(v)); }
Variant I32(int32_t v) { return Variant(v); }
Variant U8(int v) { return Variant(static_cast<uint8_t>(v)); }
Variant Dbl(double v) { return Variant(v); }
Variant Sng(float v) { return Variant(v); }
Variant Cur(int64_t scaled) { return Variant(Currency{scaled}); }
Variant Str(const char16_t* s) { return Variant(s); }
Variant Day(double serial) { return Variant::Date(serial); }
Variant Bool(bool b) { return Variant(b); }

struct ConversionRow {
  std::string name;
  Variant input;
  VarType target;
  Variant expected;  // when `error` is 0
  int32_t error = 0;
};

ConversionRow Ok(std::string name, Variant in, VarType target, Variant out) {
  return {std::move(name), std::move(in), target, std::move(out), 0};
}
ConversionRow Err(std::string name, Variant in, VarType target, int32_t error) {
  return {std::move(name), std::move(in), target, Variant(), error};
}

constexpr VarType kInt = VarType::kInteger;
constexpr VarType kLng = VarType::kLong;
constexpr VarType kByt = VarType::kByte;
constexpr VarType kDbl = VarType::kDouble;
constexpr VarType kSng = VarType::kSingle;
constexpr VarType kCur = VarType::kCurrency;
constexpr VarType kBool = VarType::kBoolean;
constexpr VarType kDate = VarType::kDate;

// Seconds into the day as a date fraction.
double Time(int h, int m, int s) { return (h * 3600 + m * 60 + s) / 86400.0; }

std::vector<ConversionRow> Rows() {
  return {
      // Float to Integer: half to even, accepted range [-32768.5, 32767.5).
      Ok("Dbl2_5ToInt", Dbl(2.5), kInt, I16(2)),
      Ok("Dbl3_5ToInt", Dbl(3.5), kInt, I16(4)),
      Ok("DblMinus2_5ToInt", Dbl(-2.5), kInt, I16(-2)),
      Ok("Dbl0_5ToInt", Dbl(0.5), kInt, I16(0)),
      Ok("DblMinus0_5ToInt", Dbl(-0.5), kInt, I16(0)),
      Ok("Dbl2_6ToInt", Dbl(2.6), kInt, I16(3)),
      Err("Dbl32767_5ToInt", Dbl(32767.5), kInt, 6),
      Ok("Dbl32767_49ToInt", Dbl(32767.49), kInt, I16(32767)),
      Ok("DblMinus32768_5ToInt", Dbl(-32768.5), kInt, I16(-32768)),
      Err("DblMinus32768_51ToInt", Dbl(-32768.51), kInt, 6),
      Ok("Sng1_5ToInt", Sng(1.5f), kInt, I16(2)),
      Err("Lng40000ToInt", I32(40000), kInt, 6),
      Err("NaNToLng", Dbl(std::nan("")), kLng, 6),
      // Float to Long and Byte.
      Ok("Dbl2147483647_49ToLng", Dbl(2147483647.49), kLng, I32(2147483647)),
      Err("Dbl2147483647_5ToLng", Dbl(2147483647.5), kLng, 6),
      Ok("DblMinus2147483648_5ToLng", Dbl(-2147483648.5), kLng, I32(INT32_MIN)),
      Ok("DblMinus0_5ToByte", Dbl(-0.5), kByt, U8(0)),
      Err("DblMinus0_6ToByte", Dbl(-0.6), kByt, 6),
      Err("Dbl255_5ToByte", Dbl(255.5), kByt, 6),
      Ok("Dbl255_49ToByte", Dbl(255.49), kByt, U8(255)),
      Err("IntMinus1ToByte", I16(-1), kByt, 6),
      // Currency, Boolean, Empty and Null to integers.
      Ok("Cur1_5ToInt", Cur(15000), kInt, I16(2)),
      Ok("Cur0_5ToInt", Cur(5000), kInt, I16(0)),
      Ok("Cur2_5ToLng", Cur(25000), kLng, I32(2)),
      Ok("CurMinus1_5ToLng", Cur(-15000), kLng, I32(-2)),
      Ok("CurMinus2_5001ToLng", Cur(-25001), kLng, I32(-3)),
      Err("Cur40000ToInt", Cur(400000000), kInt, 6),
      Ok("TrueToInt", Bool(true), kInt, I16(-1)),
      Ok("FalseToLng", Bool(false), kLng, I32(0)),
      Ok("TrueToByteIsLowByte", Bool(true), kByt, U8(255)),
      Ok("FalseToByte", Bool(false), kByt, U8(0)),
      Ok("EmptyToLng", Variant(), kLng, I32(0)),
      Err("NullToLng", Variant::Null(), kLng, 94),
      Err("NullToDbl", Variant::Null(), kDbl, 94),
      Err("NullToString", Variant::Null(), VarType::kString, 94),
      Err("ErrorToLng", Variant::ErrorCode(5), kLng, 13),
      Err("ArrayToLng", Variant(automation::VariantArray()), kLng, 13),
      Ok("DateToLng", Day(25570.75), kLng, I32(25571)),
      // String to Long: the whole text must be a number.
      Ok("StrBlanks42", Str(u" 42 "), kLng, I32(42)),
      Ok("StrParens12", Str(u"(12)"), kLng, I32(-12)),
      Ok("StrTrailingMinus12", Str(u"12-"), kLng, I32(-12)),
      Ok("StrTrailingPlus12", Str(u"12+"), kLng, I32(12)),
      Ok("StrGrouped1000", Str(u"1,000"), kLng, I32(1000)),
      Ok("StrOddlyGrouped1000", Str(u"1,00,0"), kLng, I32(1000)),
      Ok("StrCommaIsGrouping", Str(u"1,5"), kLng, I32(15)),
      Ok("Str2_5", Str(u"2.5"), kLng, I32(2)),
      Ok("Str3_5", Str(u"3.5"), kLng, I32(4)),
      Ok("StrExactTieAboveHalf", Str(u"2.50000000000000000001"), kLng, I32(3)),
      Ok("Str1e3", Str(u"1e3"), kLng, I32(1000)),
      Ok("Str1E_1", Str(u"15E-1"), kLng, I32(2)),
      Ok("StrDollar11", Str(u"$11"), kLng, I32(11)),
      Ok("StrMinusDollar5", Str(u"-$5"), kLng, I32(-5)),
      Ok("StrLeadingPoint", Str(u".6"), kLng, I32(1)),
      Ok("StrTrue", Str(u"True"), kLng, I32(-1)),
      Ok("StrFalseAnyCase", Str(u"fALSE"), kInt, I16(0)),
      Err("Str12abc", Str(u"12abc"), kLng, 13),
      Err("StrEmpty", Str(u""), kLng, 13),
      Err("StrFE", Str(u"FE"), kLng, 13),
      Err("Str0x1F", Str(u"0x1F"), kLng, 13),
      Err("StrTwoSigns", Str(u"-12-"), kLng, 13),
      Err("StrOpenParen", Str(u"(12"), kLng, 13),
      Err("StrGroupFirst", Str(u",5"), kLng, 13),
      Err("StrBareExponent", Str(u"1e"), kLng, 13),
      Err("StrOnlyPoint", Str(u"."), kLng, 13),
      Err("StrTooBigForLong", Str(u"99999999999"), kLng, 6),
      Err("Str32768ToInt", Str(u"32768"), kInt, 6),
      Ok("StrMinus32768ToInt", Str(u"-32768"), kInt, I16(-32768)),
      // Hex and octal give the bit pattern of the target width.
      Ok("HexFFFFToInt", Str(u"&HFFFF"), kInt, I16(-1)),
      Ok("HexFFFFToLng", Str(u"&HFFFF"), kLng, I32(65535)),
      Ok("HexFFFFFFFFToLng", Str(u"&HFFFFFFFF"), kLng, I32(-1)),
      Err("Hex10000ToInt", Str(u"&H10000"), kInt, 6),
      Err("Hex100000000ToLng", Str(u"&H100000000"), kLng, 6),
      Ok("Octal17ToLng", Str(u"&O17"), kLng, I32(15)),
      Err("Octal8", Str(u"&O8"), kLng, 13),
      Ok("HexFFToByte", Str(u"&HFF"), kByt, U8(255)),
      Err("Hex100ToByte", Str(u"&H100"), kByt, 6),
      Ok("HexLowerCase", Str(u"&hff"), kLng, I32(255)),
      // To Double.
      Ok("StrExponentToDbl", Str(u"1.5e-3"), kDbl, Dbl(0.0015)),
      Ok("StrGroupedToDbl", Str(u"-1,234.5"), kDbl, Dbl(-1234.5)),
      Ok("StrTrueToDbl", Str(u"True"), kDbl, Dbl(-1)),
      Err("StrHugeToDbl", Str(u"1e400"), kDbl, 6),
      Ok("StrTinyToDbl", Str(u"1e-400"), kDbl, Dbl(0)),
      Ok("CurToDbl", Cur(15), kDbl, Dbl(0.0015)),
      Ok("DateToDbl", Day(25570.5), kDbl, Dbl(25570.5)),
      Ok("TrueToDbl", Bool(true), kDbl, Dbl(-1)),
      Ok("LongToSng", I32(16777217), kSng, Sng(16777216.0f)),
      Err("DblTooBigForSng", Dbl(1e39), kSng, 6),
      // To Currency: times 10 000, half to even, range checked.
      Ok("Dbl1_03125ToCur", Dbl(1.03125), kCur, Cur(10312)),
      Ok("Dbl1_09375ToCur", Dbl(1.09375), kCur, Cur(10938)),
      Ok("DblProductToCur", Dbl(543.214588 * 2), kCur, Cur(10864292)),
      Err("Dbl1e15ToCur", Dbl(1e15), kCur, 6),
      Ok("StrTieToEvenCur", Str(u"1.00005"), kCur, Cur(10000)),
      Ok("StrTieToEvenUpCur", Str(u"1.00015"), kCur, Cur(10002)),
      Ok("StrMaxCur", Str(u"922337203685477.5807"), kCur, Cur(INT64_MAX)),
      Ok("StrMinCur", Str(u"-922337203685477.5808"), kCur, Cur(INT64_MIN)),
      Err("StrBeyondMaxCur", Str(u"922337203685477.5808"), kCur, 6),
      Ok("LngToCur", I32(-7), kCur, Cur(-70000)),
      Ok("TrueToCur", Bool(true), kCur, Cur(-10000)),
      // To Boolean.
      Ok("StrTrueToBool", Str(u" true "), kBool, Bool(true)),
      Ok("StrFALSEToBool", Str(u"FALSE"), kBool, Bool(false)),
      Ok("StrHashTrue", Str(u"#TRUE#"), kBool, Bool(true)),
      Ok("StrHashFalse", Str(u"#FALSE#"), kBool, Bool(false)),
      Err("StrHashTrueLowerCase", Str(u"#true#"), kBool, 13),
      Ok("Str0ToBool", Str(u"0"), kBool, Bool(false)),
      Ok("Str0_1ToBool", Str(u"0.1"), kBool, Bool(true)),
      Err("StrYesToBool", Str(u"Yes"), kBool, 13),
      Ok("SmallCurToBool", Cur(1), kBool, Bool(true)),
      Ok("ZeroDblToBool", Dbl(0.0), kBool, Bool(false)),
      Ok("EmptyToBool", Variant(), kBool, Bool(false)),
      Err("NullToBool", Variant::Null(), kBool, 94),
      // To Date.
      Ok("StrSlashDate", Str(u"1/2/1970"), kDate, Day(25570)),
      Ok("StrDayMonthName", Str(u"2 Jan 1970"), kDate, Day(25570)),
      Ok("StrDashedMonthName", Str(u"2-Jan-1970"), kDate, Day(25570)),
      Ok("StrMonthNameFirst", Str(u"January 2, 1970"), kDate, Day(25570)),
      Ok("StrIsoOrder", Str(u"1970-01-02"), kDate, Day(25570)),
      Ok("StrWithWeekday", Str(u"Friday, January 2, 1970"), kDate, Day(25570)),
      Ok("StrDateTimePM", Str(u"6/30/2011 01:20:34 PM"), kDate, Day(40724 + Time(13, 20, 34))),
      Ok("StrTimeBeforeDate", Str(u"13:20:34 6/30/2011"), kDate, Day(40724 + Time(13, 20, 34))),
      Ok("Str1am", Str(u"1 am"), kDate, Day(Time(1, 0, 0))),
      Ok("Str12am", Str(u"12:30 AM"), kDate, Day(Time(0, 30, 0))),
      Ok("Str12pm", Str(u"12:30 PM"), kDate, Day(Time(12, 30, 0))),
      Ok("Str13AmIgnoresAm", Str(u"13:00 AM"), kDate, Day(Time(13, 0, 0))),
      Ok("StrYear29Is2029", Str(u"1/1/29"), kDate, Day(47119)),
      Ok("StrYear30Is1930", Str(u"1/1/30"), kDate, Day(10959)),
      Ok("StrSwappedMonthDay", Str(u"13/1/2000"), kDate, Day(36538)),
      Ok("StrBeforeEpochWithTime", Str(u"12/29/1899 6:00 AM"), kDate, Day(-1.25)),
      Ok("StrDottedZeroIsMidnight", Str(u"0.0"), kDate, Day(0)),
      Err("StrNumberOne", Str(u"1"), kDate, 13),
      Err("StrTrueIsNoDate", Str(u"True"), kDate, 13),
      Err("StrDottedDate", Str(u"02.01.1970"), kDate, 13),
      Err("StrFeb30", Str(u"2/30/2000"), kDate, 13),
      Err("StrHour24", Str(u"24:00"), kDate, 13),
      Err("StrMinute60", Str(u"1:60"), kDate, 13),
      Err("StrUnknownWord", Str(u"1/2/1970 noon"), kDate, 13),
      // Numbers separated by blanks only; "." separates the parts of a time.
      Ok("StrSpacedNumbers", Str(u"1 2 1970"), kDate, Day(25570)),
      Ok("StrSpacedShortNumbers", Str(u"1 2 3"), kDate, Day(37623)),
      Ok("StrSpacedYearFirstWhenNoMonth", Str(u"14 2 3"), kDate, Day(41673)),
      Ok("StrSpacedYearLast", Str(u"2 3 32"), kDate, Day(11722)),
      Ok("StrYearDayMonth", Str(u"1970-13-1"), kDate, Day(25581)),
      Ok("StrMonthAndYearOnly", Str(u"2 30"), kDate, Day(10990)),
      Err("StrTwoNumbersNoDate", Str(u"32 49"), kDate, 13),
      Err("StrFourNumbers", Str(u"1 2 3 4"), kDate, 13),
      Ok("StrDottedTime", Str(u"2.5"), kDate, Day(Time(2, 5, 0))),
      Ok("StrLetterPm", Str(u"12:59 p"), kDate, Day(Time(12, 59, 0))),
      Ok("StrLetterAm", Str(u"12:59 A"), kDate, Day(Time(0, 59, 0))),
      Ok("StrDottedTimeAfterDate", Str(u"1 2 3 4.5.6"), kDate, Day(37623 + Time(4, 5, 6))),
      Ok("StrDottedTimeBeforeDate", Str(u"1.2 3 4 5"), kDate, Day(38415 + Time(1, 2, 0))),
      Err("StrFourDottedParts", Str(u"1.2.3.4"), kDate, 13),
      Err("StrLeadingSeparator", Str(u"-7.5"), kDate, 13),
      Ok("TrueToDate", Bool(true), kDate, Day(-1)),
      Ok("DblToDate", Dbl(2.25), kDate, Day(2.25)),
      Ok("LastValidDate", Dbl(2958465.5), kDate, Day(2958465.5)),
      Err("DblBeyondLastDate", Dbl(2958466), kDate, 6),
      Ok("FirstValidDate", Dbl(-657434), kDate, Day(-657434)),
      Err("DblBeforeFirstDate", Dbl(-657435), kDate, 6),
      // Changing to the same type or to Variant keeps the value.
      Ok("StringToVariant", Str(u"x"), VarType::kVariant, Str(u"x")),
      Err("LongToObject", I32(1), VarType::kObject, 424),
  };
}

class Conversion : public ::testing::TestWithParam<ConversionRow> {};

TEST_P(Conversion, ChangesTypeOrRaises) {
  const ConversionRow& row = GetParam();
  if (row.error != 0) {
    EXPECT_EQ(ErrorOf([&] { row.input.ChangeType(row.target); }), row.error);
    return;
  }
  Variant converted;
  ASSERT_EQ(ErrorOf([&] { converted = row.input.ChangeType(row.target); }), 0);
  EXPECT_TRUE(SameValue(converted, row.expected));
}

INSTANTIATE_TEST_SUITE_P(Rules, Conversion, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.name; });

// The To* members agree with ChangeType and read through references.
TEST(Conversion, ToMembersReadThroughReferences) {
  Variant target(u"  -7.5 ");
  const Variant ref = Variant::ByRef(&target);
  EXPECT_EQ(ref.ToInteger(), -8);
  EXPECT_EQ(ref.ToLong(), -8);
  EXPECT_EQ(ref.ToDouble(), -7.5);
  EXPECT_EQ(ref.ToSingle(), -7.5f);
  EXPECT_EQ(ref.ToCurrency().scaled, -75000);
  EXPECT_TRUE(ref.ToBoolean());
  EXPECT_EQ(ErrorOf([&] { ref.ToByte(); }), 6);
  EXPECT_EQ(ErrorOf([&] { ref.ToDate(); }), 13);
}

TEST(Conversion, CurrencyFromDoubleRoundsHalfToEvenAndChecksRange) {
  EXPECT_EQ(automation::CurrencyFromDouble(2.03125).scaled, 20312);
  EXPECT_EQ(automation::CurrencyFromDouble(-1.03125).scaled, -10312);
  EXPECT_EQ(automation::CurrencyFromDouble(1e14).scaled, 1000000000000000000);
  EXPECT_EQ(ErrorOf([] { automation::CurrencyFromDouble(922337203685478.0); }), 6);
  EXPECT_EQ(ErrorOf([] { automation::CurrencyFromDouble(std::nan("")); }), 6);
  EXPECT_EQ(automation::CurrencyToDouble(Currency{-12345}), -1.2345);
}

}  // namespace
}  // namespace automation_test
