// Exact sums of Decimal values.
//
// A Decimal field stores the double that was written, so every double reads back unchanged.
// Summing those doubles in binary would give 0.1 + 0.2 = 0.30000000000000004; instead each
// value is taken as its shortest round-trip decimal form (the digits the user wrote: 0.1, not
// 0.1000000000000000055...) and the forms are added exactly in a scaled 128-bit integer. The
// result is the double nearest to the exact decimal sum, so sums of values with up to 5
// decimals (and far more) are exact. Should the digits not fit (values spanning more than
// about 38 orders of magnitude), the sum falls back to extended-precision binary addition.
#pragma once

#include <cstdint>

namespace dbclient {

// Every power of ten up to 10^22 is an exact double: a whole number below 2^53 divided or
// multiplied by one of them is rounded exactly as parsing its decimal text is.
inline constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

class DecimalSum {
 public:
  void Add(double value);
  double Result() const;

 private:
  __int128 coefficient_ = 0;
  int exponent_ = 0;  // the sum is coefficient_ * 10^exponent_
  bool any_ = false;
  bool exact_ = true;
  long double fallback_ = 0;
};

}  // namespace dbclient
