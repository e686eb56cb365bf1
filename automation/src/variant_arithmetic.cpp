// Arithmetic on Variant operands with the automation result types and overflow rules:
// integer results that overflow move to the next wider type (Byte, Integer, Long,
// Double), Single and Date move to Double, Currency and Double raise 6.
#include <cmath>
#include <limits>

#include "automation/automation_error.h"
#include "automation/variant.h"
#include "date_text.h"
#include "variant_access.h"
#include "variant_number.h"

namespace automation {
namespace {

enum class Operation { kAdd, kSubtract, kMultiply };

constexpr __int128 kCurrencyMin = std::numeric_limits<int64_t>::min();
constexpr __int128 kCurrencyMax = std::numeric_limits<int64_t>::max();

[[noreturn]] void Overflow() { RaiseStandard(error::kOverflow); }

// An operand ready for arithmetic: the value itself, or an object's default value.
class Operand {
 public:
  // Arrays never take part; error values only where they have a text form (`&`).
  explicit Operand(const Variant& v, bool errorAllowed = false) : ref_(&v.Deref()) {
    if (v.IsObject()) {
      held_ = DefaultValue(v);
      ref_ = &held_;
    }
    if (ref_->IsArray() || (!errorAllowed && ref_->type() == VarType::kError)) {
      RaiseStandard(error::kTypeMismatch);
    }
  }
  const Variant& operator*() const noexcept { return *ref_; }
  const Variant* operator->() const noexcept { return ref_; }

