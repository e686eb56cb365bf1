// The errors the demo raises itself. Each kind is built here and nowhere else.
#pragma once

#include <string>
#include <string_view>

#include "automation/automation_error.h"

namespace talmo_demo {

inline constexpr int32_t kDemoErrorNumber = 999;

// The item table has no record to put on the sample lines: 999 "No Items".
[[noreturn]] void RaiseNoItems();

// A record of the order was refused by Insert(True) (its key is already taken): 999 naming
// the table and the key, so a half-written order is never passed off as created.
[[noreturn]] void RaiseInsertRefused(std::u16string_view record, std::u16string_view key);

// How an error no action handled is reported: "Run-time error '999':", a blank line and the
// description.
std::u16string RunTimeErrorText(const automation::AutomationError& error);

}  // namespace talmo_demo
