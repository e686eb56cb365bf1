// Text forms (CStr) of every kind of value.
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "test_support.h"

namespace automation_test {
namespace {

using automation::Currency;

struct TextRow {
  std::string name;
  Variant value;
  std::u16string text;
};

std::vector<TextRow> Rows() {
  return {
      {"NegativeInteger", Variant(int16_t{-42}), u"-42"},
      {"Long", Variant(int32_t{2147483647}), u"2147483647"},
      {"Byte", Variant(uint8_t{200}), u"200"},
      {"DoublePlain", Variant(437.324), u"437.324"},
      {"DoublePi", Variant(std::numbers::pi), u"3.14159265358979"},
      {"Double15Nines", Variant(999999999999999.0), u"999999999999999"},
      {"DoubleRoundsUpTo1E15", Variant(999999999999999.5), u"1E+15"},
      {"Double1E15", Variant(1e15), u"1E+15"},
      {"Double1_2E15", Variant(1.2e15), u"1.2E+15"},
      {"DoubleNegativeExponentForm", Variant(-1.2e20), u"-1.2E+20"},
      {"Double15DigitsAfterPoint", Variant(5.6789e-11), u"0.000000000056789"},
      {"Double16DigitsAfterPoint", Variant(5.6789e-12), u"5.6789E-12"},
      {"DoubleThreeDigitExponent", Variant(1e-100), u"1E-100"},
      {"DoubleSumOfTenths", Variant(0.1 + 0.2), u"0.3"},
      {"DoubleNegativeZero", Variant(-0.0), u"0"},
      {"DoubleHalf", Variant(-0.5), u"-0.5"},
      {"DoubleWhole", Variant(100.0), u"100"},
      {"Single1E8", Variant(1e8f), u"1E+08"},
      {"SingleSevenDigits", Variant(12.3456789f), u"12.34568"},
      {"SingleTenth", Variant(0.1f), u"0.1"},
      {"SingleTieRoundsAwayFromZero", Variant(654322.25f), u"654322.3"},
      {"SingleNegativeTie", Variant(-1234566.5f), u"-1234567"},
      {"SingleSmallTie", Variant(0.11328125f), u"0.1132813"},
      {"SingleJustBelowTie", Variant(std::nextafter(654322.25f, 0.0f)), u"654322.2"},
      {"CurrencyOneAndHalf", Variant(Currency{15000}), u"1.5"},
      {"CurrencySmallest", Variant(Currency{9}), u"0.0009"},
      {"CurrencyNegative", Variant(Currency{-123456}), u"-12.3456"},
      {"CurrencyMax", Variant(Currency{INT64_MAX}), u"922337203685477.5807"},
      {"CurrencyMin", Variant(Currency{INT64_MIN}), u"-922337203685477.5808"},
      {"CurrencyLarge", Variant(Currency{10000000000000000}), u"1000000000000"},
      {"DateZeroIsMidnight", Variant::Date(0), u"12:00:00 AM"},
      {"DateOnly", Variant::Date(365), u"12/30/1900"},
      {"DateAndTime", Variant::Date(3.34), u"1/2/1900 8:09:36 AM"},
      {"DateBeforeEpoch", Variant::Date(-49192.24), u"4/24/1765 5:45:36 AM"},
      {"DateNegativeFractionCountsForward", Variant::Date(-1.25), u"12/29/1899 6:00:00 AM"},
      {"TimeOnlyBelowZero", Variant::Date(-0.25), u"6:00:00 AM"},
      {"DateAfternoon", Variant::Date(2.75), u"1/1/1900 6:00:00 PM"},
      {"DateLast", Variant::Date(2958465), u"12/31/9999"},
      {"DateFirst", Variant::Date(-657434), u"1/1/100"},
      {"BooleanTrue", Variant(true), u"True"},
      {"BooleanFalse", Variant(false), u"False"},
      {"Empty", Variant(), u""},
      {"MissingArgument", Variant::Missing(), u"Error 448"},
      {"ErrorValue", Variant::ErrorCode(static_cast<int32_t>(0x800A0005u)), u"Error 5"},
      {"PlainErrorNumber", Variant::ErrorCode(2042), u"Error 2042"},
  };
}

class TextForm : public ::testing::TestWithParam<TextRow> {};

TEST_P(TextForm, ToStringGivesTheTextForm) {
  EXPECT_EQ(Utf8(GetParam().value.ToString()), Utf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Rules, TextForm, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.name; });

// The text of a number converts back to the same value.
TEST(TextForm, DoubleTextRoundTripsFifteenDigits) {
  for (double x : {1.0 / 3, -2.0 / 7, 123456.789012345, 9.87654321e-5, 6.02214076e23}) {
    const Variant back(Variant(x).ToString());
    EXPECT_NEAR(back.ToDouble(), x, std::fabs(x) * 1e-14) << Utf8(back.ToString());
  }
}

TEST(TextForm, DateTextParsesBackToTheSameSerial) {
  for (double serial : {25570.0, 40724.5, -49192.25, 2.75, 0.5}) {
    const Variant text(Variant::Date(serial).ToString());
    EXPECT_DOUBLE_EQ(text.ToDate(), serial) << Utf8(text.ToString());
  }
}

}  // namespace
}  // namespace automation_test
