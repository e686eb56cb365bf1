// Opening and closing the connection: the client members in their order with their argument
// kinds, the INI keys of AutoConnect, and the one-connection rule.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "automation/text.h"
#include "session/database.h"
#include "session/db_client.h"
#include "session/global.h"
#include "session_fixture.h"
#include "temp_folder.h"

namespace talmo::testing {
namespace {

using automation::FromUtf8;
using automation::Variant;
using automation::VarType;

class ConnectionTest : public SessionTest {
 protected:
  // Writes Talmo.ini with `body` below the [Database] line and returns its path.
  std::u16string WriteIni(const std::string& body) {
    return FromUtf8(dir_.Write("Talmo.ini", "[Database]\n" + body).string());
  }

  automation::Ref<Database> ConnectWith(const std::string& body) {
    automation::Ref<Database> database = CreateDatabase();
    database->AutoConnect(WriteIni(body));
    return database;
  }

  static RecordedCall Only(const RecordingDbClient& client, automation::DispId member) {
    std::vector<RecordedCall> calls = client.CallsOf(member);
    EXPECT_EQ(calls.size(), 1u) << "calls of member " << member;
    return calls.empty() ? RecordedCall{} : calls.front();
  }

  TempFolder dir_;
};

TEST_F(ConnectionTest, AutoConnectCallsTheConnectionMembersInOrderWithTheirArgumentKinds) {
  automation::Ref<Database> database = ConnectWith(
      "LibPath=/opt/client\nUserID=anna\nPassword=secret\nServer=srv1\nNetType=tcp\n"
      "Database=/data/firm.db\nCache=500\nCompanyName=CRONUS\nCommitCache=No\n");
  RecordingDbClient& client = *LastClient();

  EXPECT_EQ(client.Trace(), "2:=False 1:=True 76 7 5 42 1:=False 1:=True 9 1:=False");
  EXPECT_TRUE(IsConnected());
  EXPECT_EQ(database->NavisionPath(), u"/opt/client");

  const RecordedCall library = Only(client, 76);
  ASSERT_EQ(library.args.size(), 1u);
  EXPECT_TRUE(library.byRef[0]);
  EXPECT_EQ(library.args[0].ToString(), u"/opt/client");

  const RecordedCall server = Only(client, 7);
  ASSERT_EQ(server.args.size(), 2u);
  EXPECT_EQ(server.args[0].ToString(), u"srv1");
  EXPECT_EQ(server.args[1].ToString(), u"tcp");
  EXPECT_TRUE(server.byRef[0] && server.byRef[1]);

  const RecordedCall open = Only(client, 5);
  ASSERT_EQ(open.args.size(), 3u);
  EXPECT_EQ(open.args[0].ToString(), u"/data/firm.db");
  EXPECT_TRUE(open.byRef[0]);
  EXPECT_EQ(open.args[1].type(), VarType::kLong);
  EXPECT_EQ(open.args[1].ToLong(), 500);
  EXPECT_TRUE(open.byRef[1]);
  EXPECT_EQ(open.args[2].type(), VarType::kLong);
  EXPECT_EQ(open.args[2].ToLong(), 0);
  EXPECT_FALSE(open.byRef[2]);

  const RecordedCall login = Only(client, 42);
  ASSERT_EQ(login.args.size(), 2u);
  EXPECT_EQ(login.args[0].ToString(), u"anna");
  EXPECT_EQ(login.args[1].ToString(), u"secret");
  EXPECT_TRUE(login.byRef[0] && login.byRef[1]);

  const RecordedCall company = Only(client, 9);
  ASSERT_EQ(company.args.size(), 1u);
  EXPECT_EQ(company.args[0].ToString(), u"CRONUS");
  EXPECT_TRUE(company.byRef[0]);

  // Every client call is followed by a read of the last error.
  EXPECT_EQ(client.CallsOf(45).size(), 5u);
}

TEST_F(ConnectionTest, ErrorDisplayIsOffDuringCallsWhileViewErrorsIsTrue) {
  automation::Ref<Database> database = CreateDatabase();
  database->SetViewErrors(true);
  database->AutoConnect(WriteIni("Database=x.db\n"));
  EXPECT_EQ(LastClient()->Trace(), "2:=False 1:=False 76 5 42 1:=False 1:=False 9 1:=False");
}

struct IniCase {
  std::string name;
  std::string body;
  std::string trace;
};

class IniVariantTest : public ConnectionTest, public ::testing::WithParamInterface<IniCase> {};

TEST_P(IniVariantTest, CallsOnlyTheStepsTheKeysAskFor) {
  automation::Ref<Database> database = ConnectWith(GetParam().body);
  EXPECT_EQ(LastClient()->Trace(), GetParam().trace);
  EXPECT_TRUE(IsConnected());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, IniVariantTest,
    ::testing::Values(IniCase{"ServerWithoutNetType", "Server=srv1\nDatabase=a.db\n",
                              "2:=False 1:=True 76 5 42 1:=False 1:=True 9 1:=False"},
                      IniCase{"NetTypeWithoutServer", "NetType=tcp\n",
                              "2:=False 1:=True 76 7 42 1:=False 1:=True 9 1:=False"},
                      IniCase{"NoDatabase", "Server=srv1\nNetType=tcp\n",
                              "2:=False 1:=True 76 7 42 1:=False 1:=True 9 1:=False"},
                      IniCase{"EmptySection", "",
                              "2:=False 1:=True 76 42 1:=False 1:=True 9 1:=False"},
                      IniCase{"EmptyValues", "NetType=\nDatabase=\nUserID=\n",
                              "2:=False 1:=True 76 42 1:=False 1:=True 9 1:=False"}),
    [](const auto& info) { return info.param.name; });

TEST_F(ConnectionTest, LoginAndCompanyGetEmptyStringsWhenTheKeysAreAbsent) {
  automation::Ref<Database> database = ConnectWith("");
  const RecordedCall login = Only(*LastClient(), 42);
  ASSERT_EQ(login.args.size(), 2u);
  EXPECT_EQ(login.args[0].type(), VarType::kString);
  EXPECT_EQ(login.args[0].ToString(), u"");
  EXPECT_EQ(login.args[1].ToString(), u"");
  EXPECT_EQ(Only(*LastClient(), 9).args[0].ToString(), u"");
}

TEST_F(ConnectionTest, AnAbsentLibPathLeavesNavisionPathEmpty) {
  automation::Ref<Database> database = CreateDatabase();
  ASSERT_FALSE(database->NavisionPath().empty());
  database->AutoConnect(WriteIni("Database=a.db\n"));
  EXPECT_EQ(database->NavisionPath(), u"");
  EXPECT_EQ(Only(*LastClient(), 76).args[0].ToString(), u"");
}

TEST_F(ConnectionTest, AMissingIniFileConnectsWithDefaults) {
  automation::Ref<Database> database = CreateDatabase();
  database->AutoConnect(FromUtf8((dir_.path() / "absent.ini").string()));
  EXPECT_EQ(LastClient()->Trace(), "2:=False 1:=True 76 42 1:=False 1:=True 9 1:=False");
}

struct CacheCase {
  std::string name;
  std::optional<std::string> cache;        // the "Cache" line's value, or no line
  std::optional<std::string> commitCache;  // the "CommitCache" line's value, or no line
  int32_t expectedCache;
  int32_t expectedCommit;
};

class CacheTest : public ConnectionTest, public ::testing::WithParamInterface<CacheCase> {};

TEST_P(CacheTest, ReadsCacheAndCommitCache) {
  std::string body = "Database=a.db\n";
  if (GetParam().cache) body += "Cache=" + *GetParam().cache + "\n";
  if (GetParam().commitCache) body += "CommitCache=" + *GetParam().commitCache + "\n";
  automation::Ref<Database> database = ConnectWith(body);
  const RecordedCall open = Only(*LastClient(), 5);
  ASSERT_EQ(open.args.size(), 3u);
  EXPECT_EQ(open.args[1].ToLong(), GetParam().expectedCache);
  EXPECT_EQ(open.args[2].ToLong(), GetParam().expectedCommit);
}

INSTANTIATE_TEST_SUITE_P(
    Values, CacheTest,
    ::testing::Values(
        CacheCase{"NoCacheKey", std::nullopt, std::nullopt, 10000, -1},
        CacheCase{"EmptyCache", "", "", 10000, -1}, CacheCase{"ZeroCache", "0", "ano", 10000, -1},
        CacheCase{"CacheNumber", "2500", "Yes", 2500, -1},
        CacheCase{"LeadingZeros", "0064", "true", 64, -1},
        CacheCase{"CommitLowerA", "1", "a", 1, -1}, CacheCase{"CommitUpperT", "1", "T", 1, -1},
        CacheCase{"CommitLowerY", "1", "y", 1, -1}, CacheCase{"CommitNo", "1", "No", 1, 0},
        CacheCase{"CommitFalse", "1", "false", 1, 0}, CacheCase{"CommitDigit", "1", "1", 1, 0},
        CacheCase{"CommitNe", "1", "ne", 1, 0}),
    [](const auto& info) { return info.param.name; });

class BadCacheTest : public ConnectionTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(BadCacheTest, ACacheThatIsNoNumberIsATypeMismatchBeforeAnyClientCall) {
  automation::Ref<Database> database = CreateDatabase();
  const std::u16string ini = WriteIni("Database=a.db\nCache=" + GetParam() + "\n");
  EXPECT_EQ(ErrorOf([&] { database->AutoConnect(ini); }).number(), 13);
  EXPECT_EQ(CreatedClients(), 0);
  EXPECT_FALSE(IsConnected());
}

INSTANTIATE_TEST_SUITE_P(Values, BadCacheTest, ::testing::Values("abc", "-5", "12x"),
                         [](const auto& info) {
                           std::string name;
                           for (char c : info.param) name += std::isalnum(c) ? c : '_';
                           return "Cache_" + name + "_" + std::to_string(info.index);
                         });

TEST_F(ConnectionTest, ASecondAutoConnectWithACompanyOpenReturnsWithoutReadingTheIni) {
  NextClient().Returns(40, Variant(u"CRONUS"));
  automation::Ref<Database> database = ConnectWith("LibPath=/first\n");
  database->SetNavisionPath(u"/kept");
  LastClient()->ClearCalls();

  database->AutoConnect(WriteIni("LibPath=/second\nDatabase=b.db\n"));

  EXPECT_EQ(CreatedClients(), 1);
  EXPECT_EQ(database->NavisionPath(), u"/kept");
  EXPECT_EQ(LastClient()->Trace(), "1:=True 40 1:=False");
}

TEST_F(ConnectionTest, ConnectedWithoutACompanyRefusesASecondConnection) {
  automation::Ref<Database> database = ConnectWith("");
  const automation::AutomationError error =
      ErrorOf([&] { database->AutoConnect(WriteIni("Database=b.db\n")); });
  EXPECT_EQ(error.number(), 999);
  EXPECT_EQ(error.description(),
            u"K Navision Financials se lze pomocí Talmo připojit pouze jednou!");
  EXPECT_EQ(CreatedClients(), 1);
  EXPECT_TRUE(IsConnected());
}

TEST_F(ConnectionTest, AFailingCompanyNameCheckAlsoEndsInTheOneConnectionError) {
  NextClient().AlwaysFail(40, ClientCode(20, 12));
  automation::Ref<Database> database = ConnectWith("");
  EXPECT_EQ(ErrorOf([&] { database->AutoConnect(WriteIni("")); }).number(), 999);
}

TEST_F(ConnectionTest, AFailedStepLeavesTheProcessUnconnectedAndTheNextAttemptUsesANewClient) {
  NextClient().FailOn(5, ClientCode(21, 4));
  automation::Ref<Database> database = CreateDatabase();
  const std::u16string ini = WriteIni("Database=missing.db\n");

  const automation::AutomationError error = ErrorOf([&] { database->AutoConnect(ini); });
  EXPECT_EQ(error.number(), 4);
  EXPECT_FALSE(IsConnected());
  EXPECT_EQ(LastClient()->Trace(), "2:=False 1:=True 76 5 1:=False");
  // The attempt's client stays referenced until the next attempt replaces it.
  EXPECT_EQ(DbClient(), LastClient());
  RecordingDbClient* first = LastClient();

  database->AutoConnect(ini);
  EXPECT_EQ(CreatedClients(), 2);
  EXPECT_NE(LastClient(), first);
  EXPECT_EQ(DbClient(), LastClient());
  EXPECT_TRUE(IsConnected());
}

TEST_F(ConnectionTest, DisconnectStopNowClosesWithItsMembersInOrder) {
  automation::Ref<Database> database = ConnectWith("Database=a.db\n");
  RecordingDbClient* client = LastClient();
  client->ClearCalls();

  database->Disconnect(static_cast<int32_t>(nfDisconnect::stopNow));

  EXPECT_EQ(client->Trace(), "1:=True 65 10 6 2:=True");
  EXPECT_EQ(client->CallsOf(45).size(), 3u);
  EXPECT_FALSE(IsConnected());
  EXPECT_EQ(DbClient(), nullptr);
  EXPECT_FALSE(global::CurrentDatabase());
  // The mode is recorded after the close, so it reads stopNow afterwards.
  EXPECT_EQ(global::DisconnectMode(), nfDisconnect::stopNow);
}

TEST_F(ConnectionTest, AfterClosingANewConnectionIsAllowed) {
  automation::Ref<Database> database = ConnectWith("");
  database->Disconnect(static_cast<int32_t>(nfDisconnect::stopNow));
  database->AutoConnect(WriteIni(""));
  EXPECT_TRUE(IsConnected());
  EXPECT_EQ(CreatedClients(), 2);
}

TEST_F(ConnectionTest, AClientErrorWhileClosingStopsTheCloseWhereItHappened) {
  NextClient().FailOn(10, ClientCode(20, 3));
  automation::Ref<Database> database = ConnectWith("");
  RecordingDbClient* client = LastClient();
  client->ClearCalls();

  EXPECT_EQ(ErrorOf([&] { database->Disconnect(1); }).number(), 3);
  // 6 and the release of the client did not happen; the error check put 1 := False.
  EXPECT_EQ(client->Trace(), "1:=True 65 10 1:=False");
  EXPECT_TRUE(IsConnected());
  EXPECT_EQ(DbClient(), client);
  EXPECT_EQ(global::DisconnectMode(), nfDisconnect::None);
}

TEST_F(ConnectionTest, DisconnectWhileNotConnectedOnlyRecordsTheMode) {
  automation::Ref<Database> database = CreateDatabase();
  database->Disconnect(static_cast<int32_t>(nfDisconnect::stopNow));
  EXPECT_EQ(CreatedClients(), 0);
  EXPECT_EQ(global::DisconnectMode(), nfDisconnect::stopNow);
}

TEST_F(ConnectionTest, OpenCompanyAndCompanyNameAreSingleGuardedCalls) {
  RecordingDbClient& client = InstallConnectedClient();
  client.Returns(40, Variant(u"CRONUS s.r.o."));
  automation::Ref<Database> database = CreateDatabase();

  EXPECT_TRUE(database->OpenCompany(u"Other").IsEmpty());
  EXPECT_EQ(database->CompanyName(), u"CRONUS s.r.o.");
  EXPECT_EQ(client.Trace(), "1:=True 9 1:=False 1:=True 40 1:=False");
}

}  // namespace
}  // namespace talmo::testing
