// What only a database on a server has: addresses and network types, logging in with the
// server's authentication, connections that fail or break, TLS, and the round trips a
// request costs. Everything a database file has too is tested on both backends elsewhere.
#include <gtest/gtest.h>

#include <charconv>
#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/text_util.h"
#include "engine_test_support.h"
#include "error_codes.h"
#include "storage/postgres/connection.h"
#include "storage/record_cache.h"
#include "test_server.h"

namespace dbclient {
namespace {

using namespace testing;
using talmo::testing::AdminQuery;
using talmo::testing::Server;
using talmo::testing::ServerDatabase;

struct AddressRow {
  const char* name;
  std::u16string_view server;
  std::u16string_view netType;
  int32_t error;  // 0: parsed
  NetType type = NetType::kTcp;
  const char* host = "";
  int32_t port = 0;
};

class ServerAddressTest : public ::testing::TestWithParam<AddressRow> {};

TEST_P(ServerAddressTest, Parses) {
  const AddressRow& row = GetParam();
  ServerAddress address;
  const Status status = ServerAddress::Parse(row.server, row.netType, &address);
  ASSERT_TRUE(HasCode(status, row.error));
  if (row.error != 0) return;
  EXPECT_EQ(address.netType, row.type);
  EXPECT_EQ(address.host, row.host);
  EXPECT_EQ(address.port, row.port);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ServerAddressTest,
    ::testing::Values(
        AddressRow{"HostAlone", u"db.example", u"tcp", 0, NetType::kTcp, "db.example", 5432},
        AddressRow{"HostAndPort", u" 10.1.2.3:6543 ", u"TCP", 0, NetType::kTcp, "10.1.2.3", 6543},
        AddressRow{"Tls", u"db:1", u"tcps", 0, NetType::kTcps, "db", 1},
        AddressRow{"SocketFolder", u"/run/pg:7", u"Unix", 0, NetType::kUnix, "/run/pg", 7},
        AddressRow{"Ipv6WithoutPort", u"::1", u"tcp", 0, NetType::kTcp, "::1", 5432},
        AddressRow{"UnknownNetType", u"db", u"netb", errc::kUnknownNetType},
        AddressRow{"EmptyNetType", u"db", u"", errc::kUnknownNetType},
        AddressRow{"EmptyServer", u"  ", u"tcp", errc::kBadServerAddress},
        AddressRow{"PortOnly", u":5432", u"tcp", errc::kBadServerAddress},
        AddressRow{"PortZero", u"db:0", u"tcp", errc::kBadServerAddress},
        AddressRow{"PortTooLarge", u"db:65536", u"tcp", errc::kBadServerAddress},
        AddressRow{"PortNotANumber", u"db:x1", u"tcp", errc::kBadServerAddress},
        AddressRow{"EmptyPort", u"db:", u"tcp", errc::kBadServerAddress}),
    [](const auto& info) { return std::string(info.param.name); });

// The test server's login for `database` over TCP.
ServerLogin TcpLogin(const std::string& database) {
  ServerLogin login;
  login.address.host = Server().host;
  login.address.port = Server().port;
  login.database = database;
  login.user = Server().user;
  login.password = Server().password;
  return login;
}

struct ConnectRow {
  const char* name;
  void (*change)(ServerLogin* login);
  int32_t error;
};

class ServerConnectTest : public ::testing::TestWithParam<ConnectRow> {};

TEST_P(ServerConnectTest, FailsWithAClearError) {
  ServerDatabase database(talmo::testing::kSampleDatabase);
  ServerLogin login = TcpLogin(database.name());
  GetParam().change(&login);
  std::unique_ptr<Database> db;
  const Status status = Database::Connect(login, {}, ApplicationSchema(), &db);
  EXPECT_TRUE(HasCode(status, GetParam().error));
  EXPECT_EQ(db, nullptr);
  EXPECT_FALSE(status.detail().empty()) << "the server's own words stay in the detail";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ServerConnectTest,
    ::testing::Values(
        // Nothing listens there: 127.0.0.3 is this machine, and so is the port below 1024.
        ConnectRow{"WrongHost", [](ServerLogin* l) { l->address.host = "127.0.0.3"; },
                   errc::kServerUnavailable},
        ConnectRow{"WrongPort", [](ServerLogin* l) { l->address.port = 9; },
                   errc::kServerUnavailable},
        ConnectRow{"WrongPassword", [](ServerLogin* l) { l->password = "not-the-password"; },
                   errc::kLoginFailed},
        ConnectRow{"UnknownUser", [](ServerLogin* l) { l->user = "nobody_here"; },
                   errc::kLoginFailed},
        ConnectRow{"MissingDatabase", [](ServerLogin* l) { l->database = "no_such_db"; },
                   errc::kServerDatabaseNotFound},
        ConnectRow{"NotOurDatabase", [](ServerLogin* l) { l->database = "postgres"; },
                   errc::kNotADatabase},
        ConnectRow{"SocketFolderWithoutServer",
                   [](ServerLogin* l) {
                     l->address.netType = NetType::kUnix;
                     l->address.host = "/nonexistent-folder";
                   },
                   errc::kServerUnavailable}),
    [](const auto& info) { return std::string(info.param.name); });

class ServerSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(IsOk(Database::Connect(TcpLogin(database_.name()), {}, ApplicationSchema(), &db_)));
    ASSERT_TRUE(IsOk(db_->OpenCompany(u"Talmo Sample")));
    ASSERT_TRUE(IsOk(db_->OpenTable(kCustomer, &customers_)));
  }

