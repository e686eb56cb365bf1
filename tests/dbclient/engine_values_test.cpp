// Field value conversions, value order, the calendar and exact decimal sums.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <tuple>

#include "dbclient/value.h"
#include "engine/calendar.h"
#include "engine/decimal_sum.h"
#include "engine/text_util.h"
#include "engine_test_support.h"
#include "error_codes.h"
#include "regional_scope.h"

namespace dbclient {
namespace {

using testing::HasCode;
using testing::IsOk;

using testing::MakeField;

struct ConversionRow {
  const char* name;
  FieldDef field;
  Input input;
  Value expected;
  int32_t error = 0;  // expected error code instead of a value
};

std::ostream& operator<<(std::ostream& out, const ConversionRow& row) { return out << row.name; }

const FieldDef kText10 = MakeField(FieldType::kText, 10);
const FieldDef kCode10 = MakeField(FieldType::kCode, 10);
const FieldDef kInteger = MakeField(FieldType::kInteger);
const FieldDef kOption = MakeField(FieldType::kOption, 0, " ,G/L Account,Item,Resource");
const FieldDef kBoolean = MakeField(FieldType::kBoolean);
const FieldDef kDate = MakeField(FieldType::kDate);
const FieldDef kTime = MakeField(FieldType::kTime);
const FieldDef kDecimal = MakeField(FieldType::kDecimal);
const FieldDef kBlob = MakeField(FieldType::kBlob);

// 2020-02-29 as a day number (days since 1899-12-30).
constexpr int32_t kLeapDay = 43890;

class ConversionTest : public ::testing::TestWithParam<ConversionRow> {};

TEST_P(ConversionTest, ConvertsOrRefuses) {
  const ConversionRow& row = GetParam();
  // Into a value of another type, and into one of the field's type as a record buffer
  // holds it (written in place).
  for (const Value& sentinel : {Value::Integer(-12345), Value(row.field.type)}) {
    Value out = sentinel;
    const Status status = ConvertInput(row.field, row.input, &out);
    if (row.error != 0) {
      EXPECT_TRUE(HasCode(status, row.error));
      EXPECT_EQ(out, sentinel) << "a refused value must leave the output untouched";
    } else {
      ASSERT_TRUE(IsOk(status));
      EXPECT_EQ(out.type(), row.field.type);
      EXPECT_EQ(out, row.expected) << out.DebugString() << " vs " << row.expected.DebugString();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, ConversionTest,
    ::testing::Values(
        ConversionRow{"TextKeptAsGiven", kText10, u" Ab c ", Value::Text(u" Ab c ")},
        ConversionRow{"TextAtLength", kText10, u"0123456789", Value::Text(u"0123456789")},
        ConversionRow{"TextTooLong", kText10, u"0123456789X", {}, errc::kTextTooLong},
        ConversionRow{"TextLoneSurrogates", kText10, u"\xD800\U0001F600\xDC00",
                      Value::Text(u"\uFFFD\U0001F600\uFFFD")},
        ConversionRow{
            "TextWithNul", kText10, std::u16string_view(u"a\0b", 3), {}, errc::kNulInText},
        ConversionRow{"CodeWithNul", kCode10, std::u16string_view(u"\0", 1), {}, errc::kNulInText},
        ConversionRow{"TextFromNumber", kText10, 2.5, Value::Text(u"2.5")},
        ConversionRow{"TextFromInteger", kText10, int64_t{-42}, Value::Text(u"-42")},
        ConversionRow{"TextFromEmpty", kText10, std::monostate{}, Value::Text(u"")},
        ConversionRow{"CodeUpperTrimmed", kCode10, u"  k0001a ", Value::Code(u"K0001A")},
        ConversionRow{"CodeCzechUpper", kCode10, u"žluťoučký", Value::Code(u"ŽLUŤOUČKÝ")},
        ConversionRow{"CodeLengthAfterTrim", kCode10, u"   0123456789   ",
                      Value::Code(u"0123456789")},
        ConversionRow{"CodeTooLong", kCode10, u"0123456789A", {}, errc::kTextTooLong},
        ConversionRow{"IntegerFromText", kInteger, u" 42 ", Value::Integer(42)},
        ConversionRow{"IntegerRoundsHalfEven", kInteger, 2.5, Value::Integer(2)},
        ConversionRow{"IntegerRoundsHalfEvenUp", kInteger, 3.5, Value::Integer(4)},
        ConversionRow{"IntegerMax", kInteger, int64_t{2147483647}, Value::Integer(2147483647)},
        ConversionRow{
            "IntegerOverflow", kInteger, int64_t{2147483648}, {}, errc::kNumberOutOfRange},
        ConversionRow{"IntegerDoubleOverflow", kInteger, 2147483647.5, {}, errc::kNumberOutOfRange},
        ConversionRow{"IntegerBadText", kInteger, u"12abc", {}, errc::kBadNumber},
        ConversionRow{"IntegerEmptyText", kInteger, u"", Value::Integer(0)},
        ConversionRow{"OptionIndex", kOption, int64_t{2}, Value::Option(2)},
        ConversionRow{"OptionCaption", kOption, u"item", Value::Option(2)},
        ConversionRow{"OptionCaptionWithSlash", kOption, u"G/L Account", Value::Option(1)},
        ConversionRow{"OptionBlankCaption", kOption, u" ", Value::Option(0)},
        ConversionRow{"OptionNumericText", kOption, u"3", Value::Option(3)},
        ConversionRow{"OptionPastLast", kOption, int64_t{4}, {}, errc::kBadOption},
        ConversionRow{"OptionNegative", kOption, int64_t{-1}, {}, errc::kBadOption},
        ConversionRow{"OptionFraction", kOption, 1.5, {}, errc::kBadOption},
        ConversionRow{"OptionUnknownCaption", kOption, u"Fixed Asset", {}, errc::kBadOption},
        ConversionRow{"BooleanTrue", kBoolean, true, Value::Boolean(true)},
        ConversionRow{"BooleanYes", kBoolean, u"yes", Value::Boolean(true)},
        ConversionRow{"BooleanNo", kBoolean, u"No", Value::Boolean(false)},
        ConversionRow{"BooleanFalseWord", kBoolean, u"FALSE", Value::Boolean(false)},
        ConversionRow{"BooleanNumber", kBoolean, int64_t{-1}, Value::Boolean(true)},
        ConversionRow{"BooleanZero", kBoolean, 0.0, Value::Boolean(false)},
        ConversionRow{"BooleanBadWord", kBoolean, u"maybe", {}, errc::kBadBoolean},
        ConversionRow{"DateSerial", kDate, DateSerial{kLeapDay + 0.75}, Value::Date(kLeapDay)},
        ConversionRow{"DateZeroIsUndefined", kDate, DateSerial{0}, Value::Date(0)},
        ConversionRow{"DateTimeOnlyIsUndefined", kDate, DateSerial{0.5}, Value::Date(0)},
        ConversionRow{"DateBeforeZero", kDate, DateSerial{-1.25}, Value::Date(-1)},
        ConversionRow{"DateIsoText", kDate, u"2020-02-29", Value::Date(kLeapDay)},
        ConversionRow{"DateUsText", kDate, u"2/29/2020", Value::Date(kLeapDay)},
        ConversionRow{"DateDottedText", kDate, u"29.2.2020", Value::Date(kLeapDay)},
        ConversionRow{"DateTwoDigitYear", kDate, u"2/29/20", Value::Date(kLeapDay)},
        ConversionRow{"DateWithTime", kDate, u"2/29/2020 1:30:00 PM", Value::Date(kLeapDay)},
        ConversionRow{"DateNotLeap", kDate, u"2/29/2021", {}, errc::kBadDate},
        ConversionRow{"DateGarbage", kDate, u"tomorrow", {}, errc::kBadDate},
        ConversionRow{"DateOutOfRange", kDate, DateSerial{3e6}, {}, errc::kBadDate},
        ConversionRow{"DateFromBoolean", kDate, true, {}, errc::kBadDate},
        ConversionRow{"TimeFraction", kTime, DateSerial{kLeapDay + 0.5}, Value::Time(43200000)},
        ConversionRow{"TimeBeforeZeroCountsForward", kTime, DateSerial{-1.25},
                      Value::Time(21600000)},
        ConversionRow{"TimeText", kTime, u"13:45:30", Value::Time(49530000)},
        ConversionRow{"TimeTextMillis", kTime, u"00:00:01.250", Value::Time(1250)},
        ConversionRow{"TimeTwelveHour", kTime, u"1:05 PM", Value::Time(47100000)},
        ConversionRow{"TimeMidnightAm", kTime, u"12:00:01 AM", Value::Time(1000)},
        ConversionRow{"TimeAfterDate", kTime, u"2020-02-29 08:00", Value::Time(28800000)},
        ConversionRow{"TimeBadHour", kTime, u"24:00", {}, errc::kBadTime},
        ConversionRow{"TimeBadMinute", kTime, u"10:60", {}, errc::kBadTime},
        ConversionRow{"DecimalDouble", kDecimal, 0.1, Value::Decimal(0.1)},
        ConversionRow{"DecimalText", kDecimal, u" -12.5e1 ", Value::Decimal(-125.0)},
        ConversionRow{"DecimalPlusText", kDecimal, u"+3.25", Value::Decimal(3.25)},
        ConversionRow{"DecimalNegativeZero", kDecimal, -0.0, Value::Decimal(0.0)},
        ConversionRow{"DecimalNotANumber", kDecimal, std::nan(""), {}, errc::kBadNumber},
        ConversionRow{"DecimalInfinity", kDecimal, HUGE_VAL, {}, errc::kBadNumber},
        ConversionRow{"DecimalBadText", kDecimal, u"1,5", {}, errc::kBadNumber},
        ConversionRow{"DecimalInfText", kDecimal, u"inf", {}, errc::kBadNumber},
        ConversionRow{"DecimalFromDate", kDecimal, DateSerial{1}, {}, errc::kTypeMismatch},
        ConversionRow{"BlobBytes", kBlob, std::u16string_view(u"a\u00ff\u0000b", 4),
                      Value::Blob(std::string("a\xff\0b", 4))},
        ConversionRow{"BlobWideCharacter", kBlob, u"č", {}, errc::kBadBlob},
        ConversionRow{"BlobFromNumber", kBlob, 1.0, {}, errc::kTypeMismatch}),
    [](const ::testing::TestParamInfo<ConversionRow>& info) { return info.param.name; });

// The same values as each region writes them; each region refuses the other's decimal form
// rather than reading a different number.
struct RegionalRow {
  const char* name;
  FieldDef field;
  const char16_t* enUS;
  const char16_t* csCZ;
  Value expected;
  int32_t error = 0;
};

std::ostream& operator<<(std::ostream& out, const RegionalRow& row) { return out << row.name; }

using RegionalCase = std::tuple<automation::Region, RegionalRow>;

class RegionalConversionTest : public ::testing::TestWithParam<RegionalCase> {};

TEST_P(RegionalConversionTest, ReadsTheRegionsText) {
  const auto& [region, row] = GetParam();
  const talmo::testing::RegionalScope scope(region);
  const std::u16string_view text = region == automation::Region::kCzech ? row.csCZ : row.enUS;
  Value out = Value::Integer(-12345);
  const Status status = ConvertInput(row.field, text, &out);
  if (row.error != 0) {
    EXPECT_TRUE(HasCode(status, row.error)) << out.DebugString();
  } else {
    ASSERT_TRUE(IsOk(status));
    EXPECT_EQ(out, row.expected) << out.DebugString() << " vs " << row.expected.DebugString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegionalConversionTest,
    ::testing::Combine(
        ::testing::ValuesIn(talmo::testing::kRegions),
        ::testing::Values(
            RegionalRow{"DecimalFraction", kDecimal, u"2.25", u"2,25", Value::Decimal(2.25)},
            RegionalRow{
                "DecimalOtherRegionsForm", kDecimal, u"2,25", u"2.25", {}, errc::kBadNumber},
            RegionalRow{"DecimalGroupedIsRefused",
                        kDecimal,
                        u"1,000.5",
                        u"1\u00A0000,5",
                        {},
                        errc::kBadNumber},
            RegionalRow{"IntegerFromFraction", kInteger, u"2.5", u"2,5", Value::Integer(2)},
            RegionalRow{"DateSlashed", kDate, u"1/2/1970", u"2/1/1970", Value::Date(25570)},
            RegionalRow{"DateWithTime", kDate, u"1/2/1970 1:30 PM", u"2/1/1970 13:30",
                        Value::Date(25570)},
            RegionalRow{
                "DateOtherRegionsOrder", kDate, u"13/1/2000", u"1/13/2000", {}, errc::kBadDate})),
    [](const ::testing::TestParamInfo<RegionalCase>& info) {
      return talmo::testing::RegionTestName(std::get<0>(info.param)) + "_" +
             std::get<1>(info.param).name;
    });

// A number put into a Text field is written with the decimal separator that reads it back.
TEST(ValueTest, NumberTextReadsBackUnderTheSameSettings) {
  const talmo::testing::RegionalScope scope(automation::Region::kCzech);
  Value text;
  ASSERT_TRUE(IsOk(ConvertInput(kText10, -2.5, &text)));
  EXPECT_EQ(text, Value::Text(u"-2,5"));
  Value number;
  ASSERT_TRUE(IsOk(ConvertInput(kDecimal, std::u16string_view(text.text()), &number)));
  EXPECT_EQ(number, Value::Decimal(-2.5));
}

TEST(ValueTest, DecimalKeepsEveryDoubleExactly) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 2000; ++i) {
    double value;
    const uint64_t bits = random();
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value) || value == 0) continue;
    Value out;
    ASSERT_TRUE(IsOk(ConvertInput(kDecimal, value, &out)));
    const double back = out.decimal();
    EXPECT_EQ(std::memcmp(&value, &back, sizeof value), 0) << value;
  }
}

TEST(ValueTest, InitialValuesAndOrder) {
  EXPECT_TRUE(Value(FieldType::kText).IsInitial());
  EXPECT_TRUE(Value(FieldType::kDate).IsInitial());
  EXPECT_FALSE(Value::Boolean(true).IsInitial());
  EXPECT_LT(Value::Integer(-5).Compare(Value::Integer(3)), 0);
  EXPECT_LT(Value::Boolean(false).Compare(Value::Boolean(true)), 0);
  // Text sorts by code point: "Z" < "a" < "é" < "ž", and a prefix first.
  EXPECT_LT(Value::Text(u"Z").Compare(Value::Text(u"a")), 0);
  EXPECT_LT(Value::Text(u"a").Compare(Value::Text(u"é")), 0);
  EXPECT_LT(Value::Text(u"é").Compare(Value::Text(u"ž")), 0);
  EXPECT_LT(Value::Text(u"ab").Compare(Value::Text(u"abc")), 0);
  // A character beyond U+FFFF (surrogate pair) sorts after U+FFFD, as its UTF-8 does.
  EXPECT_LT(Value::Text(u"\uFFFD").Compare(Value::Text(u"\U0001F600")), 0);
}

// Texts come back from storage as UTF-8; a damaged file may hold anything. Every malformed
// byte reads as one U+FFFD and never swallows the character after it.
TEST(TextTest, Utf8ReadsWholeCharactersAndMarksEachBadByte) {
  const struct {
    const char* name;
    std::string utf8;
    std::u16string expected;
  } rows[] = {
      {"ascii", "K0-01 a", u"K0-01 a"},
      {"two, three and four bytes", "\xC5\xA1\xE2\x82\xAC\xF0\x9F\x98\x80", u"\u0161\u20AC\U0001F600"},
      {"cut short at the end", "a\xE2\x82", u"a\uFFFD\uFFFD"},
      {"continuation alone", "\x80x", u"\uFFFDx"},
      {"lead byte before ascii", "\xC5z", u"\uFFFDz"},
      {"overlong", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"two-byte bounds", "\xC2\x80\xDF\xBF\xC1\xBF", u"\u0080\u07FF\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"invalid lead", "\xFF", u"\uFFFD"},
      {"long ascii", "K0-0001 Bicycle, blue", u"K0-0001 Bicycle, blue"},
      {"ascii runs around a character", "abcdefg\xC5\xA1hijklmnop\xE2\x82\xACqrstuvwx",
       u"abcdefg\u0161hijklmnop\u20ACqrstuvwx"},
      {"bad byte after a run", "abcdefgh\x80ijklmnop\xC5", u"abcdefgh\uFFFDijklmnop\uFFFD"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(text::FromUtf8(row.utf8), row.expected) << row.name;
  }
  const std::u16string czech = u"P\u0159\u00EDli\u0161 \u017Elu\u0165ou\u010Dk\u00FD k\u016F\u0148";
  EXPECT_EQ(text::FromUtf8(text::ToUtf8(czech)), czech);
}

TEST(CalendarTest, DayNumbersRoundTripOverTheWholeRange) {
  for (int32_t day = calendar::kFirstDay; day <= calendar::kLastDay; day += 97) {
    const calendar::CivilDate date = calendar::FromDayNumber(day);
    ASSERT_TRUE(calendar::IsValid(date)) << day;
    ASSERT_EQ(calendar::DayNumber(date), day);
  }
  EXPECT_EQ(calendar::DayNumber({1899, 12, 30}), 0);
  EXPECT_EQ(calendar::DayNumber({1900, 1, 1}), 2);
  EXPECT_EQ(calendar::DayNumber({1970, 1, 2}), 25570);
  EXPECT_EQ(calendar::DayNumber({100, 1, 1}), calendar::kFirstDay);
  EXPECT_EQ(calendar::DayNumber({9999, 12, 31}), calendar::kLastDay);
  EXPECT_EQ(calendar::FormatDate(kLeapDay), "2020-02-29");
  EXPECT_EQ(calendar::FormatTime(49530250), "13:45:30.250");
}

// The exact decimal sum of values given as integers scaled by 10^-5, as the nearest double.
double ExactSum(const std::vector<int64_t>& scaled) {
  int64_t total = 0;
  for (int64_t v : scaled) total += v;
  return std::stod(std::to_string(total) + "e-5");
}

TEST(DecimalSumTest, SumsOfFiveDecimalValuesAreExact) {
  std::mt19937_64 random(11);
  int differs_from_binary = 0;
  for (int round = 0; round < 200; ++round) {
    std::vector<int64_t> scaled;
    DecimalSum sum;
    double binary = 0;
    const int count = 1 + static_cast<int>(random() % 300);
    for (int i = 0; i < count; ++i) {
      const int64_t v = static_cast<int64_t>(random() % 2000000001) - 1000000000;
      scaled.push_back(v);
      const double value = std::stod(std::to_string(v) + "e-5");
      sum.Add(value);
      binary += value;
    }
    const double expected = ExactSum(scaled);
    ASSERT_EQ(sum.Result(), expected) << "round " << round;
    differs_from_binary += binary != expected;
  }
  // The test data must be able to tell exact from binary summation.
  EXPECT_GT(differs_from_binary, 0);
}

TEST(DecimalSumTest, ClassicCasesAndExtremes) {
  DecimalSum tenths;
  for (int i = 0; i < 10; ++i) tenths.Add(0.1);
  EXPECT_EQ(tenths.Result(), 1.0);

  DecimalSum cancel;
  cancel.Add(0.1);
  cancel.Add(0.2);
  cancel.Add(-0.3);
  EXPECT_EQ(cancel.Result(), 0.0);

  DecimalSum empty;
  EXPECT_EQ(empty.Result(), 0.0);

  // Whole numbers, alone and beside decimals, up to and past 2^53; powers of ten beyond 10^22.
  const auto sum = [](std::initializer_list<double> values) {
    DecimalSum s;
    for (double v : values) s.Add(v);
    return s.Result();
  };
  EXPECT_EQ(sum({9007199254740991.0, 1.0}), 9007199254740992.0);
  EXPECT_EQ(sum({4503599627370497.0, 4503599627370497.0}), 9007199254740994.0);
  EXPECT_EQ(sum({1200.0, 0.001}), 1200.001);
  EXPECT_EQ(sum({-3.0, 0.1}), -2.9);
  EXPECT_EQ(sum({1e20, 1e20}), 2e20);
  EXPECT_EQ(sum({1e30, 1e30}), 2e30);

  // Magnitudes too far apart for the exact form still give a sensible binary sum.
  DecimalSum wide;
  wide.Add(1e300);
  wide.Add(1e-300);
  EXPECT_EQ(wide.Result(), 1e300);
}

}  // namespace
}  // namespace dbclient
