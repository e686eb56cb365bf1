// The standard error catalogue and the one exception type of the automation layer.
#include "automation/automation_error.h"

#include <string>

#include "automation/text.h"

namespace automation {
namespace {

struct StandardError {
  int32_t number;
  std::u16string_view text;
};

constexpr StandardError kStandardErrors[] = {
    {error::kInvalidProcedureCall, u"Invalid procedure call or argument"},
    {error::kOverflow, u"Overflow"},
    {error::kOutOfMemory, u"Out of memory"},
    {error::kSubscriptOutOfRange, u"Subscript out of range"},
    {error::kDivisionByZero, u"Division by zero"},
    {error::kTypeMismatch, u"Type mismatch"},
    {error::kFileNotFound, u"File not found"},
    {error::kPathFileAccess, u"Path/File access error"},
    {error::kObjectNotSet, u"Object variable or With block variable not set"},
    {error::kInvalidUseOfNull, u"Invalid use of Null"},
    {error::kObjectRequired, u"Object required"},
    {error::kCannotCreateObject, u"ActiveX component can't create object"},
    {error::kMemberNotFound, u"Object doesn't support this property or method"},
    {error::kArgumentMissing, u"Named argument not found"},
    {error::kArgumentNotOptional, u"Argument not optional"},
    {error::kWrongArgumentCount, u"Wrong number of arguments or invalid property assignment"},
};

}  // namespace

AutomationError::AutomationError(int32_t number, std::u16string source, std::u16string description)
    : number_(number),
      source_(std::move(source)),
      description_(std::move(description)),
      what_(std::to_string(number) + ": " + ToUtf8(description_)) {}

AutomationError AutomationError::Standard(int32_t number) {
  return AutomationError(number, std::u16string(), StandardErrorText(number));
}

std::u16string StandardErrorText(int32_t number) {
  for (const StandardError& e : kStandardErrors) {
    if (e.number == number) return std::u16string(e.text);
  }
  return u"Application-defined or object-defined error";
}

void RaiseStandard(int32_t number) { throw AutomationError::Standard(number); }

}  // namespace automation
