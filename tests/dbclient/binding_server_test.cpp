// Members 7, 5 and 42 on a database server: connecting over TCP and the server's socket,
// refused logins, missing databases, a connection the server ends, and member 102's count
// of round trips.
#include <string>

#include "binding_test_support.h"

namespace dbclient::binding_test {
namespace {

using talmo::testing::AdminQuery;
using talmo::testing::Server;

std::u16string Utf16(const std::string& text) { return automation::FromUtf8(text); }

std::u16string TcpServer() {
  return Utf16(Server().host + ":" + std::to_string(Server().port));
}

class BindingServerTest : public ::testing::Test {
 protected:
  int32_t ConnectAs(Client& client, std::u16string server, std::u16string netType,
                    std::u16string user, std::u16string password) {
    return client.Connect(name_, std::move(user), std::move(password), std::move(server),
                          std::move(netType));
  }

  int32_t ConnectTcp(Client& client) {
    return ConnectAs(client, TcpServer(), u"tcp", Utf16(Server().user), Utf16(Server().password));
  }

  TestDatabase database_{Backend::kServer};
  std::string name_ = database_.Login().database;
  Client client_;
};

TEST_F(BindingServerTest, ConnectsOverTcpTlsAndTheServersSocket) {
  struct Way {
    std::u16string server, netType, user, password;
  };
  const std::u16string socket = Utf16(Server().socket + ":" + std::to_string(Server().port));
  for (const Way& way : {Way{TcpServer(), u"tcp", Utf16(Server().user), Utf16(Server().password)},
                         Way{TcpServer(), u"TCPS", Utf16(Server().user), Utf16(Server().password)},
                         Way{socket, u"unix", Utf16(Server().admin), u""}}) {
    Client client;
    ASSERT_EQ(ConnectAs(client, way.server, way.netType, way.user, way.password), 0)
        << automation::ToUtf8(way.netType);
    EXPECT_EQ(client.Call(40).ToString(), kCompany);
    const int32_t table = client.OpenTable(kCustomer);
    EXPECT_EQ(client.Call(24, table).ToLong(), 0);
    EXPECT_EQ(client.LastError(), 0);
  }
}

TEST_F(BindingServerTest, RefusedLoginIsTheLoginErrorAndLeavesNoDatabase) {
  EXPECT_EQ(ConnectAs(client_, TcpServer(), u"tcp", Utf16(Server().user), u"wrong"),
            errc::kLoginFailed);
  client_.Call(9, kCompany);
  EXPECT_EQ(client_.LastError(), errc::kNoDatabase);
}

TEST_F(BindingServerTest, MissingDatabaseOrNoServerAreClientErrors) {
  name_ = "no_such_database";
  EXPECT_EQ(ConnectTcp(client_), errc::kServerDatabaseNotFound);
  EXPECT_EQ(ConnectAs(client_, u"127.0.0.1:9", u"tcp", u"u", u"p"), errc::kServerUnavailable);
}

TEST_F(BindingServerTest, WithoutMember5TheUsersOwnDatabaseIsOpened) {
  Variant server(TcpServer()), netType(u"tcp");
  client_.Call(7, Variant::ByRef(&server), Variant::ByRef(&netType));
  ASSERT_EQ(client_.LastError(), 0);
  // The test user has no database of its name: the server says which one it looked for.
  client_.Call(42, Utf16(Server().user), Utf16(Server().password));
  EXPECT_EQ(client_.LastError(), errc::kServerDatabaseNotFound);
  client_.Call(5, Utf16(name_));
  client_.Call(42, Utf16(Server().user), Utf16(Server().password));
  EXPECT_EQ(client_.LastError(), 0) << "naming the database then connects";
}

TEST_F(BindingServerTest, CloseServerForgetsItAndMember5OpensAFileAgain) {
  ASSERT_EQ(ConnectTcp(client_), 0);
  client_.Call(6);
  ASSERT_EQ(client_.LastError(), 0);
  TempFolder folder;
  const std::string file = folder.File("after.db");
  ASSERT_NO_FATAL_FAILURE(CreateDatabase(file));
  EXPECT_EQ(client_.Connect(file), 0);
}

TEST_F(BindingServerTest, AConnectionTheServerEndsIsAnErrorAtTheNextCall) {
  ASSERT_EQ(ConnectTcp(client_), 0);
  const int32_t table = client_.OpenTable(kCustomer);
  client_.Call(24, table);
  ASSERT_EQ(client_.LastError(), 0);
  AdminQuery("postgres", "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '" +
                             name_ + "' AND application_name = 'Talmo'");
  EXPECT_EQ(client_.Call(24, table).ToLong(), 0);
  EXPECT_EQ(client_.LastError(), errc::kConnectionLost);
  client_.Call(10);
  EXPECT_EQ(client_.LastError(), 0) << "what is broken can still be closed";
  EXPECT_EQ(ConnectTcp(client_), 0) << "and connected again";
}

TEST_F(BindingServerTest, Member102CountsTheRoundTripsOfEveryObject) {
  ASSERT_EQ(ConnectTcp(client_), 0);
  Client observer;
  const int32_t table = client_.OpenTable(kCustomer);
  client_.Call(24, table);  // the snapshot begins, the count is prepared
  const double before = observer.Call(102).ToDouble();
  for (int i = 0; i < 5; ++i) client_.Call(24, table);
  EXPECT_EQ(observer.Call(102).ToDouble(), before + 5);
  client_.Call(35);  // ends the snapshot: one more
  client_.Call(24, table);  // begins the next one: two more
  EXPECT_EQ(observer.Call(102).ToDouble(), before + 8);
}

}  // namespace
}  // namespace dbclient::binding_test
