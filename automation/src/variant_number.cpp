#include "variant_number.h"

#include <cmath>

#include "automation/automation_error.h"
#include "variant_access.h"

namespace automation {

double RoundWholeHalfEven(double x) noexcept {
  // x - floor(x) is exact for every double, so ties are seen exactly.
  const double floor = std::floor(x);
  const double fraction = x - floor;
  if (fraction > 0.5) return floor + 1;
  if (fraction < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

bool IsIntegral(NumberKind kind) noexcept {
  return kind == NumberKind::kByte || kind == NumberKind::kInteger || kind == NumberKind::kLong;
}

double AsDouble(const Number& n) noexcept {
  if (IsIntegral(n.kind)) return static_cast<double>(n.integer);
  if (n.kind == NumberKind::kCurrency) return CurrencyToDouble(Currency{n.integer});
  return n.real;
}

Number ToNumber(const Variant& v) {
  switch (v.type()) {
    case VarType::kEmpty:
      return {NumberKind::kInteger, 0};
    case VarType::kBoolean:
      return {NumberKind::kInteger, v.ToBoolean() ? -1 : 0};
    case VarType::kByte:
      return {NumberKind::kByte, v.ToByte()};
    case VarType::kInteger:
      return {NumberKind::kInteger, v.ToInteger()};
    case VarType::kLong:
      return {NumberKind::kLong, v.ToLong()};
    case VarType::kSingle:
      return {NumberKind::kSingle, 0, v.ToSingle()};
    case VarType::kDouble:
    case VarType::kString:
      return {NumberKind::kDouble, 0, v.ToDouble()};
    case VarType::kCurrency:
      return {NumberKind::kCurrency, v.ToCurrency().scaled};
    case VarType::kDate:
      return {NumberKind::kDate, 0, v.DateSerial()};
    case VarType::kNull:
      RaiseStandard(error::kInvalidUseOfNull);
    default:
      RaiseStandard(error::kTypeMismatch);
  }
}

Variant FromNumber(const Number& n) {
  switch (n.kind) {
    case NumberKind::kByte:
      return Variant(static_cast<uint8_t>(n.integer));
    case NumberKind::kInteger:
      return Variant(static_cast<int16_t>(n.integer));
    case NumberKind::kLong:
      return Variant(static_cast<int32_t>(n.integer));
    case NumberKind::kSingle:
      return Variant(static_cast<float>(n.real));
    case NumberKind::kDouble:
      return Variant(n.real);
    case NumberKind::kCurrency:
      return Variant(Currency{n.integer});
    case NumberKind::kDate:
      return Variant::Date(n.real);
  }
  return Variant();
}

}  // namespace automation
