#include "number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "automation/regional_settings.h"
#include "automation/text.h"

namespace automation {
namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\r' || c == u'\n';
}
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::optional<ParsedNumber> ParseRadix(std::u16string_view s) {
  ParsedNumber n;
  n.isRadix = true;
  const bool hex = s[1] == u'H' || s[1] == u'h';
  const unsigned base = hex ? 16 : 8;
  s.remove_prefix(2);
  if (s.empty()) return std::nullopt;
  for (char16_t c : s) {
    unsigned d;
    if (IsDigit(c)) {
      d = c - u'0';
    } else if (hex && c >= u'a' && c <= u'f') {
      d = c - u'a' + 10;
    } else if (hex && c >= u'A' && c <= u'F') {
      d = c - u'A' + 10;
    } else {
      return std::nullopt;
    }
    if (d >= base) return std::nullopt;
    if (n.radixValue > (std::numeric_limits<uint64_t>::max() - d) / base) n.radixOverflow = true;
    n.radixValue = n.radixValue * base + d;
  }
  return n;
}

// Accepts the currency symbol at `s`, once.
bool TakeCurrency(std::u16string_view& s, bool& taken) {
  const std::u16string_view symbol = CurrentNumberFormat().currencySymbol;
  if (taken || symbol.empty() || !s.starts_with(symbol)) return false;
  s.remove_prefix(symbol.size());
  taken = true;
  return true;
}

void SkipBlanks(std::u16string_view& s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
}

// ASCII number text with "." as the decimal point, in the user's form.
std::u16string WithDecimalSeparator(std::string_view ascii) {
  const char16_t separator = CurrentNumberFormat().decimalSeparator;
  std::u16string text(ascii.size(), u'\0');
  for (size_t i = 0; i < ascii.size(); ++i) {
    text[i] = ascii[i] == '.' ? separator : static_cast<char16_t>(ascii[i]);
  }
  return text;
}

}  // namespace

std::optional<ParsedNumber> ParseNumber(std::u16string_view text) {
  std::u16string_view s = Trim(text);
  if (s.size() >= 2 && s[0] == u'&' &&
      (s[1] == u'H' || s[1] == u'h' || s[1] == u'O' || s[1] == u'o')) {
    return ParseRadix(s);
  }
  const NumberFormat& format = CurrentNumberFormat();
  ParsedNumber n;
  bool signSeen = false;
  bool paren = false;
  bool currency = false;

  TakeCurrency(s, currency);
  SkipBlanks(s);
  if (!s.empty() && (s.front() == u'+' || s.front() == u'-')) {
    n.negative = s.front() == u'-';
    signSeen = true;
    s.remove_prefix(1);
  } else if (!s.empty() && s.front() == u'(') {
    n.negative = paren = signSeen = true;
    s.remove_prefix(1);
  }
  SkipBlanks(s);
  if (TakeCurrency(s, currency)) SkipBlanks(s);

  // Mantissa: digits, grouping separators after the first digit, one decimal separator.
  std::string digits;
  int32_t fractionDigits = 0;
  bool anyDigit = false;
  bool inFraction = false;
  while (!s.empty()) {
    const char16_t c = s.front();
    if (IsDigit(c)) {
      anyDigit = true;
      if (!(digits.empty() && c == u'0')) digits += static_cast<char>(c);
      if (inFraction) ++fractionDigits;
    } else if (c == format.decimalSeparator && !inFraction) {
      inFraction = true;
    } else if (c == format.groupSeparator && anyDigit && !inFraction) {
      // grouping is free-form: "1,00,0" is 1000
    } else {
      break;
    }
    s.remove_prefix(1);
  }
  if (!anyDigit) return std::nullopt;

  int64_t exponent = 0;
  if (!s.empty() &&
      (s.front() == u'e' || s.front() == u'E' || s.front() == u'd' || s.front() == u'D')) {
    s.remove_prefix(1);
    bool negativeExponent = false;
    if (!s.empty() && (s.front() == u'+' || s.front() == u'-')) {
      negativeExponent = s.front() == u'-';
      s.remove_prefix(1);
    }
    if (s.empty() || !IsDigit(s.front())) return std::nullopt;
    while (!s.empty() && IsDigit(s.front())) {
      if (exponent < 100000) exponent = exponent * 10 + (s.front() - u'0');
      s.remove_prefix(1);
    }
    if (negativeExponent) exponent = -exponent;
  }

  SkipBlanks(s);
  if (TakeCurrency(s, currency)) SkipBlanks(s);
  if (paren) {
    if (s.empty() || s.front() != u')') return std::nullopt;
    s.remove_prefix(1);
  } else if (!signSeen && !s.empty() && (s.front() == u'+' || s.front() == u'-')) {
    n.negative = s.front() == u'-';
    s.remove_prefix(1);
  }
  SkipBlanks(s);
  if (TakeCurrency(s, currency)) SkipBlanks(s);
  if (!s.empty()) return std::nullopt;

  // Drop trailing zeros into the exponent so that digits stay short.
  int64_t exp = exponent - fractionDigits;
  while (!digits.empty() && digits.back() == '0') {
    digits.pop_back();
    ++exp;
  }
  if (digits.empty()) {
    n.negative = false;
    exp = 0;
  }
  n.digits = std::move(digits);
  n.exponent = static_cast<int32_t>(std::clamp<int64_t>(exp, -1000000, 1000000));
  return n;
}

