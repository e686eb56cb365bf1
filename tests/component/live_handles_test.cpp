// Client handles as the component holds them, against the real client: a Table kept across a
// reconnect, and operations that fail half-way, must neither reach another object's handles
// nor leave handles of their own behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/registry.h"
#include "automation/text.h"
#include "live_fixture.h"

namespace talmo::testing {
namespace {

using automation::Ref;
using automation::Variant;

constexpr int32_t kUnknownHandleNumber = 1;  // the client's error 26.1
constexpr int32_t kOpenHandlesMember = 100;

class LiveHandlesTest : public LiveTest {
 protected:
  void SetUp() override {
    LiveTest::SetUp();
    Connect();
  }
  void Connect() {
    Call(database_.get(), u"AutoConnect", {Variant(WriteIni("Talmo.ini", SampleIniBody()))});
  }
  Ref<automation::Dispatch> Alloc(int32_t tableNo) {
    return Call(database_.get(), u"AllocTable", {Variant(tableNo)}).ToObject();
  }
  // Handles held by every client object of the process, through a client object of the
  // test's own.
  static int64_t OpenHandles() {
    static const Ref<automation::Dispatch> observer =
        automation::CreateObject(u"DbClient.Application");
    return static_cast<int64_t>(
        automation::CallMethod(observer.get(), kOpenHandlesMember).ToDouble());
  }
};

TEST_F(LiveHandlesTest, ATableKeptAcrossAReconnectReachesNothingOfTheNewConnection) {
  Ref<automation::Dispatch> items = Alloc(27);
  Call(database_.get(), u"Disconnect", {Variant(int32_t{1})});
  automation::FreeUnusedLibraries();  // a client library reloaded would count afresh
  Connect();
  Ref<automation::Dispatch> customers = Alloc(18);
  ASSERT_TRUE(Call(customers.get(), u"GetRecT", {Variant(u"10000")}).ToBoolean());
  const std::u16string name = Get(customers.get(), u"Field", {Variant(int32_t{2})}).ToString();

  EXPECT_EQ(ErrorOf([&] { Get(items.get(), u"Name"); }).number(), kUnknownHandleNumber);
  EXPECT_EQ(ErrorOf([&] { Put(items.get(), u"Field", {Variant(int32_t{2}), Variant(u"X")}); })
                .number(),
            kUnknownHandleNumber);
  EXPECT_EQ(ErrorOf([&] { Call(items.get(), u"Modify"); }).number(), kUnknownHandleNumber);
  items.reset();  // its release must close nothing of the new connection

  EXPECT_EQ(Get(customers.get(), u"Name").ToString(), u"Customer");
  Ref<automation::Dispatch> again = Alloc(18);
  ASSERT_TRUE(Call(again.get(), u"GetRecT", {Variant(u"10000")}).ToBoolean());
  EXPECT_EQ(Get(again.get(), u"Field", {Variant(int32_t{2})}).ToString(), name);
}

// One call that fails half-way: a member of a customer Table with its arguments, optionally
// after cfHRec was overwritten with a handle the client never gave.
struct FailingCall {
  const char* name;
  std::u16string_view member;
  automation::InvokeKind kind;
  std::vector<Variant> args;
  bool badRecordHandle = false;
};

class LiveFailingCallTest : public LiveHandlesTest,
                            public ::testing::WithParamInterface<FailingCall> {};

TEST_P(LiveFailingCallTest, LeavesNoHandleBehind) {
  const FailingCall& call = GetParam();
  Ref<automation::Dispatch> customers = Alloc(18);
  if (call.badRecordHandle) Put(customers.get(), u"cfHRec", {Variant(int32_t{0x7ffffff0})});
  const int64_t before = OpenHandles();
  for (int i = 0; i < 50; ++i) {
    const automation::AutomationError error = ErrorOf([&] {
      if (call.kind == automation::InvokeKind::kMethod) {
        Call(customers.get(), call.member, call.args);
      } else if (call.kind == automation::InvokeKind::kPropertyGet) {
        Get(customers.get(), call.member, call.args);
      } else {
        Put(customers.get(), call.member, call.args);
      }
    });
    EXPECT_NE(error.number(), 0);
  }
  EXPECT_EQ(OpenHandles(), before);
}

constexpr automation::InvokeKind kMethod = automation::InvokeKind::kMethod;

INSTANTIATE_TEST_SUITE_P(
    Handles, LiveFailingCallTest,
    ::testing::Values(
        FailingCall{"GetRecKeyTooLong", u"GetRec", kMethod, {Variant(std::u16string(40, u'9'))}},
        FailingCall{"GetRecTNullKey", u"GetRecT", kMethod, {Variant::Null()}},
        FailingCall{"GetRecTMoreValuesThanKeyFields", u"GetRecT", kMethod,
                    {Variant(u"10000"), Variant(u"extra")}},
        FailingCall{"InitBadRecordHandle", u"Init", kMethod, {}, true},
        FailingCall{"ResetBadRecordHandle", u"Reset", kMethod, {}, true},
        FailingCall{"DecimalPutThatDoesNotConvert", u"Field",
                    automation::InvokeKind::kPropertyPut, {Variant(int32_t{20}), Variant(u"abc")}},
        FailingCall{"DecimalReadBadRecordHandle", u"Field", automation::InvokeKind::kPropertyGet,
                    {Variant(int32_t{20})}, true}),
    [](const ::testing::TestParamInfo<FailingCall>& info) { return info.param.name; });

}  // namespace
}  // namespace talmo::testing
