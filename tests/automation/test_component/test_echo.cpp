// "Talmo.TestEcho": hands values back as they arrived, describes its arguments and writes
// through by-reference ones, so a client's tests (the Python module's) see exactly what
// crossed the boundary.
#include <map>

#include "automation/dispatch.h"
#include "test_component.h"

namespace {

using automation::Args;
using automation::DispId;
using automation::InvokeKind;
using automation::Variant;

class TestEcho : public automation::DispatchObject {
 public:
  enum : DispId { kItem = 0, kEcho, kDescribe, kConvert, kFill, kRaise };
  TestEcho() { TestComponentUsage().Add(); }
  ~TestEcho() override { TestComponentUsage().Remove(); }
  std::u16string ClassName() const override { return u"TestEcho"; }

 protected:
  void InvokeMember(DispId id, InvokeKind kind, std::span<Variant> args, Variant& result) override {
    const Args a(args);
    const bool put = kind == InvokeKind::kPropertyPut || kind == InvokeKind::kPropertyPutRef;
    switch (id) {
      case kItem:  // Item(index) [= value]: a property indexed by any value's text
        if (put) {
          // Let stores an object's default value (Item() without an index raises 449), Set
          // the object itself.
          a.ExpectCount(2, 2);
          const Variant& value = a.Required(1);
          const bool let = kind == InvokeKind::kPropertyPut && value.IsObject();
          items_[a.Required(0).ToString()] =
              let ? automation::GetProperty(value.ToObject().get(), kItem) : value;
        } else {
          a.ExpectCount(1, 1);
          result = items_[a.Required(0).ToString()];
        }
        return;
      case kEcho:  // Echo(value): the value itself
        result = a.Required(0);
        return;
      case kDescribe:  // Describe(...): "Long, missing, ByRef String"
        result = Describe(args);
        return;
      case kConvert:  // Convert(value, varType): the value changed to that type
        result = a.Required(0).ChangeType(static_cast<automation::VarType>(a.Required(1).ToLong()));
        return;
      case kFill:  // Fill(ByRef target, value [, error]): target := value, then raises `error`
        a.Raw(0).Assign(a.Required(1));
        if (const Variant* error = a.Optional(2)) {
          throw automation::AutomationError(error->ToLong(), u"Talmo.TestEcho", u"Filled");
        }
        return;
      case kRaise:  // Raise(number, description)
        throw automation::AutomationError(a.Required(0).ToLong(), u"Talmo.TestEcho",
                                          a.Required(1).ToString());
      default:
        automation::RaiseMemberNotFound();
    }
  }
  std::span<const automation::MemberName> MemberNames() const noexcept override {
    static constexpr automation::MemberName kNames[] = {
        {u"Item", kItem},       {u"Echo", kEcho}, {u"Describe", kDescribe},
        {u"Convert", kConvert}, {u"Fill", kFill}, {u"Raise", kRaise}};
    return kNames;
  }

 private:
  static std::u16string Describe(std::span<Variant> args) {
    std::u16string text;
    for (size_t i = 0; i < args.size(); ++i) {
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
};

class EchoFactory : public automation::ClassFactory {
 public:
  bool CreateInstance(automation::Ref<automation::Dispatch>& object,
                      automation::ExceptionInfo&) noexcept override {
    object = automation::MakeRef<TestEcho>();
    return true;
  }
};

}  // namespace

automation::ClassFactory* NewEchoFactory() { return new EchoFactory(); }
