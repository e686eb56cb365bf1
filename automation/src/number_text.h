// Numbers to and from text: the whole-string number parser of the coercions and the
// text forms of Double, Single and Currency.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "automation/variant.h"

namespace automation {

// A number read from text, kept exact: value = (negative ? -1 : 1) * digits * 10^exponent,
// or, for "&H"/"&O" text, the unsigned integer `radixValue`.
struct ParsedNumber {
  bool negative = false;
  std::string digits;  // decimal digits without leading zeros; empty for zero
  int32_t exponent = 0;
  bool isRadix = false;
  bool radixOverflow = false;  // more than 64 bits of "&H"/"&O" digits
  uint64_t radixValue = 0;
};

// Parses the whole of `text` as a number with the user's number format: blanks around, one sign
// before or after, "(n)" for -n, grouping separators after the first digit, the decimal
// separator, the currency symbol, an exponent, "&H"/"&O" integers. Returns nothing when
// the text is not a number.
std::optional<ParsedNumber> ParseNumber(std::u16string_view text);

// "True" / "False" in any case, blanks around: -1 / 0.
std::optional<int> ParseBooleanWord(std::u16string_view text);

// The parsed number times 10^scaleDigits, rounded half to even exactly on the decimal
// digits. Nothing when it does not fit in [min, max].
std::optional<int64_t> ScaledInteger(const ParsedNumber& n, int scaleDigits, int64_t min,
                                     int64_t max);
// A radix number as the two's-complement pattern of `bits` bits (16 or 32); nothing when
// the value needs more bits.
std::optional<int64_t> RadixPattern(const ParsedNumber& n, int bits);
// The parsed number as the nearest double; nothing when it is beyond the double range.
std::optional<double> ParsedToDouble(const ParsedNumber& n);

// Text forms with the user's decimal separator: `significantDigits` is 15 for Double.
std::u16string FormatFloat(double value, int significantDigits);
std::u16string FormatSingle(float value);
std::u16string FormatCurrency(Currency c);
std::u16string FormatInteger(int64_t value);

}  // namespace automation
