// Internals of Variant shared by the files that implement its rules.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <variant>

#include "automation/dispatch.h"
#include "automation/variant.h"

namespace automation {

// Read access to the stored value, always looking through a by-reference Variant.
class VariantAccess {
 public:
  // The value when the Variant holds a T (float, Currency, std::u16string, Ref<Dispatch>),
  // else null.
  template <class T>
  static const T* Get(const Variant& v) noexcept {
    const Variant& d = v.Deref();
    using Kind = Variant::Kind;
    if constexpr (std::is_same_v<T, float>) {
      return d.kind_ == Kind::kSingle ? &d.plain_.single : nullptr;
    } else if constexpr (std::is_same_v<T, Currency>) {
      return d.kind_ == Kind::kCurrency ? &d.plain_.currency : nullptr;
    } else if constexpr (std::is_same_v<T, std::u16string>) {
      return d.kind_ == Kind::kString ? &d.string_ : nullptr;
    } else {
      static_assert(std::is_same_v<T, Ref<Dispatch>>);
      return d.kind_ == Kind::kObject ? &d.object_ : nullptr;
    }
  }
  static const std::u16string* String(const Variant& v) noexcept { return Get<std::u16string>(v); }
  static const Ref<Dispatch>* Object(const Variant& v) noexcept { return Get<Ref<Dispatch>>(v); }
  static bool IsDate(const Variant& v) noexcept { return v.Deref().kind_ == Variant::Kind::kDate; }

  // Calls `f` with the stored value as one of: std::monostate (Empty), Variant::NullValue,
  // int16_t, int32_t, float, double, Currency, Variant::DateValue, std::u16string,
  // Ref<Dispatch>, Variant::ErrorValue, bool, uint8_t, std::unique_ptr<VariantArray>.
  template <class F>
  static decltype(auto) Visit(const Variant& v, F&& f) {
    const Variant& d = v.Deref();
    using Kind = Variant::Kind;
    switch (d.kind_) {
      case Kind::kNull:
        return f(Variant::NullValue{});
      case Kind::kInteger:
        return f(d.plain_.integer);
      case Kind::kLong:
        return f(d.plain_.long_);
      case Kind::kSingle:
        return f(d.plain_.single);
      case Kind::kDouble:
        return f(d.plain_.real);
      case Kind::kCurrency:
        return f(d.plain_.currency);
      case Kind::kDate:
        return f(Variant::DateValue{d.plain_.real});
      case Kind::kError:
        return f(Variant::ErrorValue{d.plain_.scode});
      case Kind::kBoolean:
        return f(d.plain_.boolean);
      case Kind::kByte:
        return f(d.plain_.byte);
      case Kind::kString:
        return f(d.string_);
      case Kind::kObject:
        return f(d.object_);
      case Kind::kArray:
        return f(d.array_);
      case Kind::kEmpty:
      case Kind::kByRef:  // Deref never leaves a reference
        break;
    }
    return f(std::monostate{});
  }
};

// The value of an Object's default member (dispatch id 0); Nothing raises 91. Any other
// value is returned as it is (looking through a reference).
Variant DefaultValue(const Variant& v);

// The automation number of an error value: "missing argument" is 448, an HRESULT of the
// 0x800A facility gives its low word, anything else the scode itself.
int32_t ErrorNumberOfScode(int32_t scode) noexcept;

}  // namespace automation