  // Ends this client's connections from the server's side, as a server that stops does.
  void EndConnections() {
    AdminQuery("postgres",
               "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '" +
                   database_.name() + "' AND application_name = 'Talmo'");
  }

  int32_t CustomerCount() {
    int32_t count = 0;
    EXPECT_TRUE(IsOk(customers_->Count(&count)));
    return count;
  }

  static constexpr int32_t kCustomer = 18;
  ServerDatabase database_{talmo::testing::kSampleDatabase};
  std::unique_ptr<Database> db_;
  std::unique_ptr<Cursor> customers_;
};

TEST_F(ServerSessionTest, ABrokenConnectionIsAnErrorAtTheNextCallAndWritesNothingHalf) {
  const int32_t before = CustomerCount();
  ASSERT_TRUE(IsOk(db_->BeginWrite()));
  Record rec = customers_->NewRecord();
  for (const char16_t* no : {u"NEW1", u"NEW2"}) {
    ASSERT_TRUE(IsOk(rec.Set(1, Input(std::u16string(no)))));
    ASSERT_TRUE(IsOk(customers_->Insert(rec)));
  }
  EndConnections();
  EXPECT_TRUE(HasCode(customers_->Insert(rec), errc::kConnectionLost));
  EXPECT_TRUE(HasCode(db_->Commit(), errc::kConnectionLost));
  int32_t count = 0;
  EXPECT_TRUE(HasCode(customers_->Count(&count), errc::kConnectionLost)) << "and stays so";

  std::unique_ptr<Database> again;
  ASSERT_TRUE(IsOk(Database::Connect(TcpLogin(database_.name()), {}, ApplicationSchema(), &again)));
  ASSERT_TRUE(IsOk(again->OpenCompany(u"Talmo Sample")));
  ASSERT_TRUE(IsOk(again->OpenTable(kCustomer, &customers_)));
  EXPECT_EQ(CustomerCount(), before);
}

// The server's statistics count the rows of a bulk load once it commits, so that it plans
// for them (an empty table's plan sorts every record a cursor's page asks for).
TEST_F(ServerSessionTest, ABulkLoadIsAnalyzedWhenItCommits) {
  const auto analyzed_rows = [&] {
    return AdminQuery(database_.name(),
                      "SELECT reltuples::bigint FROM pg_class WHERE relname = 'c1_t18'");
  };
  std::vector<Record> records(300, customers_->NewRecord());
  for (size_t i = 0; i < records.size(); ++i) {
    ASSERT_TRUE(IsOk(records[i].Set(1, Input(u"LOAD" + text::FromUtf8(std::to_string(i))))));
  }
  ASSERT_TRUE(IsOk(db_->BeginWrite()));
  ASSERT_TRUE(IsOk(customers_->InsertAll(records)));
  const std::string before = analyzed_rows();
  ASSERT_TRUE(IsOk(db_->Commit()));
  EXPECT_EQ(analyzed_rows(), std::to_string(CustomerCount()));
  EXPECT_NE(analyzed_rows(), before);
}

