// A numeric operand of comparison and arithmetic, taken from a Variant.
#pragma once

#include <cstdint>

#include "automation/variant.h"

namespace automation {

// The numeric types in the order of their arithmetic precision for + and -; Boolean
// counts as Integer.
enum class NumberKind { kByte, kInteger, kLong, kSingle, kDouble, kCurrency, kDate };

struct Number {
  NumberKind kind;
  int64_t integer = 0;  // Byte, Integer, Long; Currency as its scaled value
  double real = 0;      // Single, Double, Date
};

// The operand as a Number. Empty is Integer 0; a String is parsed as a Double (13 when it
// is not a number). Null, Error, Object and arrays are the caller's business (13 here).
Number ToNumber(const Variant& v);

// The Number as a Variant of its own kind.
Variant FromNumber(const Number& n);

bool IsIntegral(NumberKind kind) noexcept;
double AsDouble(const Number& n) noexcept;

// Half to even at the whole number.
double RoundWholeHalfEven(double x) noexcept;

}  // namespace automation
