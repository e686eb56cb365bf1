#include "object.h"

#include <functional>
#include <utility>
#include <vector>

#include "automation/text.h"
#include "errors.h"
#include "marker_values.h"
#include "values.h"

namespace talmo_python {
namespace {

using automation::InvokeKind;
using automation::Variant;

// `obj[a, b]` hands Python the tuple (a, b): each element is one index.
py::tuple Indexes(py::handle key) {
  if (py::isinstance<py::tuple>(key)) return py::reinterpret_borrow<py::tuple>(key);
  return py::make_tuple(key);
}

// Assigning an object (or Nothing) sets a reference, as `Set obj.Name = other` does.
InvokeKind PutKind(py::handle value) {
  const bool reference = py::isinstance<Object>(value) ||
                         (py::isinstance<Special>(value) &&
                          value.cast<const Special&>().kind == Special::Kind::kNothing);
  return reference ? InvokeKind::kPropertyPutRef : InvokeKind::kPropertyPut;
}

void Put(const Object& object, automation::DispId id, py::handle indexes, py::handle value) {
  Invoke(object, id, PutKind(value), indexes, value);
}

std::string Describe(const Member& member) { return member.object.ClassName() + "." + member.name; }

// The dispatch id of `name` (GetIDsOfNames); UnknownMemberError when the object has none.
automation::DispId MemberId(const Object& object, const std::string& name) {
  const automation::DispId id = object.dispatch()->GetIDsOfNames(automation::FromUtf8(name));
  if (id == automation::kDispIdUnknown) RaiseUnknownMember(object.ClassName(), name);
  return id;
}

}  // namespace

Object::Object(automation::Ref<automation::Dispatch> dispatch) : dispatch_(std::move(dispatch)) {}

std::string Object::ClassName() const { return automation::ToUtf8(dispatch_->ClassName()); }

py::object Invoke(const Object& object, automation::DispId id, InvokeKind kind, py::handle args,
                  py::handle value) {
  const auto arguments = py::reinterpret_borrow<py::tuple>(args);
  const size_t count = arguments.size() + (value ? 1 : 0);
  // A by-reference argument points into `referenced`, which stays put during the call.
  std::vector<Variant> argv(count);
  std::vector<Variant> referenced(count);
  std::vector<std::pair<size_t, ByRef*>> byRef;
  for (size_t i = 0; i < count; ++i) {
    const py::handle arg = i < arguments.size() ? arguments[i] : value;
    if (py::isinstance<ByRef>(arg)) {
      ByRef& ref = arg.cast<ByRef&>();
      referenced[i] = ToVariant(ref.value);
      argv[i] = Variant::ByRef(&referenced[i]);
      byRef.emplace_back(i, &ref);
    } else {
      argv[i] = ToVariant(arg);
    }
  }
  const auto writeBack = [&] {
    for (const auto& [i, ref] : byRef) ref->value = FromVariant(referenced[i]);
  };
  Variant result;
  try {
    automation::InvokeOrThrow(object.dispatch().get(), id, kind, argv, result);
  } catch (...) {
    writeBack();
    throw;
  }
  writeBack();
  return FromVariant(result);
}

void DefineObjects(py::module_& module) {
  py::class_<Object>(module, "Object",
                     "An automation object, late bound: see the module's documentation.")
      .def("__getattr__",
           [](const Object& self, const std::string& name) {
             // Python's own protocols probe for underscore names; no member is one.
             if (name.starts_with('_')) throw py::attribute_error(name);
             return Member{self, MemberId(self, name), name};
           })
      .def("__setattr__",
           [](const Object& self, const std::string& name, py::handle value) {
             if (name.starts_with('_')) {
               throw py::attribute_error("a talmo object has no attribute " + name);
             }
             Put(self, MemberId(self, name), py::tuple(), value);
           })
      .def("__call__",
           [](const Object& self, py::args args) {
             return Invoke(self, automation::kDispIdValue, InvokeKind::kMethod, args);
           })
      .def("__getitem__",
           [](const Object& self, py::handle key) {
             return Invoke(self, automation::kDispIdValue, InvokeKind::kPropertyGet, Indexes(key));
           })
      .def("__setitem__",
           [](const Object& self, py::handle key, py::handle value) {
             Put(self, automation::kDispIdValue, Indexes(key), value);
           })
      .def("__eq__",
           [](const Object& self, py::handle other) {
             return py::isinstance<Object>(other) &&
                    other.cast<const Object&>().dispatch() == self.dispatch();
           })
      .def("__hash__",
           [](const Object& self) { return std::hash<const void*>()(self.dispatch().get()); })
      .def("__repr__",
           [](const Object& self) { return "<talmo.Object " + self.ClassName() + ">"; });

  py::class_<Member>(module, "Member",
                     "A member of a talmo object: call it, index it, or assign through it.")
      .def("__call__",
           [](const Member& self, py::args args) {
             return Invoke(self.object, self.id, InvokeKind::kMethod, args);
           })
      .def("__getitem__",
           [](const Member& self, py::handle key) {
             return Invoke(self.object, self.id, InvokeKind::kPropertyGet, Indexes(key));
           })
      .def("__setitem__", [](const Member& self, py::handle key,
                             py::handle value) { Put(self.object, self.id, Indexes(key), value); })
      .def("__bool__",
           [](const Member& self) -> bool {
             const std::string member = Describe(self);
             throw py::type_error(member + " is a member, not a value: call it, " + member +
                                  "(), to read it");
           })
      .def("__repr__", [](const Member& self) { return "<talmo.Member " + Describe(self) + ">"; });
}

}  // namespace talmo_python