// A statement the server refuses fails the whole transaction: it commits nothing and says
// so. Here the server holds a rule of its own that the name breaks.
TEST_F(ServerSessionTest, AFailedStatementFailsTheWholeTransaction) {
  AdminQuery(database_.name(), "ALTER TABLE c1_t18 ADD CONSTRAINT no_bad CHECK (f2 <> 'BAD')");
  const int32_t before = CustomerCount();
  ASSERT_TRUE(IsOk(db_->BeginWrite()));
  Record rec = customers_->NewRecord();
  ASSERT_TRUE(IsOk(rec.Set(1, Input(std::u16string(u"GOOD")))));
  ASSERT_TRUE(IsOk(customers_->Insert(rec)));
  ASSERT_TRUE(IsOk(rec.Set(1, Input(std::u16string(u"OTHER")))));
  ASSERT_TRUE(IsOk(rec.Set(2, Input(std::u16string(u"BAD")))));
  EXPECT_TRUE(HasCode(customers_->Insert(rec), errc::kStorageError));
  EXPECT_TRUE(HasCode(db_->Commit(), errc::kTransactionFailed));
  db_->SelectLatestVersion();
  EXPECT_EQ(CustomerCount(), before) << "GOOD was rolled back with the rest";
}

// The server ends texts at U+0000; such a text is refused before it is sent, never cut. Input
// refuses it already; a value stored as it is reaches the backend's own check.
TEST_F(ServerSessionTest, ATextTheServerCannotHoldIsRefusedNotCut) {
  const int32_t before = CustomerCount();
  Record rec = customers_->NewRecord();
  ASSERT_TRUE(IsOk(rec.Set(1, Input(std::u16string(u"NUL")))));
  const std::u16string withNul(u"a\0b", 3);
  EXPECT_TRUE(HasCode(rec.Set(2, Input(withNul)), errc::kNulInText));
  ASSERT_TRUE(IsOk(rec.SetValue(2, Value::Text(withNul))));
  EXPECT_TRUE(HasCode(customers_->Insert(rec), errc::kStorageError));
  db_->SelectLatestVersion();
  EXPECT_EQ(CustomerCount(), before);
}

TEST_F(ServerSessionTest, UsersAreTheServersOwn) {
  EXPECT_TRUE(HasCode(db_->AddUser(u"ADMIN", u"secret"), errc::kServerUsers));
  EXPECT_TRUE(IsOk(db_->Login(u"anyone", u"")))
      << "the connection has logged in already; the server checked the user";
}

TEST_F(ServerSessionTest, TlsIsUsedWhenRequired) {
  db_.reset();
  customers_.reset();
  ServerLogin login = TcpLogin(database_.name());
  login.address.netType = NetType::kTcps;
  std::unique_ptr<Database> db;
  ASSERT_TRUE(IsOk(Database::Connect(login, {}, ApplicationSchema(), &db)));
  EXPECT_EQ(AdminQuery("postgres",
                       "SELECT string_agg(s.ssl::text, ',') FROM pg_stat_ssl s"
                       " JOIN pg_stat_activity a USING (pid) WHERE a.datname = '" +
                           database_.name() + "' AND a.application_name = 'Talmo'"),
            "true");
}

TEST_F(ServerSessionTest, AKeyLookUpAsksTheServerOnlyTheFirstTime) {
  Record rec = customers_->NewRecord();
  ASSERT_TRUE(IsOk(customers_->Find(rec, u"-")));  // snapshot begun, a few records read ahead
  const uint64_t before = postgres::RoundTrips();
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(IsOk(customers_->Find(rec, u"=")));
  int32_t moved = 0;
  ASSERT_TRUE(IsOk(customers_->Next(rec, 1, &moved)));
  EXPECT_EQ(moved, 1);
  EXPECT_EQ(postgres::RoundTrips() - before, 1u)
      << "the first look-up asks (its statement prepared in the same request); the other nine"
         " come from the record cache, the step from the records read ahead";
}

// Inside a write transaction with CommitCache on, a change whose outcome the transaction's
// reads tell is sent with the next request. When another program changed the data meanwhile,
// or the server refuses the change, the error comes at the latest at the commit, and the
// transaction, rolled back, wrote nothing; the client keeps none of it either.
struct DeferredFailureRow {
  const char* name;
  const char* otherProgram;  // SQL another program commits after A read the records
  Status (*change)(Cursor& customers, Record& existing, Record& missing);
  int32_t error;
};

