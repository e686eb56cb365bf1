#include "engine/decimal_sum.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace dbclient {

namespace {

constexpr __int128 kMax = (static_cast<__int128>(1) << 125);
// Below 2^53 every whole number is an exact double.
constexpr double kExactWhole = 9007199254740992.0;

// Multiplies by 10^n; false when the result would leave the safe range.
bool ScaleUp(__int128* value, int n) {
  for (int i = 0; i < n; ++i) {
    if (*value > kMax / 10 || *value < -kMax / 10) return false;
    *value *= 10;
  }
  return true;
}

// `value` (finite, not 0) as mantissa * 10^exponent, the digits of its shortest round-trip
// form.
void Digits(double value, __int128* mantissa_out, int* exponent_out) {
  // Shortest round-trip form in scientific notation: [-]d[.ddd]e[+-]xx.
  char buffer[40];
  const auto end =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific).ptr;
  const std::string_view text(buffer, static_cast<size_t>(end - buffer));
  const size_t e = text.find('e');
  __int128 mantissa = 0;
  int digits_after_point = 0;
  bool after_point = false;
  for (size_t i = 0; i < e; ++i) {
    const char c = text[i];
    if (c == '.') {
      after_point = true;
    } else if (c >= '0' && c <= '9') {
      mantissa = mantissa * 10 + (c - '0');
      digits_after_point += after_point;
    }
  }
  if (text[0] == '-') mantissa = -mantissa;
  *mantissa_out = mantissa;
  *exponent_out = std::atoi(std::string(text.substr(e + 1)).c_str()) - digits_after_point;
}

}  // namespace

void DecimalSum::Add(double value) {
  fallback_ += value;
  if (!exact_ || value == 0) return;
  if (!std::isfinite(value)) {
    exact_ = false;
    return;
  }
  __int128 mantissa = 0;
  int exponent = 0;
  if (std::fabs(value) < kExactWhole && value == std::trunc(value)) {
    mantissa = static_cast<int64_t>(value);  // a whole number is its own digits
  } else {
    Digits(value, &mantissa, &exponent);
  }
  if (!any_) {
    coefficient_ = mantissa;
    exponent_ = exponent;
    any_ = true;
    return;
  }
  if (exponent < exponent_) {
    if (!ScaleUp(&coefficient_, exponent_ - exponent)) {
      exact_ = false;
      return;
    }
    exponent_ = exponent;
  } else if (!ScaleUp(&mantissa, exponent - exponent_)) {
    exact_ = false;
    return;
  }
  coefficient_ += mantissa;
  if (coefficient_ > kMax || coefficient_ < -kMax) exact_ = false;
}

double DecimalSum::Result() const {
  if (!exact_) return static_cast<double>(fallback_);
  if (!any_ || coefficient_ == 0) return 0.0;
  // Both operands exact: IEEE division and multiplication round the exact quotient or product
  // to the nearest double, as the library does below.
  const auto whole = static_cast<double>(coefficient_);
  if (std::fabs(whole) < kExactWhole && exponent_ >= -22 && exponent_ <= 22) {
    return exponent_ < 0 ? whole / kExactPowersOfTen[-exponent_]
                         : whole * kExactPowersOfTen[exponent_];
  }
  // Let the library round coefficient * 10^exponent to the nearest double.
  __int128 magnitude = coefficient_ < 0 ? -coefficient_ : coefficient_;
  std::string digits;
  while (magnitude > 0) {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
    magnitude /= 10;
  }
  const std::string text = (coefficient_ < 0 ? "-" : "") + digits + "e" + std::to_string(exponent_);
  double result = 0;
  const auto parsed = std::from_chars(text.data(), text.data() + text.size(), result);
  if (parsed.ec != std::errc()) return static_cast<double>(fallback_);  // beyond double range
  return result;
}

}  // namespace dbclient
