// Database files, users, companies, schema versions, the field-description table, injected
// storage faults and the error catalogue.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "engine/field_table.h"
#include "engine/password.h"
#include "storage/sqlite/storage.h"
#include "engine/storage.h"
#include "engine/text_util.h"
#include "engine_test_support.h"
#include "error_codes.h"

namespace dbclient {
namespace {

using namespace testing;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(DatabaseFileTest, CreateAndOpenRefuseWhatTheyShould) {
  TempFolder dir;
  std::unique_ptr<Database> db;
  EXPECT_TRUE(HasCode(Database::Open(dir.File("missing.db"), {}, TestSchema(), &db),
                      errc::kDatabaseNotFound));
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing.db"))) << "never created by Open";
  EXPECT_TRUE(
      HasCode(Database::Open(dir.path().string(), {}, TestSchema(), &db), errc::kDatabaseNotFound));

  ASSERT_TRUE(IsOk(Database::Create(dir.File("a.db"), TestSchema())));
  EXPECT_TRUE(HasCode(Database::Create(dir.File("a.db"), TestSchema()), errc::kDatabaseExists));

  std::ofstream(dir.File("text.db")) << "this is not a database file, just some text\n";
  EXPECT_TRUE(
      HasCode(Database::Open(dir.File("text.db"), {}, TestSchema(), &db), errc::kNotADatabase));
  sqlite3* other = nullptr;
  sqlite3_open(dir.File("other.db").c_str(), &other);
  sqlite3_exec(other, "CREATE TABLE t(x)", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_TRUE(
      HasCode(Database::Open(dir.File("other.db"), {}, TestSchema(), &db), errc::kNotADatabase));
  EXPECT_EQ(db, nullptr);
}

TEST(DatabaseFileTest, BareNameIsRelativeToTheCurrentFolder) {
  TempFolder dir;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const Status created = Database::Create("bare.db", TestSchema());
  std::unique_ptr<Database> db;
  const Status opened = Database::Open("bare.db", {}, TestSchema(), &db);
  db.reset();
  std::filesystem::current_path(previous);
  EXPECT_TRUE(IsOk(created));
  EXPECT_TRUE(IsOk(opened));
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "bare.db"));
}

TEST(DatabaseFileTest, UsersAndLogIn) {
  TempFolder dir;
  const std::string file = dir.File("users.db");
  ASSERT_TRUE(IsOk(Database::Create(file, TestSchema())));
  std::unique_ptr<Database> db;
  ASSERT_TRUE(IsOk(Database::Open(file, {}, TestSchema(), &db)));
  ASSERT_TRUE(IsOk(db->CreateCompany(u"CRONUS")));
  EXPECT_TRUE(HasCode(db->OpenCompany(u"CRONUS"), errc::kNotLoggedIn));
  EXPECT_TRUE(IsOk(db->Login(u"", u""))) << "no users: anyone may log in";
  ASSERT_TRUE(IsOk(db->BeginWrite()));
  ASSERT_TRUE(IsOk(db->AddUser(u"Undone", u"x")));
  ASSERT_TRUE(IsOk(db->Rollback()));
  EXPECT_TRUE(IsOk(db->Login(u"", u""))) << "a user added in a rolled-back transaction is gone";
  ASSERT_TRUE(IsOk(db->AddUser(u"Admin", u"Heslo-123")));
  EXPECT_TRUE(HasCode(db->AddUser(u"ADMIN", u"x"), errc::kUserExists));
  EXPECT_TRUE(HasCode(db->AddUser(u"", u"x"), errc::kInvalidName));
  EXPECT_TRUE(HasCode(db->Login(u"", u""), errc::kLoginFailed));
  EXPECT_TRUE(HasCode(db->OpenCompany(u"CRONUS"), errc::kNotLoggedIn))
      << "a failed log-in logs out";
  EXPECT_TRUE(HasCode(db->Login(u"admin", u"heslo-123"), errc::kLoginFailed));
  EXPECT_TRUE(HasCode(db->Login(u"nobody", u"Heslo-123"), errc::kLoginFailed));
  EXPECT_TRUE(IsOk(db->Login(u"admin", u"Heslo-123"))) << "user names ignore case";
  EXPECT_TRUE(IsOk(db->OpenCompany(u"CRONUS")));
  db.reset();
  EXPECT_EQ(ReadFile(file).find("Heslo-123"), std::string::npos);
  EXPECT_EQ(ReadFile(file + "-wal").find("Heslo-123"), std::string::npos);
}

TEST(DatabaseFileTest, UsersCanBeRemovedAndTheLastRemovalOpensTheDatabaseAgain) {
  TempFolder dir;
  std::unique_ptr<Database> db = CreateAndOpen(dir.File("users.db"), TestSchema());
  ASSERT_NE(db, nullptr);
  ASSERT_TRUE(IsOk(db->AddUser(u"Novák", u"a")));
  ASSERT_TRUE(IsOk(db->AddUser(u"admin", u"b")));
  std::vector<std::u16string> users;
  ASSERT_TRUE(IsOk(db->Users(&users)));
  EXPECT_EQ(users, (std::vector<std::u16string>{u"ADMIN", u"NOVÁK"}));
  EXPECT_TRUE(HasCode(db->RemoveUser(u"nobody"), errc::kUserNotFound));
  ASSERT_TRUE(IsOk(db->RemoveUser(u"novák")));
  EXPECT_TRUE(HasCode(db->Login(u"Novák", u"a"), errc::kLoginFailed));
  EXPECT_TRUE(HasCode(db->Login(u"", u""), errc::kLoginFailed));
  ASSERT_TRUE(IsOk(db->RemoveUser(u"ADMIN")));
  ASSERT_TRUE(IsOk(db->Users(&users)));
  EXPECT_TRUE(users.empty());
  EXPECT_TRUE(IsOk(db->Login(u"", u""))) << "no users left: anyone may log in again";
}

TEST(PasswordTest, HashesAreSaltedArgon2idTextsThatOnlyTheirPasswordMatches) {
  std::string hash;
  ASSERT_TRUE(IsOk(password::Hash(u"tajné", &hash)));
  EXPECT_TRUE(hash.starts_with("$argon2id$")) << hash;
  std::string again;
  ASSERT_TRUE(IsOk(password::Hash(u"tajné", &again)));
  EXPECT_NE(hash, again) << "a new salt for every hash";
  EXPECT_TRUE(password::Verify(hash, u"tajné"));
  EXPECT_TRUE(password::Verify(again, u"tajné"));
  EXPECT_FALSE(password::Verify(hash, u"tajne"));
  EXPECT_FALSE(password::Verify(hash, u""));
  for (const std::string& bad :
       {std::string(), std::string(32, '\x7f'), std::string(200, '$'), hash.substr(0, 20)}) {
    EXPECT_FALSE(password::Verify(bad, u"tajné")) << bad;
  }
}

// A users table as files written before Argon2id hold it: salt and raw hash.
TEST(DatabaseFileTest, AnOldUsersTableIsUpgradedAndItsUsersMustBeAddedAgain) {
  TempFolder dir;
  const std::string file = dir.File("old-users.db");
  ASSERT_NE(CreateAndOpen(file, TestSchema()), nullptr);
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(raw,
                         "DROP TABLE talmo_users;"
                         "CREATE TABLE talmo_users(name TEXT PRIMARY KEY, salt BLOB NOT NULL,"
                         " hash BLOB NOT NULL) WITHOUT ROWID;"
                         "INSERT INTO talmo_users VALUES('OLD', zeroblob(16), zeroblob(32));",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(raw);

  std::unique_ptr<Database> db;
  ASSERT_TRUE(IsOk(Database::Open(file, {}, TestSchema(), &db)));
  EXPECT_TRUE(HasCode(db->Login(u"old", u""), errc::kLoginFailed));
  ASSERT_TRUE(IsOk(db->AddUser(u"new", u"heslo")));
  EXPECT_TRUE(IsOk(db->Login(u"new", u"heslo")));
  EXPECT_TRUE(IsOk(db->RemoveUser(u"old")));
}

// Files that Open refuses: it reports them as not being databases of this client and leaves
// them exactly as they were. The crafted catalogues stand for damaged or hostile files.
struct RefusedFile {
  const char* name;
  std::string content;  // bytes of the file, or the SQL that makes it when `sql`
  bool sql;
};

class RefusedFileTest : public ::testing::TestWithParam<RefusedFile> {};

// Catalogue tables in the loosest shape a crafted file may give them, filled by `rows`.
std::string Catalogue(const std::string& rows) {
  return "CREATE TABLE talmo_meta(name, value);"
         "CREATE TABLE talmo_tables(table_no, primary_key);"
         "CREATE TABLE talmo_fields(table_no, field_no, type);"
         "CREATE TABLE talmo_companies(id, name);"
         "CREATE TABLE talmo_users(name, password_hash);" +
         rows;
}
const std::string kGoodMeta =
    "INSERT INTO talmo_meta VALUES('format','talmo-dbclient'),('schema_version',1);";

TEST_P(RefusedFileTest, IsNotADatabaseAndStaysByteIdentical) {
  TempFolder dir;
  const std::string file = dir.File("refused.db");
  if (GetParam().sql) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, GetParam().content.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
  } else {
    std::ofstream(file, std::ios::binary) << GetParam().content;
  }
  const std::string before = ReadFile(file);
  std::unique_ptr<Database> db;
  EXPECT_TRUE(HasCode(Database::Open(file, {}, TestSchema(), &db), errc::kNotADatabase));
  EXPECT_EQ(db, nullptr);
  EXPECT_EQ(ReadFile(file), before);
  EXPECT_FALSE(std::filesystem::exists(file + "-wal"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedFileTest,
    ::testing::Values(
        RefusedFile{"Empty", "", false},
        RefusedFile{"Text", "this is not a database file, just some text\n", false},
        RefusedFile{"ForeignSqlite", "CREATE TABLE t(x); INSERT INTO t VALUES(1);", true},
        RefusedFile{"MetaNameNull", Catalogue("INSERT INTO talmo_meta VALUES(NULL,'x');"), true},
        RefusedFile{"FormatNull", Catalogue("INSERT INTO talmo_meta VALUES('format',NULL);"),
                    true},
        RefusedFile{"VersionText",
                    Catalogue("INSERT INTO talmo_meta VALUES('format','talmo-dbclient'),"
                              "('schema_version','one');"),
                    true},
        RefusedFile{"TableNumberNull",
                    Catalogue(kGoodMeta + "INSERT INTO talmo_tables VALUES(NULL,'1');"), true},
        RefusedFile{"PrimaryKeyNull",
                    Catalogue(kGoodMeta + "INSERT INTO talmo_tables VALUES(1,NULL);"), true},
        RefusedFile{"FieldNumberOutOfRange",
                    Catalogue(kGoodMeta + "INSERT INTO talmo_fields VALUES(1,5000000000,0);"),
                    true},
        RefusedFile{"FieldTypeUnknown",
                    Catalogue(kGoodMeta + "INSERT INTO talmo_fields VALUES(1,1,99);"), true},
        RefusedFile{"CompanyNameNull",
                    Catalogue(kGoodMeta + "INSERT INTO talmo_companies VALUES(1,NULL);"), true},
        RefusedFile{"CompanyIdText",
                    Catalogue(kGoodMeta + "INSERT INTO talmo_companies VALUES('x','A');"), true},
        RefusedFile{"UserNameNull",
                    Catalogue(kGoodMeta + "INSERT INTO talmo_users VALUES(NULL,'h');"), true}),
    [](const ::testing::TestParamInfo<RefusedFile>& info) { return info.param.name; });

TEST(DatabaseFileTest, CompaniesAreSeparate) {
  TempFolder dir;
  std::unique_ptr<Database> db = CreateAndOpen(dir.File("c.db"), TestSchema());
  ASSERT_NE(db, nullptr);
  EXPECT_TRUE(HasCode(db->CreateCompany(u"cronus"), errc::kCompanyExists));
  for (std::u16string_view bad :
       {u"", u" Lead", u"Trail ", u"Tab\tin", u"A name that is far too long for a company"}) {
    EXPECT_TRUE(HasCode(db->CreateCompany(bad), errc::kInvalidName)) << Utf8(bad);
  }
  ASSERT_TRUE(IsOk(db->CreateCompany(u"Pobočka Brno")));
  std::vector<std::u16string> names;
  ASSERT_TRUE(IsOk(db->Companies(&names)));
  EXPECT_EQ(names, (std::vector<std::u16string>{u"CRONUS", u"Pobočka Brno"}));

  std::unique_ptr<Cursor> customers;
  ASSERT_TRUE(IsOk(db->OpenTable(kCustomerTable, &customers)));
  ASSERT_TRUE(IsOk(customers->Insert(MakeRecord(*customers, {{customer::kNo, u"ONLY-CRONUS"}}))));
  EXPECT_EQ(db->companyName(), u"CRONUS");

  ASSERT_TRUE(IsOk(db->OpenCompany(u"POBOČKA BRNO")));
  EXPECT_EQ(db->companyName(), u"Pobočka Brno");
  ASSERT_TRUE(IsOk(db->OpenTable(kCustomerTable, &customers)));
  int32_t count = -1;
  ASSERT_TRUE(IsOk(customers->Count(&count)));
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(HasCode(db->OpenCompany(u"Nowhere"), errc::kCompanyNotFound));
  EXPECT_TRUE(db->companyOpen()) << "a failed open keeps the open company";
  db->CloseCompany();
  EXPECT_TRUE(HasCode(db->OpenTable(kCustomerTable, &customers), errc::kNoCompany));
}

TEST(DatabaseFileTest, TableNamesAndNumbers) {
  TempFolder dir;
  std::unique_ptr<Database> db = CreateAndOpen(dir.File("n.db"), TestSchema());
  ASSERT_NE(db, nullptr);
  int32_t number = 0;
  ASSERT_TRUE(IsOk(db->TableNoOfName(u"document line", &number)));
  EXPECT_EQ(number, kLineTable);
  ASSERT_TRUE(IsOk(db->TableNoOfName(u"Field", &number)));
  EXPECT_EQ(number, kFieldTableNo);
  const Status unknown = db->TableNoOfName(u"Zákazník", &number);
  EXPECT_TRUE(HasCode(unknown, errc::kUnknownTableName));
  EXPECT_EQ(unknown.detail(), "Zákazník");
  EXPECT_EQ(unknown.ToString(), "The table Zákazník does not exist.");
  std::unique_ptr<Cursor> cursor;
  EXPECT_TRUE(HasCode(db->OpenTable(99, &cursor), errc::kUnknownTable));
  EXPECT_EQ(db->FindTable(99), nullptr);
  ASSERT_NE(db->FindTable(kEntryTable), nullptr);
  EXPECT_EQ(db->FindTable(kEntryTable)->name, "Entry");
}

TEST(SchemaVersionTest, OlderFilesAreUpgradedNewerOrChangedOnesRefused) {
  TempFolder dir;
  const std::string file = dir.File("v1.db");
  {
    std::unique_ptr<Database> db = CreateAndOpen(file, TestSchema(1));
    ASSERT_NE(db, nullptr);
    std::unique_ptr<Cursor> customers;
    ASSERT_TRUE(IsOk(db->OpenTable(kCustomerTable, &customers)));
    ASSERT_TRUE(IsOk(customers->Insert(
        MakeRecord(*customers, {{customer::kNo, u"OLD"}, {customer::kBalance, 12.5}}))));
  }
  std::unique_ptr<Database> db;
  ASSERT_TRUE(IsOk(Database::Open(file, {}, TestSchema(2), &db)));
  ASSERT_TRUE(IsOk(db->Login(u"", u"")));
  ASSERT_TRUE(IsOk(db->OpenCompany(u"CRONUS")));
  std::unique_ptr<Cursor> customers;
  ASSERT_TRUE(IsOk(db->OpenTable(kCustomerTable, &customers)));
  Record rec = MakeRecord(*customers, {{customer::kNo, u"OLD"}});
  ASSERT_TRUE(IsOk(customers->Find(rec, u"=")));
  EXPECT_EQ(rec.Find(customer::kBalance)->decimal(), 12.5);
  EXPECT_EQ(rec.Find(customer::kCreditLimit)->decimal(), 1000.0)
      << "a field added later reads its initial value";
  ASSERT_TRUE(IsOk(customers->SetCurrentKey(std::vector<int32_t>{customer::kBalance})));
  std::unique_ptr<Cursor> notes;
  ASSERT_TRUE(IsOk(db->OpenTable(4, &notes)));
  ASSERT_TRUE(IsOk(notes->Insert(MakeRecord(*notes, {{1, int64_t{1}}, {2, u"new table"}}))));
  db.reset();

  // The upgraded file is now too new for the old application.
  EXPECT_TRUE(HasCode(Database::Open(file, {}, TestSchema(1), &db), errc::kSchemaNewer));

  // The same version with other tables: nothing tells which side is right.
  TableDef changed = TestSchema(2).tables()[1];
  changed.fields[2].type = FieldType::kInteger;
  std::vector<TableDef> tables(TestSchema(2).tables().begin(), TestSchema(2).tables().end());
  tables[1] = changed;
  const Schema same_version(2, tables);
  EXPECT_TRUE(HasCode(Database::Open(file, {}, same_version, &db), errc::kSchemaIncompatible));
  const Schema later_version(3, tables);
  EXPECT_TRUE(HasCode(Database::Open(file, {}, later_version, &db), errc::kSchemaIncompatible))
      << "a field whose type changed cannot be upgraded";
  tables = std::vector<TableDef>(TestSchema(2).tables().begin(), TestSchema(2).tables().end());
  tables[2].keys[0].fields.pop_back();
  const Schema new_key(3, tables);
  EXPECT_TRUE(HasCode(Database::Open(file, {}, new_key, &db), errc::kSchemaIncompatible));
  ASSERT_TRUE(IsOk(Database::Open(file, {}, TestSchema(2), &db))) << "refusals change nothing";
}

TEST(FieldTableTest, DescribesEveryFieldAndIsReadOnly) {
  TempFolder dir;
  std::unique_ptr<Database> db = CreateAndOpen(dir.File("f.db"), TestSchema());
  ASSERT_NE(db, nullptr);
  std::unique_ptr<Cursor> fields;
  ASSERT_TRUE(IsOk(db->OpenTable(kFieldTableNo, &fields)));
  EXPECT_EQ(fields->CurrentKey(), (std::vector<int32_t>{field_table::kTableNo, field_table::kNo}));

  Record rec = MakeRecord(*fields, {{field_table::kTableNo, int64_t{kEntryTable}},
                                    {field_table::kNo, int64_t{entry::kCustomerNo}}});
  ASSERT_TRUE(IsOk(fields->Find(rec, u"=")));
  EXPECT_EQ(rec.Find(field_table::kFieldName)->text(), u"Customer No.");
  EXPECT_EQ(rec.Find(field_table::kTableName)->text(), u"Entry");
  EXPECT_EQ(rec.Find(field_table::kRelationTableNo)->integer(), kCustomerTable);
  EXPECT_EQ(rec.Find(field_table::kType)->integer(), static_cast<int>(FieldType::kCode));
  EXPECT_EQ(rec.Find(field_table::kLength)->integer(), 20);

  ASSERT_TRUE(IsOk(rec.Set(field_table::kNo, int64_t{entry::kAmount})));
  ASSERT_TRUE(IsOk(fields->Find(rec, u"=")));
  EXPECT_EQ(rec.Find(field_table::kRelationTableNo)->integer(), 0);
  ASSERT_TRUE(IsOk(rec.Set(field_table::kNo, int64_t{99})));
  EXPECT_TRUE(HasCode(fields->Find(rec, u"="), errc::kRecordNotFound));

  int32_t total = 0;
  ASSERT_TRUE(IsOk(fields->Count(&total)));
  size_t expected = FieldTableDef().fields.size();
  for (const TableDef& table : TestSchema().tables()) expected += table.fields.size();
  EXPECT_EQ(total, static_cast<int32_t>(expected));

  // Walk one table's fields in key order with a filter.
  ASSERT_TRUE(IsOk(
      fields->SetRange(field_table::kTableNo, int64_t{kCustomerTable}, int64_t{kCustomerTable})));
  ASSERT_TRUE(IsOk(fields->SetFilter(field_table::kClass, u"FlowField")));
  ASSERT_TRUE(IsOk(fields->Find(rec, u"-")));
  std::vector<int32_t> flow_fields;
  int32_t moved = 1;
  while (moved == 1) {
    flow_fields.push_back(rec.Find(field_table::kNo)->integer());
    ASSERT_TRUE(IsOk(fields->Next(rec, 1, &moved)));
  }
  EXPECT_EQ(flow_fields, (std::vector<int32_t>{customer::kSales, customer::kEntries,
                                               customer::kHasEntries, customer::kQuantity}));
  ASSERT_TRUE(IsOk(fields->Next(rec, -2, &moved)));
  EXPECT_EQ(moved, -2);
  EXPECT_EQ(rec.Find(field_table::kNo)->integer(), customer::kEntries);

  EXPECT_TRUE(HasCode(fields->Insert(rec), errc::kReadOnlyTable));
  EXPECT_TRUE(HasCode(fields->Modify(rec), errc::kReadOnlyTable));
  EXPECT_TRUE(HasCode(fields->Delete(rec), errc::kReadOnlyTable));
  EXPECT_TRUE(HasCode(fields->DeleteAll(), errc::kReadOnlyTable));
}

// A storage whose chosen calls fail, as a full disk or a broken connection would.
class FailingStorage : public StorageWrapper {
 public:
  using StorageWrapper::StorageWrapper;
  bool failCommit = false;
  bool failInsert = false;

  Status Commit() override {
    if (!failCommit) return StorageWrapper::Commit();
    // A commit that fails has rolled back.
    StorageWrapper::Rollback();
    return Status::Error(errc::kStorageError, "injected");
  }
  Status Insert(int64_t company, const Record& rec, bool* duplicate) override {
    if (failInsert) return Status::Error(errc::kStorageError, "injected");
    return StorageWrapper::Insert(company, rec, duplicate);
  }
};

TEST(StorageFaultTest, FailedWritesLeaveNothingBehind) {
  TempFolder dir;
  const std::string file = dir.File("fault.db");
  ASSERT_TRUE(IsOk(Database::Create(file, TestSchema())));
  std::unique_ptr<Storage> storage;
  ASSERT_TRUE(IsOk(sqlite::OpenStorage(file, {}, TestSchema(), &storage)));
  auto failing = std::make_unique<FailingStorage>(std::move(storage));
  FailingStorage* faults = failing.get();
  std::unique_ptr<Database> db = Database::OnStorage(std::move(failing), TestSchema());
  ASSERT_TRUE(IsOk(db->CreateCompany(u"CRONUS")));
  ASSERT_TRUE(IsOk(db->Login(u"", u"")));
  ASSERT_TRUE(IsOk(db->OpenCompany(u"CRONUS")));
  std::unique_ptr<Cursor> entries;
  ASSERT_TRUE(IsOk(db->OpenTable(kEntryTable, &entries)));
  const Record first = MakeRecord(*entries, {{entry::kNo, int64_t{1}}});
  const Record second = MakeRecord(*entries, {{entry::kNo, int64_t{2}}});

  faults->failCommit = true;
  EXPECT_TRUE(HasCode(entries->Insert(first), errc::kStorageError));
  faults->failCommit = false;
  EXPECT_FALSE(db->inWriteTransaction());

  ASSERT_TRUE(IsOk(db->BeginWrite()));
  ASSERT_TRUE(IsOk(entries->Insert(second)));
  faults->failInsert = true;
  EXPECT_TRUE(HasCode(entries->Insert(first), errc::kStorageError));
  faults->failInsert = false;
  EXPECT_TRUE(db->inWriteTransaction()) << "a failed write leaves the transaction to its owner";
  faults->failCommit = true;
  EXPECT_TRUE(HasCode(db->Commit(), errc::kStorageError));
  faults->failCommit = false;
  EXPECT_FALSE(db->inWriteTransaction());

  int32_t count = -1;
  db->SelectLatestVersion();
  ASSERT_TRUE(IsOk(entries->Count(&count)));
  EXPECT_EQ(count, 0);
  ASSERT_TRUE(IsOk(entries->Insert(first)));
  ASSERT_TRUE(IsOk(entries->Count(&count)));
  EXPECT_EQ(count, 1);
}

TEST(ErrorCatalogueTest, EveryCodeHasBothTextsAndFitsItsCodePage) {
  // Letters the Czech message file can carry besides ASCII.
  const std::u16string allowed = u"áÁéÉěĚíÍóÓúÚůŮýÝčČďĎľĽňŇřŘšŠťŤžŽäëöüÄËÖÜß";
  std::set<int32_t> codes;
  std::set<std::string_view> names;
  for (const errc::ErrorInfo& info : errc::kAll) {
    EXPECT_EQ(info.code, info.module * 65536 + info.number) << info.name;
    EXPECT_TRUE(codes.insert(info.code).second) << "duplicate code " << info.name;
    EXPECT_TRUE(names.insert(info.name).second) << "duplicate name " << info.name;
    EXPECT_GT(info.number, 0) << info.name;
    EXPECT_FALSE(info.english.empty()) << info.name;
    EXPECT_FALSE(info.czech.empty()) << info.name;
    for (char16_t c : text::FromUtf8(info.czech)) {
      EXPECT_TRUE(c >= 0x20 && (c < 0x7F || allowed.find(c) != std::u16string::npos))
          << info.name << " has U+" << std::hex << static_cast<int>(c);
    }
    EXPECT_EQ(Status::Error(info.code).ToString().empty(), false);
  }
  EXPECT_NE(errc::Find(kCodeRecordNotFound), nullptr);
  EXPECT_NE(errc::Find(kCodeRecordExists), nullptr);
  EXPECT_NE(errc::Find(kCodeNoRecordInFilter), nullptr);
  EXPECT_EQ(errc::Find(19 * 65536 + 1), nullptr);
  // The placeholders the component fills in.
  for (std::string_view text :
       {errc::Find(errc::kUnknownTableName)->english, errc::Find(errc::kUnknownTableName)->czech}) {
    EXPECT_NE(text.find("%10"), std::string_view::npos);
  }
  for (std::string_view text :
       {errc::Find(errc::kBadSearchMethod)->english, errc::Find(errc::kBadSearchMethod)->czech}) {
    EXPECT_NE(text.find("%12"), std::string_view::npos);
  }
  EXPECT_EQ(Status::Error(errc::kBadSearchMethod, "=?").ToString(),
            "The search method =? is not valid.");
  EXPECT_EQ(Status::Error(12345678).ToString(), "Error 24910 in module 188");
}

}  // namespace
}  // namespace dbclient
