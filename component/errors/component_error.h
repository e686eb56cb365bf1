// The component's own errors, each kind built here and nowhere else.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "automation/automation_error.h"

namespace talmo {

// The source every error of the component carries: the component's title.
inline constexpr std::u16string_view kComponentTitle = u"Talmo";

inline constexpr int32_t kComponentErrorNumber = 999;  // conditions the component detects
inline constexpr int32_t kTestFieldErrorNumber = 998;  // a failed TestField

// 999 with `description` ("ID tabulky musí být typu String nebo Long").
[[noreturn]] void RaiseComponentError(std::u16string_view description);
// 998 with `description`.
[[noreturn]] void RaiseTestFieldError(std::u16string_view description);
// A client error: its number within its module and the text from fin.etx.
[[noreturn]] void RaiseClientError(int32_t number, std::u16string description);

}  // namespace talmo
