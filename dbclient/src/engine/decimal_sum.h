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
