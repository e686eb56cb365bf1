#include "demo_errors.h"

#include <string>

#include "automation/variant.h"
#include "texts.h"

namespace talmo_demo {

void RaiseNoItems() {
  throw automation::AutomationError(kDemoErrorNumber, std::u16string(texts::kErrorSource),
                                    std::u16string(texts::kNoItems));
}

void RaiseInsertRefused(std::u16string_view record, std::u16string_view key) {
  std::u16string description(record);
  description += u" ";
  description += key;
  description += texts::kInsertRefused;
  throw automation::AutomationError(kDemoErrorNumber, std::u16string(texts::kErrorSource),
                                    std::move(description));
}

std::u16string RunTimeErrorText(const automation::AutomationError& error) {
  return std::u16string(texts::kRunTimeError) + automation::Variant(error.number()).ToString() +
         u"':\n\n" + error.description();
}

}  // namespace talmo_demo