class ServerDeferredFailureTest : public ServerSessionTest,
                                  public ::testing::WithParamInterface<DeferredFailureRow> {};

TEST_P(ServerDeferredFailureTest, FailsTheCommitAndWritesNothing) {
  const DeferredFailureRow& row = GetParam();
  AdminQuery(database_.name(), "ALTER TABLE c1_t18 ADD CONSTRAINT no_bad CHECK (f2 <> 'BAD')");
  ASSERT_TRUE(IsOk(db_->BeginWrite()));
  Record existing = customers_->NewRecord();
  ASSERT_TRUE(IsOk(customers_->Find(existing, u"-")));
  ASSERT_TRUE(IsOk(customers_->Find(existing, u"=")));
  Record missing = customers_->NewRecord();
  ASSERT_TRUE(IsOk(missing.Set(1, u"NEWKEY")));
  ASSERT_TRUE(HasCode(customers_->Find(missing, u"="), errc::kRecordNotFound));
  if (*row.otherProgram != '\0') AdminQuery(database_.name(), row.otherProgram);
  const std::string digest = "SELECT md5(string_agg(t::text, '|' ORDER BY t::text)) FROM c1_t18 t";
  const std::string before = AdminQuery(database_.name(), digest);

  Record good = customers_->NewRecord();
  ASSERT_TRUE(IsOk(good.Set(1, u"GOODKEY")));
  ASSERT_TRUE(IsOk(customers_->Insert(good)));
  Status failure = row.change(*customers_, existing, missing);
  const Status commit = db_->Commit();
  if (failure.ok()) failure = commit;
  EXPECT_TRUE(HasCode(failure, row.error));
  EXPECT_FALSE(commit.ok());
  EXPECT_FALSE(db_->inWriteTransaction());
  EXPECT_EQ(AdminQuery(database_.name(), digest), before);
  EXPECT_TRUE(HasCode(customers_->Find(good, u"="), errc::kRecordNotFound))
      << "the rolled-back insert is not kept";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ServerDeferredFailureTest,
    ::testing::Values(
        DeferredFailureRow{"InsertOfAKeyAnotherProgramInserted",
                           "INSERT INTO c1_t18(f1) VALUES('NEWKEY')",
                           [](Cursor& c, Record&, Record& missing) { return c.Insert(missing); },
                           errc::kWriteConflict},
        DeferredFailureRow{"ModifyOfARecordAnotherProgramDeleted",
                           "DELETE FROM c1_t18 WHERE f1 = (SELECT min(f1) FROM c1_t18)",
                           [](Cursor& c, Record& existing, Record&) {
                             const Status status = existing.Set(2, u"Renamed");
                             return status.ok() ? c.Modify(existing) : status;
                           },
                           errc::kWriteConflict},
        DeferredFailureRow{"DeleteOfARecordAnotherProgramDeleted",
                           "DELETE FROM c1_t18 WHERE f1 = (SELECT min(f1) FROM c1_t18)",
                           [](Cursor& c, Record& existing, Record&) { return c.Delete(existing); },
                           errc::kWriteConflict},
        DeferredFailureRow{"ModifyTheServerRefuses", "",
                           [](Cursor& c, Record& existing, Record&) {
                             const Status status = existing.Set(2, u"BAD");
                             return status.ok() ? c.Modify(existing) : status;
                           },
                           errc::kStorageError}),
    [](const auto& info) { return std::string(info.param.name); });

// Whether an insert wrote is told truly, also when the one before it went unanswered.
TEST_F(ServerSessionTest, AnInsertAfterAnUnansweredOneSaysItFoundTheKey) {
  const int32_t before = CustomerCount();
  ASSERT_TRUE(IsOk(db_->BeginWrite()));
  Record rec = customers_->NewRecord();
  ASSERT_TRUE(IsOk(rec.Set(1, u"NEWKEY")));
  ASSERT_TRUE(HasCode(customers_->Find(rec, u"="), errc::kRecordNotFound));
  const uint64_t trips = postgres::RoundTrips();
  ASSERT_TRUE(IsOk(customers_->Insert(rec)));
  EXPECT_EQ(postgres::RoundTrips(), trips) << "sent with the next request";
  EXPECT_TRUE(HasCode(customers_->Insert(rec), errc::kRecordExists));
  ASSERT_TRUE(IsOk(db_->Commit()));
  db_->SelectLatestVersion();
  EXPECT_EQ(CustomerCount(), before + 1);
}

