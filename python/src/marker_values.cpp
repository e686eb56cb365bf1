#include "marker_values.h"

namespace talmo_python {
namespace {

const char* NameOf(Special::Kind kind) {
  switch (kind) {
    case Special::Kind::kEmpty:
      return "Empty";
    case Special::Kind::kNothing:
      return "Nothing";
    case Special::Kind::kMissing:
      return "Missing";
  }
  return "?";
}

}  // namespace

void DefineSpecialValues(py::module_& module) {
  py::class_<Special>(module, "Special",
                      "Type of talmo.Empty, talmo.Nothing and talmo.Missing; not made by callers.")
      .def("__repr__", [](const Special& s) { return std::string("talmo.") + NameOf(s.kind); })
      .def("__bool__", [](const Special&) { return false; });
  for (const Special::Kind kind :
       {Special::Kind::kEmpty, Special::Kind::kNothing, Special::Kind::kMissing}) {
    module.attr(NameOf(kind)) = py::cast(Special{kind});
  }

  py::class_<ByRef>(module, "ByRef",
                    "An argument passed by reference: the callee may replace .value.")
      .def(py::init<py::object>(), py::arg("value") = py::none())
      .def_readwrite("value", &ByRef::value)
      .def("__repr__", [](const ByRef& r) {
        return "talmo.ByRef(" + py::repr(r.value).cast<std::string>() + ")";
      });
}

py::object MissingValue() { return py::module_::import("talmo").attr("Missing"); }

}  // namespace talmo_python
