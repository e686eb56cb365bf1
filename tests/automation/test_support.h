// Helpers shared by the automation tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <ostream>
#include <string>

#include "automation/automation_error.h"
#include "automation/dispatch.h"
#include "automation/text.h"
#include "automation/variant.h"

namespace automation {

// Lets GoogleTest print Variants and UTF-16 strings in failure messages.
inline void PrintTo(const Variant& v, std::ostream* os) {
  *os << ToUtf8(TypeName(v));
  try {
    if (!v.IsNull() && !v.IsArray()) *os << " " << ToUtf8(v.ToString());
  } catch (const AutomationError&) {
  }
}

}  // namespace automation

namespace automation_test {

using automation::AutomationError;
using automation::Variant;
using automation::VarType;

// The number of the AutomationError that `f` raises, or 0 when it raises none.
inline int32_t ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const AutomationError& e) {
    return e.number();
  }
  return 0;
}

// Same type and same value; floating values may differ in the last bits of a double.
inline ::testing::AssertionResult SameValue(const Variant& actual, const Variant& expected) {
  if (actual.type() != expected.type()) {
    return ::testing::AssertionFailure()
           << "type " << automation::ToUtf8(automation::TypeName(actual)) << ", expected "
           << automation::ToUtf8(automation::TypeName(expected));
  }
  bool same = false;
  switch (actual.type()) {
    case VarType::kDouble:
    case VarType::kDate: {
      const double a = actual.type() == VarType::kDate ? actual.DateSerial() : actual.ToDouble();
      const double e =
          expected.type() == VarType::kDate ? expected.DateSerial() : expected.ToDouble();
      same = a == e || std::fabs(a - e) <= 1e-12 * std::fmax(1.0, std::fabs(e));
      break;
    }
    case VarType::kNull:
    case VarType::kEmpty:
      same = true;
      break;
    case VarType::kError:
      same = actual.ErrorScode() == expected.ErrorScode();
      break;
    case VarType::kString:
      same = actual.ToString() == expected.ToString();
      break;
    default:
      same = automation::Equals(actual, expected);
  }
  if (same) return ::testing::AssertionSuccess();
  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  failure << "value " << ::testing::PrintToString(actual) << ", expected "
          << ::testing::PrintToString(expected);
  return failure;
}

inline std::string Utf8(const std::u16string& s) { return automation::ToUtf8(s); }

// Table rows print as their name in failure messages.
template <class Row>
requires requires(const Row& row) { row.name; }
void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

}  // namespace automation_test
