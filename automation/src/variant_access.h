// Internals of Variant shared by the files that implement its rules.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "automation/dispatch.h"
#include "automation/variant.h"

namespace automation {

// The scode of an omitted optional argument (DISP_E_PARAMNOTFOUND).
inline constexpr int32_t kMissingScode = static_cast<int32_t>(0x80020004u);

// Read access to the stored value, always looking through a by-reference Variant.
class VariantAccess {
 public:
  template <class T>
  static const T* Get(const Variant& v) noexcept {
    return std::get_if<T>(&v.Deref().value_);
  }
  static const std::u16string* String(const Variant& v) noexcept { return Get<std::u16string>(v); }
  static const Ref<Dispatch>* Object(const Variant& v) noexcept { return Get<Ref<Dispatch>>(v); }
  static bool IsDate(const Variant& v) noexcept { return Get<Variant::DateValue>(v) != nullptr; }
  static const Variant::Storage& Storage(const Variant& v) noexcept { return v.Deref().value_; }
};

// The value of an Object's default member (dispatch id 0); Nothing raises 91. Any other
// value is returned as it is (looking through a reference).
Variant DefaultValue(const Variant& v);

// The automation number of an error value: "missing argument" is 448, an HRESULT of the
// 0x800A facility gives its low word, anything else the scode itself.
int32_t ErrorNumberOfScode(int32_t scode) noexcept;

}  // namespace automation
