// Dispatch objects: members by id and by name, arguments by value and by reference,
// optional arguments, ParamArray, the default member, and errors crossing Invoke.
#include "automation/dispatch.h"

#include <stdexcept>
#include <string>

#include "test_support.h"

namespace automation_test {
namespace {

using automation::Args;
using automation::DispId;
using automation::ExceptionInfo;
using automation::InvokeKind;
using automation::MakeRef;
using automation::Ref;

// A small object with one member of each shape.
class Sample : public automation::DispatchObject {
 public:
  enum : DispId {
    kValue = 0,
    kAdd = 1,
    kSwap = 2,
    kGreet = 3,
    kSum = 4,
    kFail = 5,
    kThrowStd = 6,
    kChild = 7,
    kTouch = 8,
  };

  explicit Sample(int* releases = nullptr) : releases_(releases) {}
  ~Sample() override {
    if (releases_) ++*releases_;
  }
  std::u16string ClassName() const override { return u"Sample"; }

  Variant value{int32_t{42}};
  Ref<automation::Dispatch> child;

 protected:
  void InvokeMember(DispId id, InvokeKind kind, std::span<Variant> args, Variant& result) override {
    const Args a(args);
    switch (id) {
      case kValue:
        if (kind == InvokeKind::kPropertyPut) {
          a.ExpectCount(1, 1);
          value = a.Required(0);
        } else {
          a.ExpectCount(0, 0);
          result = value;
        }
        return;
      case kAdd:
        a.ExpectCount(2, 2);
        result = automation::Add(a.Required(0), a.Required(1));
        return;
      case kSwap: {
        a.ExpectCount(2, 2);
        Variant first = a.Required(0);
        a.Raw(0).Assign(a.Required(1));
        a.Raw(1).Assign(std::move(first));
        return;
      }
      case kGreet: {
        a.ExpectCount(0, 2);
        const Variant* name = a.Optional(0);
        const Variant* greeting = a.Optional(1);
        result = Variant((greeting ? greeting->ToString() : u"Hello") + u", " +
                         (name ? name->ToString() : u"World"));
        return;
      }
      case kSum: {
        // Sum(label, ParamArray values)
        const automation::VariantArray rest = a.Rest(1);
        Variant total(int16_t{0});
        for (int32_t i = rest.LBound(); i <= rest.UBound(); ++i) {
          total = automation::Add(total, rest.at(i));
        }
        result = Variant(VariantArray({a.Required(0), total, Variant(rest.UBound())}));
        return;
      }
      case kFail:
        throw AutomationError(1234, u"Sample.Source", u"Něco selhalo");
      case kThrowStd:
        throw std::runtime_error("plain failure");
      case kChild:
        if (kind == InvokeKind::kPropertyPutRef) {
          child = a.Required(0).ToObject();
        } else {
          result = Variant(child);
        }
        return;
      case kTouch:
        a.ExpectCount(1, 1);
        a.Raw(0).Assign(Variant(u"touched"));
        return;
      default:
        automation::RaiseMemberNotFound();
    }
  }

  std::span<const automation::MemberName> MemberNames() const noexcept override {
    static constexpr automation::MemberName kNames[] = {
        {u"Value", kValue}, {u"Add", kAdd},    {u"Swap", kSwap},         {u"Greet", kGreet},
        {u"Sum", kSum},     {u"Fail", kFail},  {u"ThrowStd", kThrowStd}, {u"Child", kChild},
        {u"Touch", kTouch}, {u"Přidej", kAdd},
    };
    return kNames;
  }

