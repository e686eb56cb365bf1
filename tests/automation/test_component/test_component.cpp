// A small component library for the registry tests: class "Talmo.TestCounter" (a counter
// with a default member) and class "Talmo.TestFailing" (whose factory always fails); and for
// the tests of clients, "Talmo.TestEcho" (test_echo.cpp).
#include "test_component.h"

#include <array>
#include <cstring>
#include <memory>

#include "automation/dispatch.h"
#include "automation/registry.h"

namespace {

using automation::Args;
using automation::DispId;
using automation::InvokeKind;
using automation::Variant;

constexpr const char* kCounterClsid = "{5C0A1F3E-7B2D-4E61-9A8C-2F4D6B1E0A11}";
constexpr const char* kFailingClsid = "{5C0A1F3E-7B2D-4E61-9A8C-2F4D6B1E0A12}";
constexpr const char* kEchoClsid = "{5C0A1F3E-7B2D-4E61-9A8C-2F4D6B1E0A13}";

constexpr std::array<automation::ClassInfo, 3> kClasses = {{
    {kCounterClsid, "Talmo.TestCounter"},
    {kFailingClsid, "Talmo.TestFailing"},
    {kEchoClsid, "Talmo.TestEcho"},
}};

class TestCounter : public automation::DispatchObject {
 public:
  enum : DispId { kValue = 0, kIncrement = 1 };
  TestCounter() { TestComponentUsage().Add(); }
  ~TestCounter() override { TestComponentUsage().Remove(); }
  std::u16string ClassName() const override { return u"TestCounter"; }

 protected:
  void InvokeMember(DispId id, InvokeKind kind, std::span<Variant> args, Variant& result) override {
    const Args a(args);
    switch (id) {
      case kValue:
        if (kind == InvokeKind::kPropertyPut) {
          a.ExpectCount(1, 1);
          value_ = a.Required(0).ToLong();
        } else {
          a.ExpectCount(0, 0);
          result = Variant(value_);
        }
        return;
      case kIncrement:
        a.ExpectCount(0, 1);
        value_ += a.Optional(0) ? a.Optional(0)->ToLong() : 1;
        result = Variant(value_);
        return;
      default:
        automation::RaiseMemberNotFound();
    }
  }
  std::span<const automation::MemberName> MemberNames() const noexcept override {
    static constexpr automation::MemberName kNames[] = {{u"Value", kValue},
                                                        {u"Increment", kIncrement}};
    return kNames;
  }

 private:
  int32_t value_ = 0;
};

class CounterFactory : public automation::ClassFactory {
 public:
  bool CreateInstance(automation::Ref<automation::Dispatch>& object,
                      automation::ExceptionInfo&) noexcept override {
    object = automation::MakeRef<TestCounter>();
    return true;
  }
};

class FailingFactory : public automation::ClassFactory {
 public:
  bool CreateInstance(automation::Ref<automation::Dispatch>&,
                      automation::ExceptionInfo& error) noexcept override {
    error.number = 1001;
    error.source = u"Talmo.TestFailing";
    error.description = u"The test class refuses to start";
    return false;
  }
};

}  // namespace

automation::LibraryUsage& TestComponentUsage() {
  static automation::LibraryUsage objects;
  return objects;
}

extern "C" {

__attribute__((visibility("default"))) automation::ClassFactory* DllGetClassObject(
    const char* clsid) {
  if (std::strcmp(clsid, kCounterClsid) == 0) return std::make_unique<CounterFactory>().release();
  if (std::strcmp(clsid, kFailingClsid) == 0) return std::make_unique<FailingFactory>().release();
  if (std::strcmp(clsid, kEchoClsid) == 0) return NewEchoFactory();
  return nullptr;
}

__attribute__((visibility("default"))) int DllCanUnloadNow() {
  return TestComponentUsage().CanUnload() ? 1 : 0;
}

__attribute__((visibility("default"))) int DllRegisterServer() {
  try {
    automation::RegisterClasses(kClasses, reinterpret_cast<const void*>(&DllRegisterServer));
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