// The last record of a range of primary keys tells that no record has a key beyond it within
// the range: a look-up or an insert of such a key (the next number) costs no request. Keys
// outside the range, before that record, or beyond a record found by a filter on another
// field are still asked for.
TEST_F(ServerSessionTest, AKeyBeyondTheLastOfAKeyRangeIsKnownMissing) {
  const int32_t before = CustomerCount();
  std::unique_ptr<Cursor> byKey;
  ASSERT_TRUE(IsOk(db_->OpenTable(kCustomer, &byKey)));
  const auto lookUp = [&](std::u16string_view number) {
    Record rec = byKey->NewRecord();
    EXPECT_TRUE(IsOk(rec.Set(1, number)));
    return byKey->Find(rec, u"=");
  };
  ASSERT_TRUE(IsOk(db_->BeginWrite()));
  Record last = customers_->NewRecord();
  std::unique_ptr<Cursor> ranged;
  // The second search, of another range of the same shape, reads just its last record.
  for (std::u16string_view end : {u"10495", u"10505"}) {
    ASSERT_TRUE(IsOk(db_->OpenTable(kCustomer, &ranged)));
    ASSERT_TRUE(IsOk(ranged->SetRange(1, u"10000", end)));
    ASSERT_TRUE(IsOk(ranged->Find(last, u"+")));
  }
  Record walked = last;
  ASSERT_EQ(last.Find(1)->text(), u"10500");
  EXPECT_TRUE(IsOk(lookUp(u"10510"))) << "beyond the range";
  EXPECT_TRUE(IsOk(lookUp(u"10490"))) << "before the last record";
  int32_t moved = 0;
  ASSERT_TRUE(IsOk(ranged->Next(walked, -1, &moved)));
  EXPECT_EQ(moved, -1);
  EXPECT_EQ(walked.Find(1)->text(), u"10490") << "a walk from a page of one record reads on";

  const uint64_t trips = postgres::RoundTrips();
  EXPECT_TRUE(HasCode(lookUp(u"10501"), errc::kRecordNotFound));
  Record next = customers_->NewRecord();
  ASSERT_TRUE(IsOk(next.Set(1, u"10502")));
  ASSERT_TRUE(IsOk(customers_->Insert(next)));
  EXPECT_EQ(postgres::RoundTrips(), trips);

  Record lastOfAll = byKey->NewRecord();
  ASSERT_TRUE(IsOk(byKey->Find(lastOfAll, u"+")));
  ASSERT_TRUE(IsOk(customers_->SetFilter(2, u"<B")));  // blank names too, as a look-up's
  ASSERT_TRUE(IsOk(customers_->Find(last, u"+")));
  ASSERT_LT(last.Find(1)->Compare(*lastOfAll.Find(1)), 0);
  EXPECT_TRUE(IsOk(lookUp(lastOfAll.Find(1)->text()))) << "the filter is not on the key";

  ASSERT_TRUE(IsOk(db_->Commit()));
  db_->SelectLatestVersion();
  customers_->ClearFilters();
  EXPECT_EQ(CustomerCount(), before + 1);
  EXPECT_TRUE(IsOk(lookUp(u"10502")));
}

