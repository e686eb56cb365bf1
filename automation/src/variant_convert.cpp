// Coercions of a Variant to each value type.
#include <cfloat>
#include <cmath>
#include <limits>

#include "automation/automation_error.h"
#include "automation/variant.h"
#include "date_text.h"
#include "number_text.h"
#include "variant_access.h"
#include "variant_number.h"

namespace automation {
namespace {

[[noreturn]] void Fail(int32_t number) { RaiseStandard(number); }

// Float to an integer type: the accepted range is [min - 0.5, max + 0.5), so values that
// round into the range are accepted and 32767.5 (which rounds to 32768) is not.
int64_t FloatToInteger(double x, int64_t min, int64_t max) {
  if (!(x >= static_cast<double>(min) - 0.5 && x < static_cast<double>(max) + 0.5)) {
    Fail(error::kOverflow);
  }
  return static_cast<int64_t>(RoundWholeHalfEven(x));
}

int64_t CurrencyToInteger(Currency c, int64_t min, int64_t max) {
  int64_t whole = c.scaled / Currency::kScale;
  const int64_t rest = c.scaled % Currency::kScale;
  const int64_t half = Currency::kScale / 2;
  const int64_t step = c.scaled < 0 ? -1 : 1;
  if (std::abs(rest) > half || (std::abs(rest) == half && whole % 2 != 0)) whole += step;
  if (whole < min || whole > max) Fail(error::kOverflow);
  return whole;
}

int64_t CheckRange(int64_t v, int64_t min, int64_t max) {
  if (v < min || v > max) Fail(error::kOverflow);
  return v;
}

// String to an integer type of `bits` bits (8 means Byte).
int64_t StringToInteger(const std::u16string& s, int64_t min, int64_t max, int bits) {
  if (auto word = ParseBooleanWord(s)) return CheckRange(*word, min, max);
  const auto parsed = ParseNumber(s);
  if (!parsed) Fail(error::kTypeMismatch);
  if (parsed->isRadix) {
    if (bits == 8) {
      if (parsed->radixOverflow || parsed->radixValue > 255) Fail(error::kOverflow);
      return static_cast<int64_t>(parsed->radixValue);
    }
    const auto pattern = RadixPattern(*parsed, bits);
    if (!pattern) Fail(error::kOverflow);
    return *pattern;
  }
  const auto value = ScaledInteger(*parsed, 0, min, max);
  if (!value) Fail(error::kOverflow);
  return *value;
}

double StringToDouble(const std::u16string& s) {
  if (auto word = ParseBooleanWord(s)) return *word;
  const auto parsed = ParseNumber(s);
  if (!parsed) Fail(error::kTypeMismatch);
  const auto value = ParsedToDouble(*parsed);
  if (!value) Fail(error::kOverflow);
  return *value;
}

int64_t ToIntegerOfRange(const Variant& v, int64_t min, int64_t max, int bits) {
  return VariantAccess::Visit(
      v, [&](const auto& value) -> int64_t {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return 0;
        } else if constexpr (std::is_same_v<T, bool>) {
          // True is all bits set, so as a Byte it is 255.
          if (bits == 8) return value ? 255 : 0;
          return CheckRange(value ? -1 : 0, min, max);
        } else if constexpr (std::is_same_v<T, int16_t> || std::is_same_v<T, int32_t> ||
                             std::is_same_v<T, uint8_t>) {
          return CheckRange(value, min, max);
        } else if constexpr (std::is_same_v<T, float> || std::is_same_v<T, double>) {
          return FloatToInteger(value, min, max);
        } else if constexpr (std::is_same_v<T, Currency>) {
          return CurrencyToInteger(value, min, max);
        } else if constexpr (std::is_same_v<T, std::u16string>) {
          return StringToInteger(value, min, max, bits);
        } else if constexpr (std::is_same_v<T, Ref<Dispatch>>) {
          return ToIntegerOfRange(DefaultValue(v), min, max, bits);
        } else if constexpr (std::is_same_v<T, std::unique_ptr<VariantArray>>) {
          Fail(error::kTypeMismatch);
        } else {
          if (VariantAccess::IsDate(v)) return FloatToInteger(v.DateSerial(), min, max);
          Fail(v.IsNull() ? error::kInvalidUseOfNull : error::kTypeMismatch);
        }
      });
}

}  // namespace

int16_t Variant::ToIntegerCoerced() const {
  return static_cast<int16_t>(ToIntegerOfRange(*this, INT16_MIN, INT16_MAX, 16));
}

int32_t Variant::ToLongCoerced() const {
  return static_cast<int32_t>(ToIntegerOfRange(*this, INT32_MIN, INT32_MAX, 32));
}

uint8_t Variant::ToByte() const { return static_cast<uint8_t>(ToIntegerOfRange(*this, 0, 255, 8)); }

double Variant::ToDoubleCoerced() const {
  return VariantAccess::Visit(
      *this, [&](const auto& value) -> double {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return 0;
        } else if constexpr (std::is_same_v<T, bool>) {
          return value ? -1 : 0;
        } else if constexpr (std::is_same_v<T, int16_t> || std::is_same_v<T, int32_t> ||
                             std::is_same_v<T, uint8_t> || std::is_same_v<T, float> ||
                             std::is_same_v<T, double>) {
          return value;
        } else if constexpr (std::is_same_v<T, Currency>) {
          return CurrencyToDouble(value);
        } else if constexpr (std::is_same_v<T, std::u16string>) {
          return StringToDouble(value);
        } else if constexpr (std::is_same_v<T, Ref<Dispatch>>) {
          return DefaultValue(*this).ToDouble();
        } else if constexpr (std::is_same_v<T, std::unique_ptr<VariantArray>>) {
          Fail(error::kTypeMismatch);
        } else {
          if (VariantAccess::IsDate(*this)) return DateSerial();
          Fail(IsNull() ? error::kInvalidUseOfNull : error::kTypeMismatch);
        }
      });
}

