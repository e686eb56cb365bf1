// Comparison of two Variant operands (VarCmp).
#include <cmath>

#include "automation/automation_error.h"
#include "automation/variant.h"
#include "variant_access.h"
#include "variant_number.h"

namespace automation {
namespace {

template <class T>
Comparison Order(const T& a, const T& b) {
  if (a < b) return Comparison::kLess;
  if (b < a) return Comparison::kGreater;
  return Comparison::kEqual;
}

// A float against Currency: the float is converted to Currency first. A float beyond the
// Currency range is simply beyond every Currency value.
Comparison CompareCurrencyWithFloat(int64_t scaled, double x) {
  const double y = RoundWholeHalfEven(x * static_cast<double>(Currency::kScale));
  if (y >= 9223372036854775808.0) return Comparison::kLess;
  if (y < -9223372036854775808.0) return Comparison::kGreater;
  if (std::isnan(y)) return Order(static_cast<double>(scaled), y);
  return Order(scaled, static_cast<int64_t>(y));
}

Comparison Reverse(Comparison c) {
  if (c == Comparison::kLess) return Comparison::kGreater;
  if (c == Comparison::kGreater) return Comparison::kLess;
  return c;
}

Comparison CompareNumbers(const Number& a, const Number& b) {
  const bool aCurrency = a.kind == NumberKind::kCurrency;
  const bool bCurrency = b.kind == NumberKind::kCurrency;
  if (IsIntegral(a.kind) && IsIntegral(b.kind)) return Order(a.integer, b.integer);
  if (aCurrency || bCurrency) {
    if (aCurrency && bCurrency) return Order(a.integer, b.integer);
    const Number& currency = aCurrency ? a : b;
    const Number& other = aCurrency ? b : a;
    Comparison c = IsIntegral(other.kind)
                       ? Order(currency.integer, other.integer * Currency::kScale)
                       : CompareCurrencyWithFloat(currency.integer, other.real);
    return aCurrency ? c : Reverse(c);
  }
  // Single against Double (or Date) compares at Single precision.
  const bool aSingle = a.kind == NumberKind::kSingle;
  const bool bSingle = b.kind == NumberKind::kSingle;
  if ((aSingle && !IsIntegral(b.kind)) || (bSingle && !IsIntegral(a.kind))) {
    return Order(static_cast<float>(AsDouble(a)), static_cast<float>(AsDouble(b)));
  }
  return Order(AsDouble(a), AsDouble(b));
}

enum class Category { kEmpty, kNull, kNumber, kString, kError, kOther };

Category CategoryOf(const Variant& v) {
  switch (v.type()) {
    case VarType::kEmpty:
      return Category::kEmpty;
    case VarType::kNull:
      return Category::kNull;
    case VarType::kString:
      return Category::kString;
    case VarType::kError:
      return Category::kError;
    case VarType::kArray:
    case VarType::kObject:
    case VarType::kVariant:
      return Category::kOther;
    default:
      return Category::kNumber;
  }
}

Comparison CompareValues(const Variant& a, const Variant& b) {
  const Category ca = CategoryOf(a);
  const Category cb = CategoryOf(b);
  if (ca == Category::kNull || cb == Category::kNull) return Comparison::kNull;
  if (ca == Category::kOther || cb == Category::kOther) RaiseStandard(error::kTypeMismatch);
  if (ca == Category::kError || cb == Category::kError) {
    if (ca != cb) RaiseStandard(error::kTypeMismatch);
    return Comparison::kEqual;
  }
  static const std::u16string kEmptyText;
  const std::u16string* sa = ca == Category::kString ? VariantAccess::String(a) : nullptr;
  const std::u16string* sb = cb == Category::kString ? VariantAccess::String(b) : nullptr;
  if (sa || sb) {
    // A number sorts before every string; Empty acts as "".
    if (ca == Category::kNumber) return Comparison::kLess;
    if (cb == Category::kNumber) return Comparison::kGreater;
    const int c = (sa ? *sa : kEmptyText).compare(sb ? *sb : kEmptyText);
    return c < 0 ? Comparison::kLess : c > 0 ? Comparison::kGreater : Comparison::kEqual;
  }
  if (ca == Category::kEmpty && cb == Category::kEmpty) return Comparison::kEqual;
  return CompareNumbers(ToNumber(a), ToNumber(b));
}

}  // namespace

// An object takes part through its default value.
Comparison Compare(const Variant& a, const Variant& b) {
  if (a.IsObject() || b.IsObject()) {
    const Variant va = a.IsObject() ? DefaultValue(a) : a.Deref();
    const Variant vb = b.IsObject() ? DefaultValue(b) : b.Deref();
    return CompareValues(va, vb);
  }
  return CompareValues(a, b);
}

bool Equals(const Variant& a, const Variant& b) { return Compare(a, b) == Comparison::kEqual; }

}  // namespace automation
