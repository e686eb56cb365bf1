// The DbClient object's registration, the last-error protocol and the connection members.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "binding_test_support.h"

extern "C" int DllCanUnloadNow();
extern "C" int DllRegisterServer();
extern "C" int DllUnregisterServer();

namespace dbclient::binding_test {
namespace {

using automation::InvokeKind;
using automation::VarType;

TEST(BindingLibraryTest, FactoryAnswersOnlyTheClientClassIdInAnyCase) {
  EXPECT_EQ(DllGetClassObject("{00000000-0000-0000-0000-000000000000}"), nullptr);
  EXPECT_EQ(DllGetClassObject(nullptr), nullptr);
  std::unique_ptr<automation::ClassFactory> factory(
      DllGetClassObject("{9f78d5e3-a1b3-11cf-af9f-00030f8047d7}"));
  ASSERT_NE(factory, nullptr);
  automation::Ref<automation::Dispatch> object;
  automation::ExceptionInfo error;
  ASSERT_TRUE(factory->CreateInstance(object, error));
  EXPECT_EQ(automation::TypeName(Variant(object)), u"DbClient");
}

TEST(BindingLibraryTest, LibraryCannotUnloadWhileAnObjectLives) {
  {
    Client client;
    ASSERT_NE(client.get(), nullptr);
    EXPECT_EQ(DllCanUnloadNow(), 0);
  }
  EXPECT_EQ(DllCanUnloadNow(), 1);
}

TEST(BindingLibraryTest, RegisteredClientIsCreatedByProgIdAndClassId) {
  TempFolder folder;
  const std::string registry = folder.File("registry.ini");
  ASSERT_EQ(::setenv("TALMO_REGISTRY", registry.c_str(), 1), 0);
  ASSERT_EQ(DllRegisterServer(), 0);
  for (const char16_t* name :
       {u"DbClient.Application", u"{9F78D5E3-A1B3-11CF-AF9F-00030F8047D7}"}) {
    automation::Ref<automation::Dispatch> object = automation::CreateObject(name);
    ASSERT_NE(object.get(), nullptr);
    EXPECT_EQ(automation::CallMethod(object.get(), 45).ToLong(), 0);
  }
  ASSERT_EQ(DllUnregisterServer(), 0);
  try {
    automation::CreateObject(u"DbClient.Application");
    ADD_FAILURE() << "created after unregistering";
  } catch (const automation::AutomationError& e) {
    EXPECT_EQ(e.number(), automation::error::kCannotCreateObject);
  }
  ::unsetenv("TALMO_REGISTRY");
}

TEST(BindingLibraryTest, MembersAreFoundByDescriptiveName) {
  Client client;
  EXPECT_EQ(client.get()->GetIDsOfNames(u"lasterror"), 45);
  EXPECT_EQ(client.get()->GetIDsOfNames(u"OpenTable"), 47);
  EXPECT_EQ(client.get()->GetIDsOfNames(u"NoSuchMember"), automation::kDispIdUnknown);
}

TEST(BindingLibraryTest, UnknownMemberNumberFailsInvokeWith438) {
  Client client;
  for (automation::DispId id : {0, 3, 90, 1000, -5}) {
    try {
      client.Call(id);
      ADD_FAILURE() << "member " << id << " answered";
    } catch (const automation::AutomationError& e) {
      EXPECT_EQ(e.number(), automation::error::kMemberNotFound) << "member " << id;
    }
  }
}

TEST(BindingLibraryTest, TwoObjectsKeepTheirOwnConnections) {
  TempFolder folder;
  const std::string file = folder.File("two.db");
  ASSERT_NO_FATAL_FAILURE(CreateDatabase(file));
  Client first;
  Client second;
  ASSERT_EQ(first.Connect(file), 0);
  EXPECT_EQ(second.Call(40).ToString(), u"");
  EXPECT_EQ(second.LastError(), errc::kNoDatabase);
  EXPECT_EQ(first.Call(40).ToString(), kCompany);
  EXPECT_EQ(first.LastError(), 0);
  first.reset();
  ASSERT_EQ(second.Connect(file), 0);
  EXPECT_EQ(second.Call(40).ToString(), kCompany);
}

// A component that reconnects makes a new client object; whatever handles it kept from the
// earlier one must not name anything of the new connection.
TEST(BindingLibraryTest, HandlesOfAnEarlierClientObjectAreUnknownToALaterOne) {
  TempFolder folder;
  const std::string file = folder.File("reconnect.db");
  ASSERT_NO_FATAL_FAILURE(CreateDatabase(file));
  Client first;
  ASSERT_EQ(first.Connect(file), 0);
  const int32_t oldTable = first.OpenTable(kItem);
  const int32_t oldRecord = first.Call(15, oldTable).ToLong();
  const int32_t oldDecimal = first.Call(80).ToLong();
  ASSERT_EQ(first.LastError(), 0);
  first.reset();

  Client second;
  ASSERT_EQ(second.Connect(file), 0);
  const int32_t table = second.OpenTable(kCustomer);
  const int32_t record = second.Call(15, table).ToLong();
  const int32_t decimal = second.Call(80).ToLong();
  ASSERT_EQ(second.LastError(), 0);
  for (int32_t fresh : {table, record, decimal}) {
    for (int32_t stale : {oldTable, oldRecord, oldDecimal}) EXPECT_NE(fresh, stale);
  }
  EXPECT_EQ(second.Call(14, oldTable).ToString(), u"");
  EXPECT_EQ(second.LastError(), errc::kUnknownHandle);
  second.Call(56, table, oldRecord, int32_t{2}, u"changed");
  EXPECT_EQ(second.LastError(), errc::kUnknownHandle);
  second.Call(88, oldDecimal);
  EXPECT_EQ(second.LastError(), errc::kUnknownHandle);
  second.Call(13, oldTable);
  EXPECT_EQ(second.LastError(), errc::kUnknownHandle);
  EXPECT_EQ(second.Call(14, table).ToString(), u"Customer") << "closing a stale handle closed it";
}

TEST(BindingLastErrorTest, FailureSetsTheCodeUntilTheNextCallOtherThan45) {
  Client client;
  const Variant result = client.Call(40);  // no database open
  EXPECT_EQ(result.type(), VarType::kString);
  EXPECT_EQ(result.ToString(), u"");
  EXPECT_EQ(client.LastError(), errc::kNoDatabase);
  EXPECT_EQ(client.LastError(), errc::kNoDatabase) << "member 45 must not clear the code";
  client.Put(1, true);
  EXPECT_EQ(client.LastError(), 0) << "every other member clears the code";
}

TEST(BindingLastErrorTest, WrongArgumentCountIsAClientErrorNotAnInvokeFailure) {
  Client client;
  client.Call(47);
  EXPECT_EQ(client.LastError(), errc::kBadArgument);
  EXPECT_EQ(client.Call(45, int32_t{1}).ToLong(), errc::kBadArgument)
      << "arguments to 45 must not overwrite the code it reports";
  client.Call(40);
  client.Call(14, int32_t{1}, int32_t{2});
  EXPECT_EQ(client.LastError(), errc::kBadArgument);
  client.Call(12, Variant::Missing());
  EXPECT_EQ(client.LastError(), errc::kBadArgument);
}

TEST(BindingLastErrorTest, FailedCallsAnswerWithTypedZeroResults) {
  Client client;
  const Variant count = client.Call(24, int32_t{77});
  EXPECT_EQ(count.type(), VarType::kLong);
  EXPECT_EQ(count.ToLong(), 0);
  EXPECT_EQ(client.LastError(), errc::kUnknownHandle);
  const Variant moved = client.Call(20, int32_t{77}, int32_t{78}, int16_t{1});
  EXPECT_EQ(moved.type(), VarType::kInteger);
  EXPECT_EQ(client.LastError(), errc::kUnknownHandle);
  const Variant name = client.Call(14, int32_t{77});
  EXPECT_EQ(name.type(), VarType::kString);
  EXPECT_EQ(client.Call(55, int32_t{77}, int32_t{78}, int32_t{1}).type(), VarType::kEmpty);
}

TEST(BindingSwitchesTest, ErrorDisplayAndReleaseSwitchesAreStored) {
  Client client;
  EXPECT_FALSE(automation::GetProperty(client.get(), 1).ToBoolean());
  client.Put(1, true);
  client.Put(2, true);
  EXPECT_TRUE(automation::GetProperty(client.get(), 1).ToBoolean());
  EXPECT_TRUE(automation::GetProperty(client.get(), 2).ToBoolean());
  client.Put(1, false);
  EXPECT_FALSE(automation::GetProperty(client.get(), 1).ToBoolean());
  EXPECT_TRUE(automation::GetProperty(client.get(), 2).ToBoolean());
  client.Put(1, u"maybe");
  EXPECT_EQ(client.LastError(), errc::kBadArgument);
}

TEST(BindingConnectionTest, UnknownNetTypeOrServerAddressIsAClientError) {
  Client client;
  EXPECT_EQ(client.Connect("db", u"", u"", u"srv", u"netb"), errc::kUnknownNetType);
  EXPECT_EQ(client.Connect("db", u"", u"", u"srv:99999", u"tcp"), errc::kBadServerAddress);
}

TEST(BindingConnectionTest, MissingDatabaseFileIsAnErrorAndIsNotCreated) {
  TempFolder folder;
  const std::string file = folder.File("missing.db");
  Client client;
  EXPECT_EQ(client.Connect(file), errc::kDatabaseNotFound);
  EXPECT_FALSE(std::filesystem::exists(file));
  client.Call(42, u"", u"");
  EXPECT_EQ(client.LastError(), errc::kNoDatabase);
}

TEST(BindingConnectionTest, BareDatabaseNameIsRelativeToTheCurrentFolder) {
  TempFolder folder;
  ASSERT_NO_FATAL_FAILURE(CreateDatabase(folder.File("here.db")));
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  Client client;
  const int32_t code = client.Connect("here.db");
  std::filesystem::current_path(previous);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(client.Call(40).ToString(), kCompany);
}

TEST(BindingConnectionTest, CommitCacheOffAndByValueArgumentsAreAccepted) {
  TempFolder folder;
  const std::string file = folder.File("values.db");
  ASSERT_NO_FATAL_FAILURE(CreateDatabase(file));
  Client client;
  client.Call(76, u"/opt/client");
  client.Call(5, automation::FromUtf8(file), int32_t{0}, int32_t{0});
  ASSERT_EQ(client.LastError(), 0);
  client.Call(42, u"", u"");
  ASSERT_EQ(client.LastError(), 0);
  client.Call(9, kCompany);
  ASSERT_EQ(client.LastError(), 0);
  EXPECT_EQ(client.Call(40).ToString(), kCompany);
}

TEST(BindingConnectionTest, CredentialsAreCheckedAgainstTheDatabaseUsers) {
  TempFolder folder;
  const std::string file = folder.File("users.db");
  ASSERT_NO_FATAL_FAILURE(CreateDatabase(file, u"ADMIN", u"secret"));
  EXPECT_EQ(Client().Connect(file, u"ADMIN", u"wrong"), errc::kLoginFailed);
  EXPECT_EQ(Client().Connect(file, u"", u""), errc::kLoginFailed);
  EXPECT_EQ(Client().Connect(file, u"admin", u"secret"), 0);
}

TEST(BindingConnectionTest, UnknownCompanyIsAnError) {
  TempFolder folder;
  const std::string file = folder.File("company.db");
  ASSERT_NO_FATAL_FAILURE(CreateDatabase(file));
  Client client;
  ASSERT_EQ(client.Connect(file), 0);
  client.Call(9, u"Nobody Ltd");
  EXPECT_EQ(client.LastError(), errc::kCompanyNotFound);
}

TEST(BindingConnectionTest, ClosingStepsAreQuietWhenNothingIsOpen) {
  Client client;
  for (automation::DispId step : {65, 10, 6}) {
    client.Call(step);
    EXPECT_EQ(client.LastError(), 0) << "member " << step;
  }
}

class BindingCloseTest : public ConnectedTest {};

TEST_P(BindingCloseTest, ClosingTheCompanyAbortsTheOpenWriteTransaction) {
  client_.Call(36);
  ASSERT_EQ(client_.LastError(), 0);
  const Table customers = Open(kCustomer);
  ASSERT_NO_FATAL_FAILURE(InsertRecord(customers, {{1, Variant(u"C1")}}));
  client_.Call(65);
  EXPECT_EQ(client_.LastError(), 0);
  client_.Call(37);
  EXPECT_EQ(client_.LastError(), errc::kNoTransaction) << "the transaction was aborted";
  client_.Call(24, customers.handle);
  EXPECT_NE(client_.LastError(), 0) << "tables close with their company";
  client_.Call(9, kCompany);
  ASSERT_EQ(client_.LastError(), 0);
  const Table again = Open(kCustomer);
  EXPECT_EQ(client_.Call(24, again.handle).ToLong(), 0);
}

TEST_P(BindingCloseTest, ClosingTheDatabaseFreesItsHandlesAndAbortsTheTransaction) {
  client_.Call(36);
  const Table customers = Open(kCustomer);
  ASSERT_NO_FATAL_FAILURE(InsertRecord(customers, {{1, Variant(u"C1")}}));
  client_.Call(10);
  EXPECT_EQ(client_.LastError(), 0);
  client_.Call(14, customers.handle);
  EXPECT_EQ(client_.LastError(), errc::kUnknownHandle);
  client_.Call(6);
  EXPECT_EQ(client_.LastError(), 0);

  Client other;
  ASSERT_EQ(ConnectOther(other), 0);
  const int32_t table = other.OpenTable(kCustomer);
  EXPECT_EQ(other.Call(24, table).ToLong(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, BindingCloseTest, kBothBackends,
                         [](const auto& info) { return BackendName(info.param); });

}  // namespace
}  // namespace dbclient::binding_test

namespace dbclient::binding_test {
namespace {

// Members 100 and 101 report on every client object of the process, so each check compares
// with the figure read just before.
class BindingDiagnosticsTest : public ConnectedTest {
 protected:
  int64_t Handles(Client& asking, int32_t kind) {
    const double count = asking.Call(100, kind).ToDouble();
    EXPECT_EQ(asking.LastError(), 0);
    return static_cast<int64_t>(count);
  }
};

TEST_P(BindingDiagnosticsTest, OpenHandlesCountEveryKindOfEveryObjectUntilFreed) {
  Client observer;  // holds no handles, sees those of client_
  const int64_t tables = Handles(observer, 1);
  const int64_t records = Handles(observer, 2);
  const int64_t decimals = Handles(observer, 3);
  const int64_t total = Handles(observer, 0);
  EXPECT_EQ(total, tables + records + decimals);

  const Table items = Open(kItem);
  const int32_t decimal = client_.Call(80).ToLong();
  ASSERT_EQ(client_.LastError(), 0);
  EXPECT_EQ(Handles(observer, 1), tables + 1);
  EXPECT_EQ(Handles(observer, 2), records + 1);
  EXPECT_EQ(Handles(observer, 3), decimals + 1);
  EXPECT_EQ(observer.Call(100).ToDouble(), static_cast<double>(total + 3)) << "kind omitted";

  client_.Call(81, decimal);
  client_.Call(16, items.record);
  client_.Call(13, items.handle);
  ASSERT_EQ(client_.LastError(), 0);
  EXPECT_EQ(Handles(observer, 0), total);

  Open(kCustomer);
  EXPECT_EQ(Handles(observer, 0), total + 2);
  client_.Call(10);  // closing the database frees what is still open
  EXPECT_EQ(Handles(observer, 0), total);
}

TEST_P(BindingDiagnosticsTest, UnknownHandleKindIsABadArgument) {
  EXPECT_EQ(client_.Call(100, int32_t{4}).ToDouble(), 0.0);
  EXPECT_EQ(client_.LastError(), errc::kBadArgument);
}

TEST_P(BindingDiagnosticsTest, MemberCallsCountEveryObjectsCallsIncludingFailedOnes) {
  Client other;
  const double before = client_.Call(101, int32_t{24}).ToDouble();
  const Table customers = Open(kCustomer);
  client_.Call(24, customers.handle);
  client_.Call(24, customers.handle);
  other.Call(24, int32_t{12345});  // fails: no database, still a call
  EXPECT_NE(other.LastError(), 0);
  EXPECT_EQ(other.Call(101, int32_t{24}).ToDouble(), before + 3);
  const double asked = client_.Call(101, int32_t{101}).ToDouble();
  EXPECT_EQ(client_.Call(101, int32_t{101}).ToDouble(), asked + 1) << "the asking call counts";
  EXPECT_EQ(client_.Call(101, int32_t{999}).ToDouble(), 0.0) << "no such member";
}

INSTANTIATE_TEST_SUITE_P(Backends, BindingDiagnosticsTest, kBothBackends,
                         [](const auto& info) { return BackendName(info.param); });

}  // namespace
}  // namespace dbclient::binding_test
