// Automation errors as Python exceptions.
//
// talmo.AutomationError(number, source, description) carries an automation error's number,
// source and description as attributes of those names; str() gives "number: description".
// talmo.UnknownMemberError, raised when an object has no member of a name (error 438), is
// also an AttributeError, so hasattr() and getattr() with a default work on talmo objects.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

namespace talmo_python {

namespace py = pybind11;

// Makes both exception classes and turns every automation::AutomationError that leaves a
// function of the module into talmo.AutomationError.
void DefineErrors(py::module_& module);

// Raises talmo.UnknownMemberError for member `name` of an object of class `className`.
[[noreturn]] void RaiseUnknownMember(const std::string& className, const std::string& name);

}  // namespace talmo_python