// The last record of a key range is kept with the connection's own changes applied: the same
// search again costs no request, in the next transaction too. What a rollback undoes and what
// another client commits show at the next snapshot or transaction, not before.
TEST_F(ServerSessionTest, TheLastRecordOfAKeyRangeFollowsEveryChange) {
  std::unique_ptr<Database> other;
  std::unique_ptr<Cursor> theirs;
  ASSERT_TRUE(IsOk(Database::Connect(TcpLogin(database_.name()), {}, ApplicationSchema(), &other)));
  ASSERT_TRUE(IsOk(other->OpenCompany(u"Talmo Sample")));
  ASSERT_TRUE(IsOk(other->OpenTable(kCustomer, &theirs)));
  uint64_t trips = 0;
  const auto lastInRange = [&] {
    std::unique_ptr<Cursor> ranged;
    EXPECT_TRUE(IsOk(db_->OpenTable(kCustomer, &ranged)));
    EXPECT_TRUE(IsOk(ranged->SetRange(1, u"10000", u"10505")));
    Record last = ranged->NewRecord();
    const uint64_t before = postgres::RoundTrips();
    EXPECT_TRUE(IsOk(ranged->Find(last, u"+")));
    trips = postgres::RoundTrips() - before;
    return last;
  };
  const auto no = [](const Record& rec) { return rec.Find(1)->text(); };
  const auto numbered = [](Cursor& cursor, std::u16string_view number) {
    Record rec = cursor.NewRecord();
    EXPECT_TRUE(IsOk(rec.Set(1, number)));
    return rec;
  };

  ASSERT_TRUE(IsOk(db_->BeginWrite()));
  EXPECT_EQ(no(lastInRange()), u"10500");
  ASSERT_TRUE(IsOk(customers_->Insert(numbered(*customers_, u"10502"))));
  EXPECT_EQ(no(lastInRange()), u"10502");
  EXPECT_EQ(trips, 0u);
  ASSERT_TRUE(IsOk(db_->Commit()));
  ASSERT_TRUE(IsOk(db_->BeginWrite()));
  EXPECT_EQ(no(lastInRange()), u"10502");
  EXPECT_EQ(trips, 0u) << "the commit raised only its own version";
  Record renamed = numbered(*customers_, u"10502");
  ASSERT_TRUE(IsOk(renamed.Set(2, u"Renamed")));
  ASSERT_TRUE(IsOk(customers_->Modify(renamed)));
  EXPECT_EQ(lastInRange().Find(2)->text(), u"Renamed");
  ASSERT_TRUE(IsOk(customers_->Delete(numbered(*customers_, u"10502"))));
  EXPECT_EQ(no(lastInRange()), u"10500");
  ASSERT_TRUE(IsOk(db_->Rollback()));
  EXPECT_EQ(no(lastInRange()), u"10502");

  ASSERT_TRUE(IsOk(theirs->Insert(numbered(*theirs, u"10503"))));
  EXPECT_EQ(no(lastInRange()), u"10502") << "within the snapshot";
  db_->SelectLatestVersion();
  EXPECT_EQ(no(lastInRange()), u"10503");
}

// The record cache holds about its capacity in bytes (what Cache sets), dropping the records
// used least recently, and answers for an entry only under the generation it was stored with.
// Numeric columns arrive as text; the short way of reading them must give from_chars's
// double bit for bit, the long way included.
TEST(ServerTextTest, DecimalsReadAsFromCharsReadsThem) {
  const auto fromChars = [](std::string_view text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
  };
  std::vector<std::string> texts = {"0",   "-0",   "0.0",  "-0.000", "1",    "0.1",     "0.3",
                                    "2.675", "-136.2", "999999999999999", "1234567890.12345",
                                    "0.000000000000001", "12345678901234567", "1.2.3", "NaN",
                                    "-",   "",     "."};
  std::mt19937_64 random(20261207);
  for (int i = 0; i < 20000; ++i) {
    const int decimals = static_cast<int>(random() % 16);
    const uint64_t digits = random() % 10000000000000000u;  // up to 16 digits
    std::string text = std::to_string(digits);
    if (decimals > 0) {
      text.insert(0, text.size() <= static_cast<size_t>(decimals) ? decimals + 1 - text.size() : 0,
                  '0');
      text.insert(text.size() - decimals, ".");
    }
    if (random() % 2) text.insert(0, "-");
    texts.push_back(std::move(text));
  }
  for (const std::string& text : texts) {
    const double expected = fromChars(text);
    const double got = postgres::DecimalFromText(text);
    EXPECT_EQ(std::memcmp(&expected, &got, sizeof got), 0) << text;
  }
}

