// The life of Database objects: start-up, creation and release steps, session counters,
// stop requests and GetStat.
#include <gtest/gtest.h>

#include <limits>

#include "automation/variant.h"
#include "session/database.h"
#include "session/db_client.h"
#include "session/global.h"
#include "session/shared_utilities.h"
#include "session_fixture.h"

namespace talmo::testing {
namespace {

using automation::Variant;
using automation::VarType;

constexpr int32_t kSessionID = static_cast<int32_t>(nfStat::SessionID);
constexpr int32_t kTotalSessions = static_cast<int32_t>(nfStat::TotalSessions);

class SessionLifecycleTest : public SessionTest {};

TEST_F(SessionLifecycleTest, MainCreatesTheHiddenDatabaseWithoutCountingIt) {
  global::Main();
  automation::Ref<Database> hidden = global::CurrentDatabase();
  ASSERT_TRUE(hidden);
  EXPECT_EQ(hidden->NavisionPath(), ComponentFolder());
  EXPECT_EQ(global::SessionCounter(), 0);
  EXPECT_EQ(global::SessionCount(), 0);
}

TEST_F(SessionLifecycleTest, TheFirstClientDatabaseAfterMainIsSessionOneOfOne) {
  global::Main();
  automation::Ref<Database> database = CreateDatabase();
  EXPECT_EQ(global::CurrentDatabase(), database);
  EXPECT_EQ(database->GetStat(kSessionID).ToLong(), 1);
  // Replacing the hidden Database does not count it down: one client object, one session.
  EXPECT_EQ(database->GetStat(kTotalSessions).ToLong(), 1);
}

TEST_F(SessionLifecycleTest, EachCreationTakesTheNextSessionNumberAndEachReleaseCountsDown) {
  automation::Ref<Database> first = CreateDatabase();
  automation::Ref<Database> second = CreateDatabase();
  EXPECT_EQ(first->GetStat(kSessionID).ToLong(), 1);
  EXPECT_EQ(second->GetStat(kSessionID).ToLong(), 2);
  EXPECT_EQ(second->GetStat(kTotalSessions).ToLong(), 2);
  EXPECT_EQ(global::CurrentDatabase(), second);

  first.reset();
  EXPECT_EQ(global::SessionCount(), 1);
  EXPECT_EQ(global::SessionCounter(), 2);
}

TEST_F(SessionLifecycleTest, CurrentDatabaseKeepsTheNewestObjectAliveAfterTheClientReleasedIt) {
  automation::Ref<Database> database = CreateDatabase();
  Database* raw = database.get();
  database.reset();
  EXPECT_EQ(global::SessionCount(), 1);
  EXPECT_EQ(global::CurrentDatabase().get(), raw);

  // A newer object replaces it; its release steps run at that moment, before the new object
  // is counted.
  automation::Ref<Database> newer = CreateDatabase();
  EXPECT_EQ(global::SessionCount(), 1);
  EXPECT_EQ(newer->GetStat(kSessionID).ToLong(), 2);
}

TEST_F(SessionLifecycleTest, CreationSetsViewErrorsBackToFalse) {
  SetViewErrors(true);
  automation::Ref<Database> database = CreateDatabase();
  EXPECT_FALSE(database->ViewErrors());
  database->SetViewErrors(true);
  EXPECT_TRUE(ViewErrors());
}

TEST_F(SessionLifecycleTest, GetStatGivesTypedValuesAndEmptyForOtherSelectors) {
  automation::Ref<Database> database = CreateDatabase();
  const Variant session = database->GetStat(kSessionID);
  const Variant total = database->GetStat(kTotalSessions);
  EXPECT_EQ(session.type(), VarType::kLong);
  EXPECT_EQ(total.type(), VarType::kInteger);
  EXPECT_TRUE(database->GetStat(0).IsEmpty());
  EXPECT_TRUE(database->GetStat(3).IsEmpty());
  EXPECT_TRUE(database->GetStat(-1).IsEmpty());
}

TEST_F(SessionLifecycleTest, StopNewUserRefusesNewDatabasesAndNoneDoesNotClearIt) {
  automation::Ref<Database> database = CreateDatabase();
  database->Disconnect(static_cast<int32_t>(nfDisconnect::StopNewUser));
  database->Disconnect(static_cast<int32_t>(nfDisconnect::None));
  database->Disconnect(7);
  EXPECT_EQ(global::DisconnectMode(), nfDisconnect::StopNewUser);

  SetViewErrors(true);
  const automation::AutomationError error = ErrorOf([] { CreateDatabase(); });
  EXPECT_EQ(error.number(), 999);
  EXPECT_EQ(error.description(), u"New connection is denied!");
  // The refused object was never counted and never became current; ViewErrors had already
  // been reset by the first creation step.
  EXPECT_EQ(global::SessionCount(), 1);
  EXPECT_EQ(global::SessionCounter(), 1);
  EXPECT_EQ(global::CurrentDatabase(), database);
  EXPECT_FALSE(ViewErrors());
}

TEST_F(SessionLifecycleTest, ReleasingTheLastDatabaseUnderAStopRequestClosesTheConnection) {
  RecordingDbClient& client = InstallConnectedClient();
  automation::Ref<Database> database = CreateDatabase();
  database->Disconnect(static_cast<int32_t>(nfDisconnect::StopIfZeroClient));
  EXPECT_TRUE(IsConnected());
  global::SetCurrentDatabase(nullptr);
  EXPECT_TRUE(IsConnected());

  database.reset();

  EXPECT_EQ(client.Trace(), "1:=True 65 10 6 2:=True");
  EXPECT_FALSE(IsConnected());
  EXPECT_EQ(global::DisconnectMode(), nfDisconnect::None);
  EXPECT_EQ(global::SessionCount(), 0);
  EXPECT_EQ(global::SessionCounter(), 0);
}

TEST_F(SessionLifecycleTest, WithoutAStopRequestTheConnectionOutlivesEveryDatabase) {
  RecordingDbClient& client = InstallConnectedClient();
  automation::Ref<Database> database = CreateDatabase();
  global::SetCurrentDatabase(nullptr);
  database.reset();
  EXPECT_TRUE(IsConnected());
  EXPECT_EQ(client.Trace(), "");
  EXPECT_EQ(global::SessionCount(), 0);
}

TEST_F(SessionLifecycleTest, StopNowWithAStopRequestPendingClosesOnce) {
  RecordingDbClient& client = InstallConnectedClient();
  automation::Ref<Database> database = CreateDatabase();
  database->Disconnect(static_cast<int32_t>(nfDisconnect::StopIfZeroClient));
  database->Disconnect(static_cast<int32_t>(nfDisconnect::stopNow));
  EXPECT_EQ(global::DisconnectMode(), nfDisconnect::stopNow);
  EXPECT_FALSE(global::CurrentDatabase());

  // The last release finds the connection closed: it only resets the counters.
  database.reset();
  EXPECT_EQ(client.Trace(), "1:=True 65 10 6 2:=True");
  EXPECT_EQ(global::SessionCount(), 0);
  EXPECT_EQ(global::SessionCounter(), 0);
}

TEST_F(SessionLifecycleTest, ClosingReleasesTheCurrentDatabaseAndItsReleaseResetsTheCounters) {
  RecordingDbClient& client = InstallConnectedClient();
  {
    automation::Ref<Database> database = CreateDatabase();
    database->Disconnect(static_cast<int32_t>(nfDisconnect::StopIfZeroClient));
  }
  ASSERT_TRUE(global::CurrentDatabase());
  EXPECT_EQ(global::SessionCount(), 1);

  // The current object is the last Database: closing empties CurrentDatabase, so it is
  // released, finds a stop request recorded and resets the counters without closing twice.
  global::CurrentDatabase()->Disconnect(static_cast<int32_t>(nfDisconnect::stopNow));
  EXPECT_FALSE(global::CurrentDatabase());
  EXPECT_EQ(client.Trace(), "1:=True 65 10 6 2:=True");
  EXPECT_EQ(global::SessionCount(), 0);
  EXPECT_EQ(global::SessionCounter(), 0);
  EXPECT_EQ(global::DisconnectMode(), nfDisconnect::stopNow);
}

TEST_F(SessionLifecycleTest, ASessionCounterAtItsLimitRaisesOverflow) {
  global::SetSessionCounter(std::numeric_limits<int32_t>::max());
  EXPECT_EQ(ErrorOf([] { CreateDatabase(); }).number(), 6);

  global::SetSessionCounter(0);
  global::SetSessionCount(std::numeric_limits<int16_t>::max());
  EXPECT_EQ(ErrorOf([] { CreateDatabase(); }).number(), 6);
}

}  // namespace
}  // namespace talmo::testing