 private:
  using VariantArray = automation::VariantArray;
  int* releases_;
};

TEST(Dispatch, NamesResolveWithoutRegardToCase) {
  auto object = MakeRef<Sample>();
  EXPECT_EQ(object->GetIDsOfNames(u"add"), Sample::kAdd);
  EXPECT_EQ(object->GetIDsOfNames(u"GREET"), Sample::kGreet);
  EXPECT_EQ(object->GetIDsOfNames(u"PŘIDEJ"), Sample::kAdd);
  EXPECT_EQ(object->GetIDsOfNames(u"Nope"), automation::kDispIdUnknown);
  EXPECT_EQ(automation::GetDispId(object.get(), u"swap"), Sample::kSwap);
  EXPECT_EQ(ErrorOf([&] { automation::GetDispId(object.get(), u"Nope"); }), 438);
  EXPECT_EQ(ErrorOf([] { automation::GetDispId(nullptr, u"Add"); }), 91);
}

TEST(Dispatch, MethodsTakeArgumentsByValue) {
  auto object = MakeRef<Sample>();
  Variant sum =
      automation::CallMethod(object.get(), Sample::kAdd, Variant(int16_t{2}), Variant(u"3"));
  EXPECT_TRUE(SameValue(sum, Variant(5.0)));
  Variant a(int32_t{1});
  automation::CallMethod(object.get(), Sample::kAdd, a, Variant(2));
  EXPECT_EQ(a.ToLong(), 1);
}

TEST(Dispatch, ByReferenceArgumentsAreWrittenBack) {
  auto object = MakeRef<Sample>();
  Variant left(u"left");
  Variant right(int32_t{7});
  automation::CallMethod(object.get(), Sample::kSwap, Variant::ByRef(&left),
                         Variant::ByRef(&right));
  EXPECT_EQ(left.ToLong(), 7);
  EXPECT_EQ(right.ToString(), u"left");
  // A by-value argument leaves the caller's value alone.
  Variant kept(int32_t{1});
  automation::CallMethod(object.get(), Sample::kTouch, kept);
  EXPECT_EQ(kept.ToLong(), 1);
  automation::CallMethod(object.get(), Sample::kTouch, Variant::ByRef(&kept));
  EXPECT_EQ(kept.ToString(), u"touched");
}

TEST(Dispatch, OptionalArgumentsMayBeMissingOrAbsent) {
  auto object = MakeRef<Sample>();
  EXPECT_EQ(automation::CallMethod(object.get(), Sample::kGreet).ToString(), u"Hello, World");
  EXPECT_EQ(automation::CallMethod(object.get(), Sample::kGreet, Variant(u"Eva")).ToString(),
            u"Hello, Eva");
  EXPECT_EQ(
      automation::CallMethod(object.get(), Sample::kGreet, Variant::Missing(), Variant(u"Ahoj"))
          .ToString(),
      u"Ahoj, World");
  Variant name(u"Jan");
  EXPECT_EQ(automation::CallMethod(object.get(), Sample::kGreet, Variant::ByRef(&name)).ToString(),
            u"Hello, Jan");
}

TEST(Dispatch, ArgumentCountAndRequiredArgumentsAreChecked) {
  auto object = MakeRef<Sample>();
  EXPECT_EQ(ErrorOf([&] { automation::CallMethod(object.get(), Sample::kAdd, Variant(1)); }), 450);
  EXPECT_EQ(ErrorOf([&] {
              automation::CallMethod(object.get(), Sample::kAdd, Variant(1), Variant(2),
                                     Variant(3));
            }),
            450);
  EXPECT_EQ(ErrorOf([&] {
              automation::CallMethod(object.get(), Sample::kAdd, Variant::Missing(), Variant(2));
            }),
            449);
  EXPECT_EQ(ErrorOf([&] {
              automation::CallMethod(object.get(), Sample::kGreet, Variant(1), Variant(2),
                                     Variant(3));
            }),
            450);
}

TEST(Dispatch, ParamArrayArrivesAsZeroBasedArray) {
  auto object = MakeRef<Sample>();
  Variant packed = automation::CallMethod(object.get(), Sample::kSum, Variant(u"total"), Variant(1),
                                          Variant(2.5), Variant(u"3"));
  const auto& items = packed.ToArray();
  EXPECT_EQ(items.at(0).ToString(), u"total");
  EXPECT_TRUE(SameValue(items.at(1), Variant(6.5)));
  EXPECT_EQ(items.at(2).ToLong(), 2);  // UBound of the three values

  Variant none = automation::CallMethod(object.get(), Sample::kSum, Variant(u"none"));
  EXPECT_EQ(none.ToArray().at(2).ToLong(), -1);
  EXPECT_TRUE(SameValue(none.ToArray().at(1), Variant(int16_t{0})));
}

TEST(Dispatch, RestCopiesValuesBehindReferences) {
  Variant target(int32_t{9});
  Variant args[] = {Variant(u"x"), Variant::ByRef(&target), Variant::Missing()};
  const automation::VariantArray rest = Args(args).Rest(1);
  EXPECT_EQ(rest.LBound(), 0);
  EXPECT_EQ(rest.UBound(), 1);
  EXPECT_FALSE(rest.at(0).IsByRef());
  EXPECT_EQ(rest.at(0).ToLong(), 9);
  EXPECT_TRUE(rest.at(1).IsMissing());
  EXPECT_EQ(Args(args).Rest(5).size(), 0u);
  EXPECT_EQ(ErrorOf([&] { Args(args).Raw(3); }), 449);
}

TEST(Dispatch, PropertiesGetAndPut) {
  auto object = MakeRef<Sample>();
  EXPECT_EQ(automation::GetProperty(object.get(), Sample::kValue).ToLong(), 42);
  automation::PutProperty(object.get(), Sample::kValue, Variant(u"new"));
  EXPECT_EQ(object->value.ToString(), u"new");
  EXPECT_EQ(ErrorOf([&] { automation::GetProperty(object.get(), Sample::kValue, Variant(1)); }),
            450);
}

TEST(Dispatch, ObjectReferencesArePutByReference) {
  int releases = 0;
  auto parent = MakeRef<Sample>();
  {
    auto child = MakeRef<Sample>(&releases);
    automation::PutPropertyRef(parent.get(), Sample::kChild, child);
  }
  EXPECT_EQ(releases, 0);  // the parent holds the child
  Variant got = automation::GetProperty(parent.get(), Sample::kChild);
  EXPECT_EQ(automation::TypeName(got), u"Sample");
  EXPECT_EQ(ErrorOf([&] { automation::PutPropertyRef(parent.get(), Sample::kChild, nullptr); }), 0);
  EXPECT_EQ(releases, 0);  // `got` still refers to it
  got = Variant();
  EXPECT_EQ(releases, 1);
}

TEST(Dispatch, DefaultMemberGivesTheObjectsValue) {
  auto object = MakeRef<Sample>();
  const Variant v{Ref<automation::Dispatch>(object)};
  EXPECT_EQ(v.ToLong(), 42);
  EXPECT_EQ(v.ToString(), u"42");
  EXPECT_EQ(automation::VarTypeOf(v), static_cast<uint16_t>(VarType::kLong));
  EXPECT_EQ(automation::TypeName(v), u"Sample");
  EXPECT_EQ(automation::Compare(v, Variant(42.0)), automation::Comparison::kEqual);
  EXPECT_TRUE(SameValue(automation::Add(v, Variant(1)), Variant(int32_t{43})));
  object->value = Variant(u"2.5");
  EXPECT_EQ(v.ToDouble(), 2.5);
  EXPECT_TRUE(SameValue(automation::Round(v), Variant(2.0)));
  EXPECT_EQ(ErrorOf([] { Variant::Nothing().ToLong(); }), 91);
  EXPECT_EQ(ErrorOf([] { Variant::Nothing().ToString(); }), 91);
  // An object whose default value is another object is followed to that object's value.
  auto outer = MakeRef<Sample>();
  outer->value = v;
  EXPECT_EQ(Variant(Ref<automation::Dispatch>(outer)).ToDouble(), 2.5);
}

TEST(Dispatch, ErrorsCrossInvokeAsValues) {
  auto object = MakeRef<Sample>();
  Variant result(u"stale");
  ExceptionInfo error;
  EXPECT_FALSE(object->Invoke(Sample::kFail, InvokeKind::kMethod, {}, result, error));
  EXPECT_EQ(error.number, 1234);
  EXPECT_EQ(error.source, u"Sample.Source");
  EXPECT_EQ(error.description, u"Něco selhalo");
  EXPECT_TRUE(result.IsEmpty());

  ExceptionInfo unknown;
  EXPECT_FALSE(object->Invoke(99, InvokeKind::kMethod, {}, result, unknown));
  EXPECT_EQ(unknown.number, 438);
  EXPECT_EQ(unknown.description, u"Object doesn't support this property or method");

  ExceptionInfo plain;
  EXPECT_FALSE(object->Invoke(Sample::kThrowStd, InvokeKind::kMethod, {}, result, plain));
  EXPECT_EQ(plain.number, 5);
  EXPECT_EQ(plain.description, u"plain failure");

  ExceptionInfo none;
  EXPECT_TRUE(object->Invoke(Sample::kValue, InvokeKind::kPropertyGet, {}, result, none));
  EXPECT_EQ(result.ToLong(), 42);
}

TEST(Dispatch, ClientCallsRethrowTheReportedError) {
  auto object = MakeRef<Sample>();
  try {
    automation::CallMethod(object.get(), Sample::kFail);
    FAIL() << "no error raised";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), 1234);
    EXPECT_EQ(e.source(), u"Sample.Source");
    EXPECT_EQ(e.description(), u"Něco selhalo");
  }
  EXPECT_EQ(ErrorOf([] { automation::CallMethod(nullptr, Sample::kAdd); }), 91);
}

TEST(Dispatch, LastReleaseRunsTheReleaseSteps) {
  int releases = 0;
  {
    auto object = MakeRef<Sample>(&releases);
    Variant holder{Ref<automation::Dispatch>(object)};
    Variant copy = holder;
    object.reset();
    holder = Variant();
    EXPECT_EQ(releases, 0);
  }
  EXPECT_EQ(releases, 1);
}

}  // namespace
}  // namespace automation_test