 private:
  Variant held_;
  const Variant* ref_;
};

// An integer result in the narrowest of `kind` and the wider integer types that holds it,
// else a Double.
Variant IntegerResult(__int128 value, NumberKind kind) {
  if (kind == NumberKind::kByte && value >= 0 && value <= 255) {
    return Variant(static_cast<uint8_t>(value));
  }
  if (kind != NumberKind::kLong && value >= INT16_MIN && value <= INT16_MAX) {
    return Variant(static_cast<int16_t>(value));
  }
  if (value >= INT32_MIN && value <= INT32_MAX) return Variant(static_cast<int32_t>(value));
  return Variant(static_cast<double>(value));
}

Variant DoubleResult(double value) {
  if (!std::isfinite(value)) Overflow();
  return Variant(value);
}

Variant CurrencyResult(__int128 scaled) {
  if (scaled < kCurrencyMin || scaled > kCurrencyMax) Overflow();
  return Variant(Currency{static_cast<int64_t>(scaled)});
}

int64_t ScaledCurrency(const Number& n) {
  if (n.kind == NumberKind::kCurrency) return n.integer;
  if (IsIntegral(n.kind)) return n.integer * Currency::kScale;
  return CurrencyFromDouble(n.real).scaled;
}

// The product of two scaled values, scaled back with rounding half to even.
__int128 MultiplyScaled(__int128 a, __int128 b) {
  const __int128 product = a * b;
  __int128 quotient = product / Currency::kScale;
  const __int128 rest = product % Currency::kScale;
  const __int128 magnitude = rest < 0 ? -rest : rest;
  const __int128 half = Currency::kScale / 2;
  if (magnitude > half || (magnitude == half && quotient % 2 != 0)) {
    quotient += product < 0 ? -1 : 1;
  }
  return quotient;
}

NumberKind ResultKind(Operation op, NumberKind a, NumberKind b) {
  const bool singleWithLong = (a == NumberKind::kSingle && b == NumberKind::kLong) ||
                              (a == NumberKind::kLong && b == NumberKind::kSingle);
  if (op == Operation::kMultiply) {
    // Byte < Integer < Long < Single < Currency < Double; a Date counts as a Double.
    auto rank = [](NumberKind k) {
      switch (k) {
        case NumberKind::kCurrency:
          return 4;
        case NumberKind::kDouble:
        case NumberKind::kDate:
          return 5;
        default:
          return static_cast<int>(k);
      }
    };
    const bool singleWithCurrency = (a == NumberKind::kSingle && b == NumberKind::kCurrency) ||
                                    (a == NumberKind::kCurrency && b == NumberKind::kSingle);
    if (singleWithLong || singleWithCurrency) return NumberKind::kDouble;
    const NumberKind k = rank(a) >= rank(b) ? a : b;
    return k == NumberKind::kDate ? NumberKind::kDouble : k;
  }
  if (a == NumberKind::kDate || b == NumberKind::kDate) {
    return op == Operation::kSubtract && a == b ? NumberKind::kDouble : NumberKind::kDate;
  }
  if (singleWithLong) return NumberKind::kDouble;
  return static_cast<int>(a) >= static_cast<int>(b) ? a : b;
}

double ApplyReal(Operation op, double a, double b) {
  switch (op) {
    case Operation::kAdd:
      return a + b;
    case Operation::kSubtract:
      return a - b;
    case Operation::kMultiply:
      return a * b;
  }
  return 0;
}

// A float result stays Single unless it overflows a float; then it is a Double.
Variant SingleResult(double r) {
  if (!std::isfinite(r)) Overflow();
  const float f = static_cast<float>(r);
  return std::isinf(f) ? Variant(r) : Variant(f);
}

Variant Arithmetic(Operation op, const Number& a, const Number& b) {
  const NumberKind kind = ResultKind(op, a.kind, b.kind);
  switch (kind) {
    case NumberKind::kByte:
    case NumberKind::kInteger:
    case NumberKind::kLong: {
      const __int128 x = a.integer;
      const __int128 y = b.integer;
      const __int128 r = op == Operation::kAdd ? x + y : op == Operation::kSubtract ? x - y : x * y;
      return IntegerResult(r, kind);
    }
    case NumberKind::kSingle:
      return SingleResult(ApplyReal(op, AsDouble(a), AsDouble(b)));
    case NumberKind::kDouble:
      return DoubleResult(ApplyReal(op, AsDouble(a), AsDouble(b)));
    case NumberKind::kDate: {
      const double r = ApplyReal(op, AsDouble(a), AsDouble(b));
      return Variant::IsDateSerial(r) ? Variant::Date(r) : DoubleResult(r);
    }
    case NumberKind::kCurrency: {
      const __int128 x = ScaledCurrency(a);
      if (op == Operation::kMultiply) {
        // An integer factor keeps the product exact; any other is taken as Currency.
        if (IsIntegral(a.kind)) return CurrencyResult(a.integer * static_cast<__int128>(b.integer));
        if (IsIntegral(b.kind)) return CurrencyResult(x * b.integer);
        return CurrencyResult(MultiplyScaled(x, ScaledCurrency(b)));
      }
      const __int128 y = ScaledCurrency(b);
      return CurrencyResult(op == Operation::kAdd ? x + y : x - y);
    }
  }
  return Variant();
}

// Empty is Integer 0, except beside a Byte, where it is Byte 0: Empty - Byte stays Byte.
Number OperandNumber(const Variant& v, const Variant& other) {
  if (v.IsEmpty() && other.type() == VarType::kByte) return {NumberKind::kByte, 0};
  return ToNumber(v);
}

Variant Binary(Operation op, const Variant& left, const Variant& right) {
  const Operand a(left);
  const Operand b(right);
  if (a->IsNull() || b->IsNull()) return Variant::Null();
  if (a->IsEmpty() && b->IsEmpty()) return Variant(int16_t{0});
  if (op == Operation::kAdd) {
    // Empty + x leaves x as it is (a Boolean becomes an Integer); two strings concatenate.
    if (a->IsEmpty() && b->type() != VarType::kBoolean) return *b;
    if (b->IsEmpty() && a->type() != VarType::kBoolean) return *a;
    if (a->type() == VarType::kString && b->type() == VarType::kString) {
      return Variant(*VariantAccess::String(*a) + *VariantAccess::String(*b));
    }
  }
  return Arithmetic(op, OperandNumber(*a, *b), OperandNumber(*b, *a));
}

}  // namespace

Variant Add(const Variant& a, const Variant& b) { return Binary(Operation::kAdd, a, b); }

Variant Subtract(const Variant& a, const Variant& b) { return Binary(Operation::kSubtract, a, b); }

Variant Multiply(const Variant& a, const Variant& b) { return Binary(Operation::kMultiply, a, b); }

// The quotient is a Double, or a Single when a Single is divided with a Single, an Integer,
// a Boolean, a Byte or Empty (either way round). x / 0 raises 11 and 0 / 0 raises 6, but an
// Empty divisor of anything other than Empty is a division by zero.
Variant Divide(const Variant& left, const Variant& right) {
  const Operand a(left);
  const Operand b(right);
  if (a->IsNull() || b->IsNull()) return Variant::Null();
  const Number na = ToNumber(*a);
  const Number nb = ToNumber(*b);
  const double x = AsDouble(na);
  const double y = AsDouble(nb);
  if (y == 0) {
    const bool zeroByZero = x == 0 && (a->IsEmpty() || !b->IsEmpty());
    RaiseStandard(zeroByZero ? error::kOverflow : error::kDivisionByZero);
  }
  auto singleOrNarrower = [](NumberKind k) {
    return k == NumberKind::kSingle || k == NumberKind::kInteger || k == NumberKind::kByte;
  };
  const bool single = (na.kind == NumberKind::kSingle || nb.kind == NumberKind::kSingle) &&
                      singleOrNarrower(na.kind) && singleOrNarrower(nb.kind);
  return single ? SingleResult(x / y) : DoubleResult(x / y);
}

Variant Negate(const Variant& value) {
  const Operand a(value);
  if (a->IsNull()) return Variant::Null();
  const Number n = ToNumber(*a);
  switch (n.kind) {
    case NumberKind::kByte:
      return IntegerResult(-static_cast<__int128>(n.integer), NumberKind::kInteger);
    case NumberKind::kInteger:
    case NumberKind::kLong:
      return IntegerResult(-static_cast<__int128>(n.integer), n.kind);
    case NumberKind::kSingle:
      return Variant(static_cast<float>(-n.real));
    case NumberKind::kDouble:
      return Variant(-n.real);
    case NumberKind::kCurrency:
      return CurrencyResult(-static_cast<__int128>(n.integer));
    case NumberKind::kDate:
      return Variant::IsDateSerial(-n.real) ? Variant::Date(-n.real) : Variant(-n.real);
  }
  return Variant();
}

// Both sides as text; Null counts as "" unless both are Null.
Variant Concat(const Variant& left, const Variant& right) {
  const Operand a(left, true);
  const Operand b(right, true);
  if (a->IsNull() && b->IsNull()) return Variant::Null();
  std::u16string text = a->IsNull() ? std::u16string() : a->ToString();
  if (!b->IsNull()) text += b->ToString();
  return Variant(std::move(text));
}

}  // namespace automation