std::optional<int> ParseBooleanWord(std::u16string_view text) {
  const std::u16string_view s = Trim(text);
  if (EqualsIgnoreCase(s, u"True")) return -1;
  if (EqualsIgnoreCase(s, u"False")) return 0;
  return std::nullopt;
}

std::optional<int64_t> ScaledInteger(const ParsedNumber& n, int scaleDigits, int64_t min,
                                     int64_t max) {
  if (n.isRadix) return std::nullopt;
  const int64_t exp = static_cast<int64_t>(n.exponent) + scaleDigits;
  const int64_t len = static_cast<int64_t>(n.digits.size());
  if (n.digits.empty()) return 0;
  if (len + exp > 20) return std::nullopt;  // beyond any 64-bit value
  unsigned __int128 magnitude = 0;
  const int64_t integerDigits = std::max<int64_t>(0, len + std::min<int64_t>(exp, 0));
  for (int64_t i = 0; i < integerDigits; ++i) magnitude = magnitude * 10 + (n.digits[i] - '0');
  for (int64_t i = 0; i < exp; ++i) magnitude *= 10;
  if (exp < 0) {
    // Digits after the rounding point: the first one decides, the rest break a tie.
    const int64_t first = len + exp;  // index of the first dropped digit (may be negative)
    int firstDropped = first >= 0 ? n.digits[first] - '0' : 0;
    bool restNonZero = false;
    for (int64_t i = std::max<int64_t>(first + 1, 0); i < len; ++i) {
      if (n.digits[i] != '0') restNonZero = true;
    }
    if (first < 0) restNonZero = true;  // every digit lies below the first dropped place
    if (firstDropped > 5 || (firstDropped == 5 && (restNonZero || magnitude % 2 == 1))) {
      ++magnitude;
    }
  }
  const unsigned __int128 limit = n.negative
                                      ? static_cast<unsigned __int128>(-static_cast<__int128>(min))
                                      : static_cast<unsigned __int128>(max);
  if (magnitude > limit) return std::nullopt;
  const __int128 value =
      n.negative ? -static_cast<__int128>(magnitude) : static_cast<__int128>(magnitude);
  return static_cast<int64_t>(value);
}

std::optional<int64_t> RadixPattern(const ParsedNumber& n, int bits) {
  if (!n.isRadix || n.radixOverflow) return std::nullopt;
  const uint64_t span = uint64_t{1} << bits;
  if (n.radixValue >= span) return std::nullopt;
  const int64_t v = static_cast<int64_t>(n.radixValue);
  return v >= static_cast<int64_t>(span / 2) ? v - static_cast<int64_t>(span) : v;
}

