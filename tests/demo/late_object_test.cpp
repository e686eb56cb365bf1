// Late binding as the demo does it: names resolved once per class, errors passed on.
#include "late_object.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "demo_test_support.h"

namespace talmo_demo {
namespace {

using automation::DispId;
using automation::InvokeKind;
using automation::Variant;
using testing::ErrorOf;

// Counts the name look-ups of all its instances. Member "Echo" returns its first argument,
// "Twice" doubles a number, "Fail" raises 1234.
class Counter final : public automation::Dispatch {
 public:
  explicit Counter(std::u16string className) : className_(std::move(className)) {}

  bool Invoke(DispId id, InvokeKind, std::span<Variant> args, Variant& result,
              automation::ExceptionInfo& error) noexcept override {
    ++invocations[id];
    switch (id) {
      case 1:
        result = args.empty() ? Variant() : args[0].Deref();
        return true;
      case 2:
        result = Variant(args[0].ToLong() * 2);
        return true;
      case 3:
        error = {1234, u"Counter", u"failed on purpose"};
        return false;
      default:
        error = {438, u"", u"Object doesn't support this property or method"};
        return false;
    }
  }
  DispId GetIDsOfNames(std::u16string_view name) const noexcept override {
    ++lookups[std::u16string(name)];
    static const std::map<std::u16string_view, DispId> kIds = {
        {u"Echo", 1}, {u"Twice", 2}, {u"Fail", 3}};
    const auto found = kIds.find(name);
    return found == kIds.end() ? automation::kDispIdUnknown : found->second;
  }
  std::u16string ClassName() const override { return className_; }

  static inline std::map<std::u16string, int> lookups;
  std::map<DispId, int> invocations;

 private:
  std::u16string className_;
};

class LateObjectTest : public ::testing::Test {
 protected:
  void SetUp() override { Counter::lookups.clear(); }
};

TEST_F(LateObjectTest, ResolvesEachNameOncePerClassAcrossObjects) {
  auto first = automation::MakeRef<Counter>(u"CounterA");
  auto second = automation::MakeRef<Counter>(u"CounterA");
  LateObject a(first);
  LateObject b(second);
  EXPECT_EQ(a.Call(u"Twice", int32_t{21}).ToLong(), 42);
  EXPECT_EQ(a.Call(u"Twice", int32_t{5}).ToLong(), 10);
  EXPECT_EQ(b.Call(u"Twice", int32_t{7}).ToLong(), 14);
  EXPECT_EQ(Counter::lookups[u"Twice"], 1);
  EXPECT_EQ(first->invocations[2], 2);
  EXPECT_EQ(second->invocations[2], 1);
}

TEST_F(LateObjectTest, ClassesKeepTheirOwnNameTables) {
  LateObject a(automation::MakeRef<Counter>(u"CounterB"));
  LateObject b(automation::MakeRef<Counter>(u"CounterC"));
  a.Call(u"Echo", int32_t{1});
  b.Call(u"Echo", int32_t{1});
  EXPECT_EQ(Counter::lookups[u"Echo"], 2);
}

TEST_F(LateObjectTest, RaisesTheObjectsOwnError) {
  LateObject object(automation::MakeRef<Counter>(u"CounterE"));
  const automation::AutomationError error = ErrorOf([&] { object.Call(u"Fail"); });
  EXPECT_EQ(error.number(), 1234);
  EXPECT_EQ(error.description(), u"failed on purpose");
}

TEST_F(LateObjectTest, UnknownNameRaises438AndIsAskedAgainNextTime) {
  LateObject object(automation::MakeRef<Counter>(u"CounterF"));
  EXPECT_EQ(ErrorOf([&] { object.Call(u"Post"); }).number(), 438);
  EXPECT_EQ(ErrorOf([&] { object.Call(u"Post"); }).number(), 438);
  EXPECT_EQ(Counter::lookups[u"Post"], 2);
}

TEST_F(LateObjectTest, NothingRaises91) {
  LateObject nothing;
  EXPECT_TRUE(nothing.IsNothing());
  EXPECT_EQ(ErrorOf([&] { nothing.Call(u"Echo"); }).number(), 91);
}

TEST_F(LateObjectTest, AsObjectNeedsAnObject) {
  EXPECT_EQ(ErrorOf([] { AsObject(Variant(int32_t{36})); }).number(), 424);
  EXPECT_TRUE(AsObject(Variant::Nothing()).IsNothing());
  LateObject object = AsObject(
      Variant(automation::Ref<automation::Dispatch>(automation::MakeRef<Counter>(u"CounterG"))));
  EXPECT_EQ(object.Call(u"Twice", int32_t{4}).ToLong(), 8);
}

}  // namespace
}  // namespace talmo_demo
