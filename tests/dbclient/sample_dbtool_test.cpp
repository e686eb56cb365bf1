// talmo-dbtool: creating databases, listing tables and records, usage errors.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "dbtool.h"
#include "sample_test_support.h"
#include "test_server.h"

namespace {

using dbclient::testing_support::TempFolder;

struct Result {
  int exitCode;
  std::string out;
  std::string err;
};

// Runs the tool; `passwords` are the lines its standard input would give, in order.
Result RunTool(std::vector<std::string> args, std::vector<std::string> passwords = {}) {
  std::ostringstream out, err;
  size_t next = 0;
  const dbtool::PasswordSource source = [&](const std::string&) -> std::optional<std::string> {
    if (next == passwords.size()) return std::nullopt;
    return passwords[next++];
  };
  const int code = dbtool::Run(args, out, err, source);
  return {code, out.str(), err.str()};
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

class DbToolOnSample : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TempFolder;
    path_ = dbclient::testing_support::CopyOfSampleFixture(*folder_);
  }
  static void TearDownTestSuite() { delete folder_; }

  static TempFolder* folder_;
  static std::string path_;
};

TempFolder* DbToolOnSample::folder_ = nullptr;
std::string DbToolOnSample::path_;

TEST(DbTool, CreateWithSampleReportsTheDefaultCompanyAndTheFilledTables) {
  TempFolder folder;
  const Result created = RunTool({"create", folder.File("new.db"), "--sample"});
  ASSERT_EQ(created.exitCode, 0) << created.err;
  EXPECT_NE(created.out.find("company \"Talmo Sample\", filled"), std::string::npos) << created.out;
  EXPECT_NE(created.out.find("      32      "), std::string::npos) << created.out;
  EXPECT_NE(created.out.find("Item Ledger Entry"), std::string::npos) << created.out;
  EXPECT_NE(created.out.find("     311         1  Sales & Receivables Setup\n"), std::string::npos)
      << created.out;
}

TEST_F(DbToolOnSample, TablesListsOnlyTablesWithRecordsWithTheirCounts) {
  const Result tables = RunTool({"tables", path_});
  ASSERT_EQ(tables.exitCode, 0) << tables.err;
  EXPECT_NE(tables.out.find("Company \"Talmo Sample\""), std::string::npos);
  // One sales setup record; no sales documents yet.
  EXPECT_NE(tables.out.find("     311         1  Sales & Receivables Setup\n"), std::string::npos)
      << tables.out;
  EXPECT_EQ(tables.out.find("Sales Header"), std::string::npos);
  EXPECT_EQ(tables.out.find("Sales Line"), std::string::npos);
}

TEST_F(DbToolOnSample, ListShowsRecordsInKeyOrderUpToTheLimit) {
  const Result byName = RunTool({"list", path_, "Talmo Sample", "Currency", "--limit", "2"});
  ASSERT_EQ(byName.exitCode, 0) << byName.err;
  EXPECT_EQ(Occurrences(byName.out, "\nCurrency ") + (byName.out.starts_with("Currency ") ? 1 : 0),
            2u)
      << byName.out;
  const size_t chf = byName.out.find("Currency CHF\n");
  const size_t eur = byName.out.find("Currency EUR\n");
  ASSERT_NE(chf, std::string::npos) << byName.out;
  ASSERT_NE(eur, std::string::npos) << byName.out;
  EXPECT_LT(chf, eur);
  EXPECT_NE(byName.out.find("Amount Rounding Precision"), std::string::npos);
  EXPECT_NE(byName.out.find("2 of 6 records"), std::string::npos) << byName.out;

  const Result byNumber = RunTool({"list", path_, "Talmo Sample", "4", "--limit", "2"});
  ASSERT_EQ(byNumber.exitCode, 0) << byNumber.err;
  EXPECT_EQ(byNumber.out, byName.out);
}

TEST_F(DbToolOnSample, ListShowsOptionCaptionsAndCalculatedFlowFields) {
  const Result vat = RunTool({"list", path_, "Talmo Sample", "325"});
  ASSERT_EQ(vat.exitCode, 0) << vat.err;
  EXPECT_NE(vat.out.find("Full VAT"), std::string::npos) << vat.out;
  EXPECT_NE(vat.out.find("Sales Tax"), std::string::npos) << vat.out;

  const Result items = RunTool({"list", path_, "Talmo Sample", "Item", "--limit", "30"});
  ASSERT_EQ(items.exitCode, 0) << items.err;
  EXPECT_NE(items.out.find("  Inventory "), std::string::npos) << items.out;
}

