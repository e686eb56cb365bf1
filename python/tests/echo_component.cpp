// A component library for the Python module's tests: class "Talmo.PythonEcho" hands values
// back as they arrived, describes its arguments and writes through by-reference ones, so
// the tests see exactly what crossed the boundary.
#include <array>
#include <cstring>
#include <map>
#include <memory>

#include "automation/dispatch.h"
#include "automation/registry.h"

namespace {

using automation::Args;
using automation::DispId;
using automation::InvokeKind;
using automation::Variant;

constexpr const char* kEchoClsid = "{8E2B4C61-3F7A-4D15-B0E9-6A1C2D3E4F51}";
constexpr std::array<automation::ClassInfo, 1> kClasses = {{{kEchoClsid, "Talmo.PythonEcho"}}};

automation::LibraryUsage usage;

class PythonEcho : public automation::DispatchObject {
 public:
  enum : DispId { kItem = 0, kEcho, kDescribe, kConvert, kFill, kRaise, kName };
  PythonEcho() { usage.Add(); }
  ~PythonEcho() override { usage.Remove(); }
  std::u16string ClassName() const override { return u"PythonEcho"; }

 protected:
  void InvokeMember(DispId id, InvokeKind kind, std::span<Variant> args, Variant& result) override {
    const Args a(args);
    const bool put = kind == InvokeKind::kPropertyPut || kind == InvokeKind::kPropertyPutRef;
    switch (id) {
      case kItem:  // Item(index) [= value]: a property indexed by any value's text
        if (put) {
          a.ExpectCount(2, 2);
          items_[a.Required(0).ToString()] = a.Required(1);
        } else {
          a.ExpectCount(1, 1);
          result = items_[a.Required(0).ToString()];
        }
        return;
      case kEcho:  // Echo(value): the value itself
        result = a.Required(0);
        return;
      case kDescribe:  // Describe(...): "Long, missing, ByRef String"
        result = Describe(a, args);
        return;
      case kConvert:  // Convert(value, varType): the value changed to that type
        result = a.Required(0).ChangeType(static_cast<automation::VarType>(a.Required(1).ToLong()));
        return;
      case kFill:  // Fill(ByRef target, value [, error]): target := value, then raises `error`
        a.Raw(0).Assign(a.Required(1));
        if (const Variant* error = a.Optional(2)) {
          throw automation::AutomationError(error->ToLong(), u"Talmo.PythonEcho", u"Filled");
        }
        return;
      case kRaise:  // Raise(number, description)
        throw automation::AutomationError(a.Required(0).ToLong(), u"Talmo.PythonEcho",
                                          a.Required(1).ToString());
      case kName:  // Name [= text]: a plain property
        if (put) {
          name_ = a.Required(0).ToString();
        } else {
          result = name_;
        }
        return;
      default:
        automation::RaiseMemberNotFound();
    }
  }
  std::span<const automation::MemberName> MemberNames() const noexcept override {
    static constexpr automation::MemberName kNames[] = {
        {u"Item", kItem}, {u"Echo", kEcho},   {u"Describe", kDescribe}, {u"Convert", kConvert},
        {u"Fill", kFill}, {u"Raise", kRaise}, {u"Name", kName}};
    return kNames;
  }

 private:
  static std::u16string Describe(const Args& a, std::span<Variant> args) {
    std::u16string text;
    for (size_t i = 0; i < a.size(); ++i) {
      if (i > 0) text += u", ";
      if (args[i].IsMissing()) {
        text += u"missing";
        continue;
      }
      if (args[i].IsByRef()) text += u"ByRef ";
      text += automation::TypeName(args[i]);
    }
    return text;
  }

  std::map<std::u16string, Variant> items_;
  std::u16string name_;
};

class EchoFactory : public automation::ClassFactory {
 public:
  bool CreateInstance(automation::Ref<automation::Dispatch>& object,
                      automation::ExceptionInfo&) noexcept override {
    object = automation::MakeRef<PythonEcho>();
    return true;
  }
};

}  // namespace

extern "C" {

__attribute__((visibility("default"))) automation::ClassFactory* DllGetClassObject(
    const char* clsid) {
  if (std::strcmp(clsid, kEchoClsid) == 0) return std::make_unique<EchoFactory>().release();
  return nullptr;
}

__attribute__((visibility("default"))) int DllCanUnloadNow() { return usage.CanUnload() ? 1 : 0; }

__attribute__((visibility("default"))) int DllRegisterServer() {
  try {
    // An address of this library's own (an export may resolve to another loaded library's).
    automation::RegisterClasses(kClasses, &usage);
    return 0;
  } catch (const automation::AutomationError&) {
    return 1;
  }
}

__attribute__((visibility("default"))) int DllUnregisterServer() {
  try {
    automation::UnregisterClasses(kClasses);
    return 0;
  } catch (const automation::AutomationError&) {
    return 1;
  }
}

}  // extern "C"
