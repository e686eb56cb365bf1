// The automation error an action raises, for tests that check numbers and descriptions.
#pragma once

#include <gtest/gtest.h>

#include <utility>

#include "automation/automation_error.h"

namespace talmo::testing {

// Runs `action` and returns the automation error it raised; fails the test when it raised
// none.
template <class F>
automation::AutomationError ErrorOf(F&& action) {
  try {
    std::forward<F>(action)();
  } catch (const automation::AutomationError& e) {
    return e;
  }
  ADD_FAILURE() << "no automation error was raised";
  return automation::AutomationError(0, u"", u"");
}

}  // namespace talmo::testing
