// Round and its double form.
#include <cmath>

#include "automation/automation_error.h"
#include "automation/variant.h"
#include "variant_access.h"
#include "variant_number.h"

namespace automation {

// x * 10^n in double, rounded half to even, divided by 10^n: the binary representation of
// x decides near-ties, so Round(1.005, 2) is 1 as the platform gives it. Where x * 10^n is
// not finite, or has no fraction left to round, x is returned unchanged.
double RoundHalfEven(double x, int32_t decimals) {
  if (decimals < 0) RaiseStandard(error::kInvalidProcedureCall);
  if (!std::isfinite(x)) return x;
  if (decimals == 0) return RoundWholeHalfEven(x);
  if (decimals > 22) return x;
  const double scale = std::pow(10.0, decimals);  // exact up to 10^22
  const double scaled = x * scale;
  if (!std::isfinite(scaled) || std::fabs(scaled) >= 4503599627370496.0) return x;
  return RoundWholeHalfEven(scaled) / scale;
}

Variant Round(const Variant& x, int32_t decimals) {
  if (decimals < 0) RaiseStandard(error::kInvalidProcedureCall);
  const Variant value = x.IsObject() ? DefaultValue(x) : x.Deref();
  switch (value.type()) {
    case VarType::kNull:
      return Variant::Null();
    case VarType::kEmpty:
      return Variant(int16_t{0});
    case VarType::kBoolean:
      return Variant(value.ToInteger());
    case VarType::kByte:
    case VarType::kInteger:
    case VarType::kLong:
      return value;
    case VarType::kSingle:
      return Variant(static_cast<float>(RoundHalfEven(value.ToSingle(), decimals)));
    case VarType::kDouble:
    case VarType::kString:
      return Variant(RoundHalfEven(value.ToDouble(), decimals));
    case VarType::kDate:
      return Variant::Date(RoundHalfEven(value.DateSerial(), decimals));
    case VarType::kCurrency: {
      // Exact on the scaled value: nothing to do at 4 or more places.
      const int64_t scaled = value.ToCurrency().scaled;
      if (decimals >= 4) return value;
      int64_t unit = 1;
      for (int32_t i = decimals; i < 4; ++i) unit *= 10;
      int64_t quotient = scaled / unit;
      const int64_t rest = scaled % unit;
      const int64_t magnitude = rest < 0 ? -rest : rest;
      if (magnitude * 2 > unit || (magnitude * 2 == unit && quotient % 2 != 0)) {
        quotient += scaled < 0 ? -1 : 1;
      }
      // The largest values round beyond the Currency range.
      if (quotient > INT64_MAX / unit || quotient < INT64_MIN / unit) {
        RaiseStandard(error::kOverflow);
      }
      return Variant(Currency{quotient * unit});
    }
    default:
      RaiseStandard(error::kTypeMismatch);
  }
}

}  // namespace automation
