#include "errors/component_error.h"

namespace talmo {

void RaiseComponentError(std::u16string_view description) {
  throw automation::AutomationError(kComponentErrorNumber, std::u16string(kComponentTitle),
                                    std::u16string(description));
}

void RaiseTestFieldError(std::u16string_view description) {
  throw automation::AutomationError(kTestFieldErrorNumber, std::u16string(kComponentTitle),
                                    std::u16string(description));
}

void RaiseClientError(int32_t number, std::u16string description) {
  throw automation::AutomationError(number, std::u16string(kComponentTitle),
                                    std::move(description));
}

}  // namespace talmo