// Single keeps its own value; anything else goes through Double and must fit a float.
float Variant::ToSingle() const {
  if (const float* f = VariantAccess::Get<float>(*this)) return *f;
  const double d = ToDouble();
  if (std::isfinite(d) && std::fabs(d) > FLT_MAX) {
    // Values that round to FLT_MAX are still representable.
    if (std::isinf(static_cast<float>(d))) Fail(error::kOverflow);
  }
  return static_cast<float>(d);
}

Currency Variant::ToCurrency() const {
  if (const Currency* c = VariantAccess::Get<Currency>(*this)) return *c;
  if (const auto* s = VariantAccess::String(*this)) {
    if (auto word = ParseBooleanWord(*s)) return Currency{*word * Currency::kScale};
    const auto parsed = ParseNumber(*s);
    if (!parsed) Fail(error::kTypeMismatch);
    if (parsed->isRadix) {
      const auto pattern = RadixPattern(*parsed, 32);
      if (!pattern) Fail(error::kOverflow);
      return Currency{*pattern * Currency::kScale};
    }
    const auto scaled = ScaledInteger(*parsed, 4, INT64_MIN, INT64_MAX);
    if (!scaled) Fail(error::kOverflow);
    return Currency{*scaled};
  }
  switch (type()) {
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kByte:
    case VarType::kBoolean:
    case VarType::kEmpty:
      return Currency{static_cast<int64_t>(ToLong()) * Currency::kScale};
    case VarType::kObject:
      return DefaultValue(*this).ToCurrency();
    default:
      return CurrencyFromDouble(ToDouble());
  }
}

double Variant::ToDateCoerced() const {
  if (const auto* s = VariantAccess::String(*this)) {
    const auto serial = ParseDate(*s);
    if (!serial) Fail(error::kTypeMismatch);
    return *serial;
  }
  if (IsObject()) return DefaultValue(*this).ToDate();
  const double serial = ToDouble();
  if (!Variant::IsDateSerial(serial)) Fail(error::kOverflow);
  return serial;
}

bool Variant::ToBooleanCoerced() const {
  if (const auto* s = VariantAccess::String(*this)) {
    if (auto word = ParseBooleanWord(*s)) return *word != 0;
    if (*s == u"#TRUE#") return true;
    if (*s == u"#FALSE#") return false;
    return StringToDouble(*s) != 0;
  }
  if (const Currency* c = VariantAccess::Get<Currency>(*this)) return c->scaled != 0;
  if (IsObject()) return DefaultValue(*this).ToBoolean();
  return ToDouble() != 0;
}

std::u16string Variant::ToString() const& {
  return VariantAccess::Visit(
      *this, [&](const auto& value) -> std::u16string {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return std::u16string();
        } else if constexpr (std::is_same_v<T, bool>) {
          return value ? u"True" : u"False";
        } else if constexpr (std::is_same_v<T, int16_t> || std::is_same_v<T, int32_t> ||
                             std::is_same_v<T, uint8_t>) {
          return FormatInteger(value);
        } else if constexpr (std::is_same_v<T, float>) {
          return FormatSingle(value);
        } else if constexpr (std::is_same_v<T, double>) {
          return FormatFloat(value, 15);
        } else if constexpr (std::is_same_v<T, Currency>) {
          return FormatCurrency(value);
        } else if constexpr (std::is_same_v<T, std::u16string>) {
          return value;
        } else if constexpr (std::is_same_v<T, Ref<Dispatch>>) {
          return DefaultValue(*this).ToString();
        } else if constexpr (std::is_same_v<T, std::unique_ptr<VariantArray>>) {
          Fail(error::kTypeMismatch);
        } else {
          if (VariantAccess::IsDate(*this)) return FormatDate(DateSerial());
          if (IsNull()) Fail(error::kInvalidUseOfNull);
          return u"Error " + FormatInteger(ErrorNumberOfScode(ErrorScode()));
        }
      });
}

Variant Variant::ChangeType(VarType target) const {
  const VarType from = type();
  if (target == from || target == VarType::kVariant) return Deref();
  if (from == VarType::kNull) Fail(error::kInvalidUseOfNull);
  switch (target) {
    case VarType::kInteger:
      return Variant(ToInteger());
    case VarType::kLong:
      return Variant(ToLong());
    case VarType::kSingle:
      return Variant(ToSingle());
    case VarType::kDouble:
      return Variant(ToDouble());
    case VarType::kCurrency:
      return Variant(ToCurrency());
    case VarType::kDate:
      return Variant::Date(ToDate());
    case VarType::kString:
      return Variant(ToString());
    case VarType::kBoolean:
      return Variant(ToBoolean());
    case VarType::kByte:
      return Variant(ToByte());
    case VarType::kObject:
      Fail(error::kObjectRequired);
    default:
      Fail(error::kTypeMismatch);
  }
}

Currency CurrencyFromDouble(double v) {
  const double scaled = RoundWholeHalfEven(v * static_cast<double>(Currency::kScale));
  // 2^63 is exact in double; the accepted range is [-2^63, 2^63).
  if (!(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0)) {
    Fail(error::kOverflow);
  }
  return Currency{static_cast<int64_t>(scaled)};
}

double CurrencyToDouble(Currency c) noexcept {
  return static_cast<double>(c.scaled) / static_cast<double>(Currency::kScale);
}

}  // namespace automation
