#include "errors.h"

#include <exception>

#include "automation/automation_error.h"

namespace talmo_python {
namespace {

// Owned by the module, which keeps them for the life of the interpreter.
PyObject* automationErrorClass = nullptr;
PyObject* unknownMemberErrorClass = nullptr;

PyObject* MakeClass(py::module_& module, const std::string& name, const char* doc,
                    py::handle bases) {
  PyObject* cls = PyErr_NewExceptionWithDoc(("talmo." + name).c_str(), doc, bases.ptr(), nullptr);
  if (!cls) throw py::error_already_set();
  module.attr(name.c_str()) = py::reinterpret_steal<py::object>(cls);
  return cls;
}

void InitError(py::handle self, int32_t number, py::str source, py::str description) {
  py::handle(PyExc_Exception).attr("__init__")(self, number, source, description);
  self.attr("number") = number;
  self.attr("source") = source;
  self.attr("description") = description;
}

py::str ErrorText(py::handle self) {
  return py::str("{}: {}").format(self.attr("number"), self.attr("description"));
}

}  // namespace

void DefineErrors(py::module_& module) {
  automationErrorClass = MakeClass(
      module, "AutomationError",
      "An automation error: .number, .source and .description, as the object raised them.",
      PyExc_Exception);
  const py::handle cls(automationErrorClass);
  cls.attr("__init__") = py::cpp_function(InitError, py::is_method(cls), py::arg("number"),
                                          py::arg("source") = "", py::arg("description") = "");
  cls.attr("__str__") = py::cpp_function(ErrorText, py::is_method(cls));

  unknownMemberErrorClass =
      MakeClass(module, "UnknownMemberError",
                "Error 438: the object has no member of that name. Also an AttributeError.",
                py::make_tuple(cls, py::handle(PyExc_AttributeError)));

  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const automation::AutomationError& e) {
      const py::object error =
          py::handle(automationErrorClass)(e.number(), e.source(), e.description());
      PyErr_SetObject(automationErrorClass, error.ptr());
    }
  });
}

void RaiseUnknownMember(const std::string& className, const std::string& name) {
  const auto standard = automation::AutomationError::Standard(automation::error::kMemberNotFound);
  const py::str description = py::str("{}: {}.{}").format(standard.description(), className, name);
  const py::object error =
      py::handle(unknownMemberErrorClass)(standard.number(), standard.source(), description);
  PyErr_SetObject(unknownMemberErrorClass, error.ptr());
  throw py::error_already_set();
}

}  // namespace talmo_python