TEST(RecordCacheTest, KeepsItsBoundAndOnlyCurrentEntries) {
  using Knowledge = RecordCache::Knowledge;
  const TableId id{1, kCustomerTable};
  const auto customer = [](std::u16string_view no) {
    Record rec(*TestSchema().FindTable(kCustomerTable));
    EXPECT_TRUE(IsOk(rec.Set(customer::kNo, no)));
    return rec;
  };
  const auto knows = [&](RecordCache& cache, std::u16string_view no,
                         uint64_t generation) {
    const Record* found = nullptr;
    return cache.Find(id, PrimaryKeyOf(customer(no)), generation, &found);
  };
  RecordCache measure(1 << 20);
  measure.Put(id, customer(u"A"), 1);
  const size_t capacity = measure.bytes() * 5 / 2;  // room for two records
  RecordCache cache(capacity);
  cache.Put(id, customer(u"A"), 1);
  cache.Put(id, customer(u"B"), 1);
  EXPECT_EQ(knows(cache, u"A", 1), Knowledge::kRecord);  // A used after B
  cache.Put(id, customer(u"C"), 1);
  EXPECT_LE(cache.bytes(), capacity);
  EXPECT_EQ(knows(cache, u"B", 1), Knowledge::kNothing) << "the least recently used went";
  EXPECT_EQ(knows(cache, u"C", 1), Knowledge::kRecord);
  EXPECT_EQ(knows(cache, u"A", 2), Knowledge::kNothing) << "stored under another generation";
  cache.PutMissing(id, PrimaryKeyOf(customer(u"D")), 1);
  EXPECT_EQ(knows(cache, u"D", 1), Knowledge::kMissing);
  RecordCache none(0);
  none.Put(id, customer(u"A"), 1);
  EXPECT_EQ(knows(none, u"A", 1), Knowledge::kNothing);
}

// A database written before tables had data versions gets them from the first client that
// connects; another client's change then reaches a reader as on a new database.
TEST(ServerDatabaseTest, ADatabaseWithoutDataVersionsGetsThemOnConnect) {
  ServerDatabase database(talmo::testing::kSampleDatabase);
  AdminQuery(database.name(),
             "DROP TABLE talmo_versions; DROP FUNCTION talmo_changed CASCADE;"
             " DROP FUNCTION talmo_one");
  const OpenOptions options{.snapshotLimit = std::chrono::hours(1)};
  std::unique_ptr<Database> a, b;
  std::unique_ptr<Cursor> theirs, mine;
  for (auto [db, cursor] : {std::pair{&a, &mine}, std::pair{&b, &theirs}}) {
    ASSERT_TRUE(
        IsOk(Database::Connect(TcpLogin(database.name()), options, ApplicationSchema(), db)));
    ASSERT_TRUE(IsOk((*db)->OpenCompany(u"Talmo Sample")));
    ASSERT_TRUE(IsOk((*db)->OpenTable(18, cursor)));
  }
  Record rec = mine->NewRecord();
  ASSERT_TRUE(IsOk(mine->Find(rec, u"-")));
  ASSERT_TRUE(IsOk(mine->Find(rec, u"=")));
  const uint64_t trips = postgres::RoundTrips();
  ASSERT_TRUE(IsOk(mine->Find(rec, u"=")));
  EXPECT_EQ(postgres::RoundTrips(), trips) << "the record cache keeps its records";
  Record changed = rec;
  ASSERT_TRUE(IsOk(changed.Set(2, u"Renamed by B")));
  ASSERT_TRUE(IsOk(theirs->Modify(changed)));
  a->SelectLatestVersion();
  ASSERT_TRUE(IsOk(mine->Find(rec, u"=")));
  EXPECT_EQ(rec.Find(2)->text(), u"Renamed by B");
}

TEST(ServerDatabaseTest, CreatedOnceUpgradedAndRefusedWhenNewer) {
  ServerLogin login = TcpLogin(talmo::testing::NewDatabaseName());
  ASSERT_TRUE(IsOk(Database::CreateOnServer(login, TestSchema(1))));
  EXPECT_TRUE(HasCode(Database::CreateOnServer(login, TestSchema(1)), errc::kServerDatabaseExists));
  std::unique_ptr<Database> db;
  ASSERT_TRUE(IsOk(Database::Connect(login, {}, TestSchema(1), &db)));
  ASSERT_TRUE(IsOk(db->CreateCompany(u"CRONUS")));
  db.reset();
  ASSERT_TRUE(IsOk(Database::Connect(login, {}, TestSchema(2), &db)));
  ASSERT_TRUE(IsOk(db->OpenCompany(u"CRONUS")));
  std::unique_ptr<Cursor> notes;
  ASSERT_TRUE(IsOk(db->OpenTable(4, &notes))) << "the table version 2 adds";
  int32_t count = -1;
  EXPECT_TRUE(IsOk(notes->Count(&count)));
  EXPECT_EQ(count, 0);
  db.reset();
  notes.reset();
  EXPECT_TRUE(HasCode(Database::Connect(login, {}, TestSchema(1), &db), errc::kSchemaNewer));
  AdminQuery("postgres", "DROP DATABASE " + login.database + " WITH (FORCE)");
}

}  // namespace
}  // namespace dbclient
