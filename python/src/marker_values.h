// The automation values Python has no value of its own for, and arguments by reference.
#pragma once

#include <pybind11/pybind11.h>

namespace talmo_python {

namespace py = pybind11;

// talmo.Empty, talmo.Nothing and talmo.Missing: one instance of each, made by the module.
struct Special {
  enum class Kind { kEmpty, kNothing, kMissing };
  Kind kind;
};

// talmo.ByRef(value): an argument the callee may write to; after the call `value` holds
// what the callee left in it (also when the call raised).
struct ByRef {
  py::object value;
};

// Registers Special and ByRef and the three Special instances with the module.
void DefineSpecialValues(py::module_& module);

// The module's instance of Missing, for values that come back as a missing argument.
py::object MissingValue();

}  // namespace talmo_python
