// The Python module `talmo`: automation objects created by ProgID and used late bound.
#include <pybind11/pybind11.h>

#include <string>

#include "automation/registry.h"
#include "errors.h"
#include "object.h"
#include "marker_values.h"

namespace talmo_python {
namespace {

constexpr const char* kModuleDoc = R"(Talmo's automation objects from Python.

    db = talmo.CreateObject("Talmo.Database")
    db.AutoConnect("/path/Talmo.ini")
    items = db.AllocTable(27)
    items.SetFilter(1, "K0*")
    while items.Find(">"):
        print(items.Field(1), items.Field(3))

Objects are late bound: a name is looked up when it is used and reading obj.Name runs
nothing. obj.Name(args) calls the member (method or property read), obj.Name[i] reads an
indexed property, obj.Name = v and obj.Name[i] = v write. obj(i), obj[i] and obj[i] = v use
the default member.

Values: int (Long, or Double beyond 32 bits), float, str, bool, None (Null),
decimal.Decimal (Currency), datetime (Date), list or tuple (array). Empty, Null and Nothing
come back as None; pass talmo.Empty or talmo.Nothing to send those. talmo.Missing omits an
optional argument that others follow; talmo.ByRef(v) passes v by reference.

Failures raise talmo.AutomationError with .number, .source and .description.)";

Object CreateObject(const std::u16string& progIdOrClsid) {
  return Object(automation::CreateObject(progIdOrClsid));
}

}  // namespace
}  // namespace talmo_python

PYBIND11_MODULE(talmo, module) {
  using namespace talmo_python;
  module.doc() = kModuleDoc;
  DefineErrors(module);
  DefineSpecialValues(module);
  DefineObjects(module);
  module.def("CreateObject", &CreateObject, py::arg("progid"),
             "A new object of the class registered under `progid` (\"Talmo.Database\") or "
             "class id (\"{...}\"); error 429 when it is not registered.");
}