std::optional<double> ParsedToDouble(const ParsedNumber& n) {
  if (n.isRadix) {
    if (auto v = RadixPattern(n, 32)) return static_cast<double>(*v);
    return std::nullopt;
  }
  if (n.digits.empty()) return 0.0;
  const int64_t magnitude = static_cast<int64_t>(n.digits.size()) + n.exponent;
  if (magnitude < -400) return n.negative ? -0.0 : 0.0;
  if (magnitude > 400) return std::nullopt;
  std::string text = n.digits + "e" + std::to_string(n.exponent);
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range) {
    if (magnitude < 0) return n.negative ? -0.0 : 0.0;
    return std::nullopt;
  }
  if (ec != std::errc() || !std::isfinite(value)) return std::nullopt;
  return n.negative ? -value : value;
}

std::u16string FormatInteger(int64_t value) { return FromUtf8(std::to_string(value)); }

// Rounds to `significantDigits`, drops trailing zeros, and chooses between the plain and
// the exponent form: exponent form when the rounded magnitude is at least
// 10^significantDigits, or when the plain form needs more than `significantDigits` digits
// after the decimal separator.
std::u16string FormatFloat(double value, int significantDigits) {
  if (std::isnan(value)) return u"NaN";
  if (std::isinf(value)) return value < 0 ? u"-Infinity" : u"Infinity";
  if (value == 0) return u"0";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*e", significantDigits - 1, value);
  std::string text(buffer);
  const bool negative = text[0] == '-';
  if (negative) text.erase(0, 1);
  const size_t ePos = text.find('e');
  const int exponent = std::stoi(text.substr(ePos + 1));
  std::string digits;
  for (size_t i = 0; i < ePos; ++i) {
    if (text[i] != '.') digits += text[i];
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const int digitsAfterPoint = static_cast<int>(digits.size()) - 1 - exponent;

  std::string out = negative ? "-" : "";
  if (exponent >= significantDigits || digitsAfterPoint > significantDigits) {
    out += digits[0];
    if (digits.size() > 1) {
      out += '.';
      out.append(digits, 1);
    }
    char exponentText[16];
    std::snprintf(exponentText, sizeof exponentText, "E%c%02d", exponent < 0 ? '-' : '+',
                  std::abs(exponent));
    out += exponentText;
  } else if (exponent < 0) {
    out += "0.";
    out.append(static_cast<size_t>(-exponent - 1), '0');
    out += digits;
  } else if (static_cast<int>(digits.size()) <= exponent + 1) {
    out += digits + std::string(static_cast<size_t>(exponent + 1) - digits.size(), '0');
  } else {
    const size_t integerDigits = static_cast<size_t>(exponent) + 1;
    out.append(digits, 0, integerDigits);
    out += '.';
    out.append(digits, integerDigits);
  }
  return WithDecimalSeparator(out);
}

// The C library rounds an exact tie to even; Single text rounds it away from zero. A tie is
// seen on the exact decimal expansion of the value, which 120 digits always hold for a float.
std::u16string FormatSingle(float value) {
  double x = value;
  if (std::isfinite(x) && x != 0) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "%.120e", x);
    std::string_view digits(buffer + (x < 0 ? 1 : 0));
    digits = digits.substr(0, digits.find('e'));
    // digits is "d.ddd...": the digit behind the seventh significant one is at index 8.
    const bool tie = digits[8] == '5' && digits.find_first_not_of('0', 9) == std::string_view::npos;
    if (tie) x = std::nextafter(x, x < 0 ? -HUGE_VAL : HUGE_VAL);
  }
  return FormatFloat(x, 7);
}

std::u16string FormatCurrency(Currency c) {
  const bool negative = c.scaled < 0;
  const uint64_t magnitude =
      negative ? 0 - static_cast<uint64_t>(c.scaled) : static_cast<uint64_t>(c.scaled);
  std::string out = negative ? "-" : "";
  out += std::to_string(magnitude / Currency::kScale);
  uint64_t fraction = magnitude % Currency::kScale;
  if (fraction != 0) {
    std::string decimals = std::to_string(fraction + Currency::kScale).substr(1);
    while (decimals.back() == '0') decimals.pop_back();
    out += '.';
    out += decimals;
  }
  return WithDecimalSeparator(out);
}

}  // namespace automation