TEST_F(DbToolOnSample, ListOfAnUnknownTableOrCompanyFailsNamingIt) {
  const Result table = RunTool({"list", path_, "Talmo Sample", "Invoices"});
  EXPECT_EQ(table.exitCode, 1);
  EXPECT_NE(table.err.find("Invoices"), std::string::npos) << table.err;
  const Result company = RunTool({"list", path_, "Nobody Ltd", "18"});
  EXPECT_EQ(company.exitCode, 1);
  EXPECT_NE(company.err.find("Nobody Ltd"), std::string::npos) << company.err;
}

TEST_F(DbToolOnSample, CreateNeverOverwritesAnExistingFile) {
  const std::string before = FileBytes(path_);
  const Result again = RunTool({"create", path_});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_TRUE(std::filesystem::exists(path_));
  EXPECT_EQ(FileBytes(path_), before);
}

TEST(DbTool, CreateWithoutSampleMakesAnEmptyNamedCompany) {
  TempFolder folder;
  const std::string path = folder.File("empty.db");
  const Result created = RunTool({"create", path, "--company", "Firma Žluťoučký kůň"});
  ASSERT_EQ(created.exitCode, 0) << created.err;
  EXPECT_NE(created.out.find("company \"Firma Žluťoučký kůň\"."), std::string::npos);
  const Result tables = RunTool({"tables", path});
  ASSERT_EQ(tables.exitCode, 0) << tables.err;
  EXPECT_EQ(tables.out, "Company \"Firma Žluťoučký kůň\"\n");
  const Result list = RunTool({"list", path, "Firma Žluťoučký kůň", "Customer"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(list.out, "0 of 0 records\n");
}

TEST(DbTool, ListShowsDecimalsInPlainDigitsFirstOptionsAndZeroFlowFields) {
  TempFolder folder;
  const std::string path = folder.File("few.db");
  ASSERT_EQ(RunTool({"create", path}).exitCode, 0);
  {
    std::unique_ptr<dbclient::Database> db =
        dbclient::testing_support::OpenCompany(path, u"Talmo Sample");
    ASSERT_TRUE(db);
    std::unique_ptr<dbclient::Cursor> items, entries;
    ASSERT_TRUE(db->OpenTable(27, &items).ok());
    ASSERT_TRUE(db->OpenTable(32, &entries).ok());
    dbclient::Record item = items->NewRecord();
    ASSERT_TRUE(item.Set(1, std::u16string_view(u"A1")).ok());
    ASSERT_TRUE(item.Set(18, 250000.0).ok());
    ASSERT_TRUE(items->Insert(item).ok());
    ASSERT_TRUE(item.Set(1, std::u16string_view(u"B2")).ok());
    ASSERT_TRUE(item.Set(18, 0.125).ok());
    ASSERT_TRUE(items->Insert(item).ok());
    dbclient::Record entry = entries->NewRecord();
    ASSERT_TRUE(entry.Set(1, int64_t{1}).ok());
    ASSERT_TRUE(entry.Set(2, std::u16string_view(u"B2")).ok());
    ASSERT_TRUE(entry.Set(12, 7.5).ok());
    ASSERT_TRUE(entries->Insert(entry).ok());
  }
  const Result items = RunTool({"list", path, "Talmo Sample", "27"});
  ASSERT_EQ(items.exitCode, 0) << items.err;
  EXPECT_EQ(items.out,
            "Item A1\n"
            "  No.                       A1\n"
            "  Allow Invoice Disc.       Yes\n"
            "  Unit Price                250000\n"
            "  Inventory                 0\n"
            "Item B2\n"
            "  No.                       B2\n"
            "  Allow Invoice Disc.       Yes\n"
            "  Unit Price                0.125\n"
            "  Inventory                 7.5\n"
            "2 of 2 records\n");
  const Result ledger = RunTool({"list", path, "Talmo Sample", "Item Ledger Entry"});
  ASSERT_EQ(ledger.exitCode, 0) << ledger.err;
  EXPECT_NE(ledger.out.find("  Entry Type          Purchase\n"), std::string::npos) << ledger.out;
}

// A database file this run made is removed again when a later step fails, so that the same
// command can be repeated once the mistake is corrected.
TEST(DbTool, CreateRemovesItsFileWhenTheCompanyCannotBeMade) {
  TempFolder folder;
  const std::string path = folder.File("half.db");
  const Result result = RunTool({"create", path, "--company", std::string(31, 'x')});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("cannot create the company"), std::string::npos) << result.err;
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
  EXPECT_EQ(RunTool({"create", path, "--company", std::string(30, 'x')}).exitCode, 0);
}

TEST(DbTool, CreateInAMissingFolderFailsAndLeavesNothingBehind) {
  TempFolder folder;
  const std::string path = folder.File("missing/sub/x.db");
  EXPECT_EQ(RunTool({"create", path}).exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(DbTool, UsersItAddsAreTheOnlyOnesWhoCanLogInUntilTheLastIsRemoved) {
  TempFolder folder;
  const std::string path = folder.File("users.db");
  ASSERT_EQ(RunTool({"create", path}).exitCode, 0);
  EXPECT_EQ(RunTool({"user", "list", path}).out, "No users: anyone may log in.\n");

  EXPECT_EQ(RunTool({"user", "add", path, "Admin"}).exitCode, 1) << "no password on stdin";
  const Result added = RunTool({"user", "add", path, "Admin"}, {"tajné heslo"});
  ASSERT_EQ(added.exitCode, 0) << added.err;
  EXPECT_EQ(added.out, "Added user Admin.\n");
  EXPECT_EQ(RunTool({"user", "add", path, "ADMIN"}, {"x"}).exitCode, 1);
  ASSERT_EQ(RunTool({"user", "add", path, "účetní"}, {""}).exitCode, 0);
  EXPECT_EQ(RunTool({"user", "list", path}).out, "ADMIN\nÚČETNÍ\n");

  EXPECT_EQ(RunTool({"tables", path}).exitCode, 1);
  EXPECT_EQ(RunTool({"tables", path, "--user", "admin"}, {"tajne heslo"}).exitCode, 1);
  const Result tables = RunTool({"tables", path, "--user", "admin"}, {"tajné heslo"});
  EXPECT_EQ(tables.exitCode, 0) << tables.err;
  EXPECT_EQ(RunTool({"list", path, "Talmo Sample", "18", "--user", "ÚČETNÍ"}, {""}).exitCode, 0);
  {
    std::unique_ptr<dbclient::Database> db;
    ASSERT_TRUE(
        dbclient::Database::Open(path, {}, dbclient::ApplicationSchema(), &db).ok());
    EXPECT_FALSE(db->Login(u"admin", u"tajné").ok());
    EXPECT_TRUE(db->Login(u"admin", u"tajné heslo").ok());
  }
  EXPECT_EQ(FileBytes(path).find("tajné heslo"), std::string::npos);

  EXPECT_EQ(RunTool({"user", "remove", path, "nobody"}).exitCode, 1);
  EXPECT_EQ(RunTool({"user", "remove", path, "admin"}).out, "Removed user admin.\n");
  EXPECT_EQ(RunTool({"user", "remove", path, "účetní"}).out,
            "Removed user účetní.\nNo users: anyone may log in.\n");
  EXPECT_EQ(RunTool({"tables", path}).exitCode, 0);
}

struct UsageCase {
  const char* name;
  std::vector<std::string> args;
};

void PrintTo(const UsageCase& usage, std::ostream* os) { *os << usage.name; }

class DbToolUsage : public testing::TestWithParam<UsageCase> {};

TEST_P(DbToolUsage, IsRefusedWithTheUsageText) {
  const Result result = RunTool(GetParam().args);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("usage:"), std::string::npos);
  EXPECT_TRUE(result.out.empty());
}

INSTANTIATE_TEST_SUITE_P(
    DbTool, DbToolUsage,
    testing::Values(UsageCase{"NoCommand", {}}, UsageCase{"UnknownCommand", {"drop", "x.db"}},
                    UsageCase{"CreateWithoutFile", {"create"}},
                    UsageCase{"CreateWithTwoFiles", {"create", "a.db", "b.db"}},
                    UsageCase{"CompanyWithoutName", {"create", "a.db", "--company"}},
                    UsageCase{"UnknownOption", {"create", "a.db", "--force"}},
                    UsageCase{"TablesWithoutFile", {"tables"}},
                    UsageCase{"ListWithoutTable", {"list", "a.db", "Talmo Sample"}},
                    UsageCase{"LimitNotANumber", {"list", "a.db", "C", "18", "--limit", "ten"}},
                    UsageCase{"NegativeLimit", {"list", "a.db", "C", "18", "--limit", "-1"}},
                    UsageCase{"SchemaWithArgument", {"schema", "37"}},
                    UsageCase{"UserWithoutAction", {"user", "a.db"}},
                    UsageCase{"UserAddWithoutName", {"user", "add", "a.db"}},
                    UsageCase{"UserListWithName", {"user", "list", "a.db", "admin"}},
                    UsageCase{"UserOptionWithoutName", {"tables", "a.db", "--user"}},
                    UsageCase{"ServerWithoutDatabase", {"tables", "--server", "db"}},
                    UsageCase{"DatabaseWithoutServer", {"tables", "--database", "d"}},
                    UsageCase{"UnknownNetType",
                              {"tables", "--server", "db", "--net-type", "ipx", "--database", "d"}},
                    UsageCase{"ServerAndFile", {"create", "a.db", "--server", "db", "--database",
                                                "d"}}),
    [](const testing::TestParamInfo<UsageCase>& info) { return std::string(info.param.name); });

TEST(DbTool, SchemaPrintsEveryTableOfTheApplication) {
  const Result schema = RunTool({"schema"});
  ASSERT_EQ(schema.exitCode, 0);
  for (const dbclient::TableDef& table : dbclient::ApplicationSchema().tables()) {
    EXPECT_NE(schema.out.find("### " + std::to_string(table.number) + " " + table.name + "\n"),
              std::string::npos)
        << table.name;
  }
  EXPECT_NE(schema.out.find("| 5404 | Qty. per Unit of Measure | Decimal | initially 1 |"),
            std::string::npos);
}

// The schema's README lists the tables for the people writing rules and scenarios; it must
// say what the code says.
TEST(DbTool, SchemaReadmeListsTheSchemaAsItIs) {
  const std::string readme = FileBytes(TALMO_SCHEMA_README);
  const std::string marker = "## Tables\n\n";
  const size_t at = readme.find(marker);
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(readme.substr(at + marker.size()), RunTool({"schema"}).out)
      << "regenerate the listing with talmo-dbtool schema";
}

// The fixture's server holds the sample made by the tool in bulk: every table lists as the
// file's does, flow fields included, and a server database that does not exist is an error.
TEST(DbToolOnServer, ListsTheSampleAsTheFileHoldsIt) {
  const talmo::testing::TestServer& server = talmo::testing::Server();
  setenv("TALMO_DB_PASSWORD", server.password.c_str(), 1);
  TempFolder folder;
  const std::string file = dbclient::testing_support::CopyOfSampleFixture(folder);
  const std::vector<std::string> onServer = {
      "--server", server.host + ":" + std::to_string(server.port), "--user", server.user,
      "--database", talmo::testing::kSampleDatabase};
  for (const char* table : {"18", "27", "32", "325", "5404", "Sales & Receivables Setup"}) {
    std::vector<std::string> args = {"list", "Talmo Sample", table};
    const Result fromFile = RunTool({"list", file, "Talmo Sample", table});
    args.insert(args.end(), onServer.begin(), onServer.end());
    const Result fromServer = RunTool(args);
    ASSERT_EQ(fromServer.exitCode, 0) << fromServer.err;
    EXPECT_EQ(fromServer.out, fromFile.out) << "table " << table;
  }
  std::vector<std::string> tables = {"tables"};
  tables.insert(tables.end(), onServer.begin(), onServer.end());
  EXPECT_EQ(RunTool(tables).out, RunTool({"tables", file}).out);
  tables.back() = "no_such_database";
  const Result missing = RunTool(tables);
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("does not exist on the server"), std::string::npos) << missing.err;
}

}  // namespace
