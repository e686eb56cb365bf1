// Shared pieces of the DbClient binding tests: a database file made with the engine, a
// client object made through the library's class factory, and short calls by member number.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

#include "automation/dispatch.h"
#include "automation/registry.h"
#include "automation/text.h"
#include "dbclient/engine.h"
#include "error_codes.h"
#include "temp_folder.h"
#include "test_server.h"

extern "C" automation::ClassFactory* DllGetClassObject(const char* clsid);

namespace dbclient::binding_test {

using automation::Variant;

inline constexpr char kClassId[] = "{9F78D5E3-A1B3-11CF-AF9F-00030F8047D7}";
inline constexpr char16_t kCompany[] = u"CRONUS";

// Table and field numbers of the application schema used here.
inline constexpr int32_t kCustomer = 18;
inline constexpr int32_t kItem = 27;
inline constexpr int32_t kItemLedgerEntry = 32;
inline constexpr int32_t kSalesHeader = 36;
inline constexpr int32_t kFieldTable = 2000000041;

using talmo::testing::Backend;
using talmo::testing::BackendName;
using talmo::testing::kBothBackends;
using talmo::testing::TempFolder;

// Creates a database file holding the company kCompany and, when `user` is given, that user.
inline void CreateDatabase(const std::string& file, std::u16string_view user = {},
                           std::u16string_view password = {}) {
  ASSERT_TRUE(Database::Create(file, ApplicationSchema()).ok());
  std::unique_ptr<Database> db;
  ASSERT_TRUE(Database::Open(file, OpenOptions{}, ApplicationSchema(), &db).ok());
  ASSERT_TRUE(db->CreateCompany(kCompany).ok());
  if (!user.empty()) {
    ASSERT_TRUE(db->AddUser(user, password).ok());
  }
}

// A new client object from the library's class factory.
inline automation::Ref<automation::Dispatch> NewClientObject() {
  std::unique_ptr<automation::ClassFactory> factory(DllGetClassObject(kClassId));
  if (!factory) return nullptr;
  automation::Ref<automation::Dispatch> object;
  automation::ExceptionInfo error;
  if (!factory->CreateInstance(object, error)) return nullptr;
  return object;
}

// One client object and calls on it by member number.
class Client {
 public:
  Client() : object_(NewClientObject()) {}

  automation::Dispatch* get() const { return object_.get(); }
  void reset() { object_.reset(); }

  // A method call; an Invoke failure fails the test by throwing AutomationError.
  template <class... A>
  Variant Call(automation::DispId member, A&&... args) {
    return automation::CallMethod(object_.get(), member, std::forward<A>(args)...);
  }
  template <class... A>
  void Put(automation::DispId member, A&&... args) {
    automation::PutProperty(object_.get(), member, std::forward<A>(args)...);
  }

  int32_t LastError() { return Call(45).ToLong(); }

  // Connects the way the component does: 2, 1, 76, [7,] 5, 42, 9, with strings and numbers
  // by reference; 7 when `netType` is given, with `server`. Returns the first failing
  // member's code, 0 when connected.
  int32_t Connect(const std::string& file, std::u16string user = u"",
                  std::u16string password = u"", std::u16string server = u"",
                  std::u16string netType = u"") {
    Put(2, false);
    Put(1, true);
    Variant folder(u"/opt/client");
    Call(76, Variant::ByRef(&folder));
    if (int32_t code = LastError()) return code;
    if (!netType.empty()) {
      Variant serverValue(std::move(server));
      Variant netTypeValue(std::move(netType));
      Call(7, Variant::ByRef(&serverValue), Variant::ByRef(&netTypeValue));
      if (int32_t code = LastError()) return code;
    }
    Variant path(automation::FromUtf8(file));
    Variant cache(int32_t{10000});
    Call(5, Variant::ByRef(&path), Variant::ByRef(&cache), int32_t{-1});
    if (int32_t code = LastError()) return code;
    Variant userValue(std::move(user));
    Variant passwordValue(std::move(password));
    Call(42, Variant::ByRef(&userValue), Variant::ByRef(&passwordValue));
    if (int32_t code = LastError()) return code;
    Variant company(kCompany);
    Call(9, Variant::ByRef(&company));
    if (int32_t code = LastError()) return code;
    Put(1, false);
    return 0;
  }

