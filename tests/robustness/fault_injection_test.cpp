// A sales order made as the demo makes it (the record rules of Entry36 and Entry37 through the
// component), with the k-th storage call of the database client failing, for every k in turn:
// the failure must reach the caller as an automation error, and the database must hold the
// whole order or none of it.
#include <gtest/gtest.h>

#include "automation/registry.h"
#include "demo_test_support.h"
#include "engine/storage.h"
#include "error_codes.h"
#include "order_census.h"
#include "scenarios.h"

namespace talmo::testing {
namespace {

using dbclient::Status;
using dbclient::Storage;

// Which storage call fails: the calls that report a Status, counted from 1.
struct FaultPlan {
  int64_t calls = 0;
  int64_t failAt = 0;  // 0: none
  bool injected = false;
};
FaultPlan plan;

// Fails the planned call without letting it reach the backend, as a full disk or a lost
// connection would; a failing commit rolls back first, as a commit that fails does.
class FaultyStorage final : public dbclient::StorageWrapper {
 public:
  using StorageWrapper::StorageWrapper;

  Status BeginWrite(bool wait) override {
    return Counted([&] { return StorageWrapper::BeginWrite(wait); });
  }
  Status Commit() override {
    if (FailsNow()) {
      StorageWrapper::Rollback();
      return Injected();
    }
    return StorageWrapper::Commit();
  }
  Status Rollback() override { return Counted([&] { return StorageWrapper::Rollback(); }); }
  Status ProbeWriteLock(bool wait) override {
    return Counted([&] { return StorageWrapper::ProbeWriteLock(wait); });
  }
  Status CountUsers(int64_t* count) override {
    return Counted([&] { return StorageWrapper::CountUsers(count); });
  }
  Status FindUser(std::u16string_view name, bool* found, dbclient::UserEntry* user) override {
    return Counted([&] { return StorageWrapper::FindUser(name, found, user); });
  }
  Status ListCompanies(std::vector<dbclient::CompanyEntry>* companies) override {
    return Counted([&] { return StorageWrapper::ListCompanies(companies); });
  }
  Status Seek(const dbclient::Query& query, dbclient::SeekMode mode, const dbclient::Record& from,
              dbclient::Record* out, bool* found) override {
    return Counted([&] { return StorageWrapper::Seek(query, mode, from, out, found); });
  }
  Status Step(const dbclient::Query& query, const dbclient::Record& from, int32_t steps,
              dbclient::Record* out, int32_t* moved) override {
    return Counted([&] { return StorageWrapper::Step(query, from, steps, out, moved); });
  }
  Status Count(const dbclient::Query& query, int64_t* count) override {
    return Counted([&] { return StorageWrapper::Count(query, count); });
  }
  Status Compute(const dbclient::Query& query, dbclient::Aggregate aggregate,
                 const dbclient::FieldDef* field, dbclient::Value* out) override {
    return Counted([&] { return StorageWrapper::Compute(query, aggregate, field, out); });
  }
  Status Insert(int64_t company, const dbclient::Record& rec, bool* duplicate) override {
    return Counted([&] { return StorageWrapper::Insert(company, rec, duplicate); });
  }
  Status Update(int64_t company, const dbclient::Record& rec, bool* found) override {
    return Counted([&] { return StorageWrapper::Update(company, rec, found); });
  }
  Status Delete(int64_t company, const dbclient::Record& rec, bool* found) override {
    return Counted([&] { return StorageWrapper::Delete(company, rec, found); });
  }
  Status DeleteAll(const dbclient::Query& query) override {
    return Counted([&] { return StorageWrapper::DeleteAll(query); });
  }

 private:
  static bool FailsNow() {
    if (++plan.calls != plan.failAt) return false;
    plan.injected = true;
    return true;
  }
  static Status Injected() { return Status::Error(dbclient::errc::kStorageError, "injected"); }
  template <typename Call>
  static Status Counted(Call call) {
    return FailsNow() ? Injected() : call();
  }
};

std::unique_ptr<Storage> Faulty(std::unique_ptr<Storage> storage) {
  return std::make_unique<FaultyStorage>(std::move(storage));
}

class FaultInjectionTest : public talmo_demo::testing::LiveDemoTest {
 protected:
  void SetUp() override {
    LiveDemoTest::SetUp();
    dbclient::SetStorageHookForTesting(Faulty);
  }
  void TearDown() override {
    dbclient::SetStorageHookForTesting(nullptr);
    plan = {};
    LiveDemoTest::TearDown();
  }

  struct Attempt {
    bool raised = false;  // an automation error reached the caller
    int64_t calls = 0;    // storage calls the order made
  };
  // Connects, then makes one sample order in a write transaction with storage call `failAt`
  // of the order failing (0: none), and disconnects.
  Attempt MakeOrder(int64_t failAt) {
    talmo_demo::LateObject database(automation::CreateObject(u"Talmo.Database"));
    database.Call(u"AutoConnect", ConnectionIni());
    plan = {0, failAt, false};
    talmo_demo::DemoScenarios scenarios(database, DemoIni(), [] {});
    Attempt attempt;
    try {
      database.Call(u"BWT");
      scenarios.CreateSampleOrder();
      database.Call(u"EWT");
    } catch (const automation::AutomationError&) {
      attempt.raised = true;
    }
    attempt.calls = plan.calls;
    plan.failAt = 0;
    database.Call(u"Disconnect", int32_t{1});  // aborts what the failure left open
    return attempt;
  }
  OrderCensus Census() const { return TakeCensus((Folder() / "sample.db").string()); }
};

TEST_F(FaultInjectionTest, EveryFailingStorageCallOfAnOrderRaisesAndLeavesNoPartOfIt) {
  const Attempt whole = MakeOrder(0);
  ASSERT_FALSE(whole.raised);
  const int64_t callsPerOrder = whole.calls;
  ASSERT_GT(callsPerOrder, 0);
  OrderCensus before = Census();
  ASSERT_EQ(before.lines.size(), 1u);
  ASSERT_TRUE(before.Complete(3));

  for (int64_t k = 1; k <= callsPerOrder; ++k) {
    EXPECT_TRUE(MakeOrder(k).raised) << "storage call " << k << " failed unnoticed";
    EXPECT_TRUE(plan.injected) << "call " << k;
    const OrderCensus after = Census();
    EXPECT_EQ(after.lines, before.lines) << "storage call " << k << " left part of an order";
    EXPECT_EQ(after.orphanLines, 0) << "call " << k;
  }
  ASSERT_FALSE(MakeOrder(0).raised);
  const OrderCensus last = Census();
  EXPECT_EQ(last.lines.size(), 2u);
  EXPECT_TRUE(last.Complete(3));
  EXPECT_EQ(last.lines.count("OBJ00002"), 1u) << "numbering goes on after the failures";
}

}  // namespace
}  // namespace talmo::testing
