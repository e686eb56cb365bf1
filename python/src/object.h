// Automation objects seen from Python, late bound as the platform's scripting binds them:
// every name is looked up with GetIDsOfNames when it is used and the member is reached
// through Invoke. Nothing is known of an object beforehand, so a name alone cannot tell a
// property from a method, and reading `obj.Name` runs nothing:
//
//   obj.Name(a, b)       calls the member (a method, or a property read with or without
//                        indexes: late-bound callers use either kind for both)
//   obj.Name[i]          reads an indexed property; obj.Name[i, j] passes two indexes
//   obj.Name = v         writes a property (by reference when v is an object or Nothing)
//   obj.Name[i] = v      writes an indexed property
//   obj(i), obj[i], obj[i] = v    the same on the default member (dispatch id 0)
//
// Arguments and results convert as values.h says; talmo.Missing omits an optional argument
// before others, talmo.ByRef(v) passes one by reference. Calls hold the interpreter lock:
// the objects are made for one thread.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

#include "automation/dispatch.h"

namespace talmo_python {

namespace py = pybind11;

// A counted reference to an automation object (never Nothing: Nothing is None in Python).
class Object {
 public:
  explicit Object(automation::Ref<automation::Dispatch> dispatch);

  const automation::Ref<automation::Dispatch>& dispatch() const noexcept { return dispatch_; }
  std::string ClassName() const;

 private:
  automation::Ref<automation::Dispatch> dispatch_;
};

// One member of an object, as `obj.Name` gives it: called, indexed or assigned through.
struct Member {
  Object object;
  automation::DispId id;
  std::string name;
};

// Calls member `id` with the Python arguments `args` (and, for a put, `value` last).
// Raises AutomationError (translated to talmo.AutomationError) when the object fails.
py::object Invoke(const Object& object, automation::DispId id, automation::InvokeKind kind,
                  py::handle args, py::handle value = py::handle());

// Registers Object and Member with the module.
void DefineObjects(py::module_& module);

}  // namespace talmo_python