  // Opens a table the way the component does: the handle comes back through argument 1.
  int32_t OpenTable(int32_t tableNo) {
    Variant handle(int32_t{0});
    Variant number(tableNo);
    Call(47, Variant::ByRef(&handle), Variant::ByRef(&number));
    return handle.ToLong();
  }

 private:
  automation::Ref<automation::Dispatch> object_;
};

// A database holding the company kCompany for one test: a file, or a database of its own on
// the test server (dropped when the object goes).
class TestDatabase {
 public:
  explicit TestDatabase(Backend backend) : backend_(backend) {
    if (backend == Backend::kFile) {
      name_ = folder_.File("binding.db");
      CreateDatabase(name_);
      return;
    }
    name_ = talmo::testing::NewDatabaseName();
    ServerLogin login = Login();
    EXPECT_TRUE(Database::CreateOnServer(login, ApplicationSchema()).ok());
    std::unique_ptr<Database> db;
    EXPECT_TRUE(Database::Connect(login, OpenOptions{}, ApplicationSchema(), &db).ok());
    if (db) {
      EXPECT_TRUE(db->CreateCompany(kCompany).ok());
    }
  }
  ~TestDatabase() {
    if (backend_ == Backend::kServer) {
      talmo::testing::AdminQuery("postgres",
                                 "DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
    }
  }

  // Connects `client` with the company open; the first failing member's code, or 0.
  int32_t Connect(Client& client) const {
    if (backend_ == Backend::kFile) return client.Connect(name_);
    const talmo::testing::TestServer& server = talmo::testing::Server();
    return client.Connect(name_, automation::FromUtf8(server.user),
                          automation::FromUtf8(server.password),
                          automation::FromUtf8(server.host + ":" + std::to_string(server.port)),
                          u"tcp");
  }

  ServerLogin Login() const {
    const talmo::testing::TestServer& server = talmo::testing::Server();
    ServerLogin login;
    login.address.host = server.host;
    login.address.port = server.port;
    login.database = name_;
    login.user = server.user;
    login.password = server.password;
    return login;
  }

 private:
  Backend backend_;
  TempFolder folder_;
  std::string name_;
};

// The backend of a test's parameter: the backend itself, the first of a pair, or the file for
// tests that only assign values in record buffers.
inline Backend BackendOf(Backend backend) { return backend; }
template <class Row>
Backend BackendOf(const std::tuple<Backend, Row>& param) {
  return std::get<0>(param);
}
template <class Row>
Backend BackendOf(const Row&) {
  return Backend::kFile;
}

// A connected client on a fresh database with the company open, on the backend of the
// test's parameter.
template <class Param>
class ConnectedTestWith : public ::testing::TestWithParam<Param> {
 protected:
  void SetUp() override {
    database_ = std::make_unique<TestDatabase>(BackendOf(this->GetParam()));
    ASSERT_EQ(database_->Connect(client_), 0);
  }

  // Connects another client to the same database.
  int32_t ConnectOther(Client& other) { return database_->Connect(other); }

  // A table handle and a record buffer of it.
  struct Table {
    int32_t handle;
    int32_t record;
  };
  Table Open(int32_t tableNo) {
    const int32_t handle = client_.OpenTable(tableNo);
    EXPECT_EQ(client_.LastError(), 0) << "table " << tableNo;
    const int32_t record = client_.Call(15, handle).ToLong();
    EXPECT_EQ(client_.LastError(), 0);
    return {handle, record};
  }

  // Assigns field values and inserts the record; fails the test on any error.
  void InsertRecord(const Table& t, std::initializer_list<std::pair<int32_t, Variant>> fields) {
    client_.Call(25, t.handle, t.record);
    for (const auto& [field, value] : fields) {
      client_.Call(56, t.handle, t.record, field, value);
      ASSERT_EQ(client_.LastError(), 0) << "field " << field;
    }
    ASSERT_EQ(client_.Call(21, t.handle, t.record).ToLong(), -1);
    ASSERT_EQ(client_.LastError(), 0);
  }

  Variant Get(const Table& t, int32_t field) { return client_.Call(55, t.handle, t.record, field); }
  void Set(const Table& t, int32_t field, Variant value) {
    client_.Call(56, t.handle, t.record, field, std::move(value));
  }

  std::unique_ptr<TestDatabase> database_;
  Client client_;
};

using ConnectedTest = ConnectedTestWith<Backend>;

}  // namespace dbclient::binding_test
