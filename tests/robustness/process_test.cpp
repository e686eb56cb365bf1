// The component and the client as separate processes use them: a program that ends without
// disconnecting or keeps objects in globals, writers killed at random moments, and several
// writers on one database file at once.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <thread>

#include "child_process.h"
#include "demo_test_support.h"
#include "order_census.h"
#include "storage/sqlite/sql.h"

namespace talmo::testing {
namespace {

constexpr int kLinesPerOrder = 3;

// The demo's document number of the n-th order (OBJ00001 for 1).
std::string DocumentNo(int n) {
  const std::string digits = std::to_string(n);
  return "OBJ" + std::string(5 - digits.size(), '0') + digits;
}

class ProcessTest : public talmo_demo::testing::LiveDemoTest {
 protected:
  std::string Ini() const { return (Folder() / "Talmo.ini").string(); }
  std::string DatabaseFile() const { return (Folder() / "sample.db").string(); }
  // A copy of the database file alone, without its write-ahead log.
  std::string CopyOfMainFile() const {
    const std::filesystem::path copy = copies_.path() / "copy.db";
    std::filesystem::copy_file(DatabaseFile(), copy,
                               std::filesystem::copy_options::overwrite_existing);
    return copy.string();
  }
  // The command line of talmo-order-writer for `orders` orders (0: until killed).
  std::vector<std::string> Writer(int orders, bool disconnect = true) const {
    std::vector<std::string> args = {TALMO_ORDER_WRITER, Ini(), std::to_string(orders)};
    if (!disconnect) args.push_back("--no-disconnect");
    return args;
  }

  TempFolder copies_;
};

bool ExitedCleanly(int status) { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }

TEST_F(ProcessTest, AProgramEndingWithoutDisconnectLeavesItsOrdersInTheMainFile) {
  ChildProcess writer(Writer(20, /*disconnect=*/false));
  EXPECT_EQ(writer.ReadAll().size(), 20u);
  ASSERT_TRUE(ExitedCleanly(writer.Wait()));
  const OrderCensus census = TakeCensus(CopyOfMainFile());
  EXPECT_EQ(census.lines.size(), 20u);
  EXPECT_TRUE(census.Complete(kLinesPerOrder));
}

// Under AddressSanitizer a touch of freed memory at exit fails the child, and so the test.
TEST_F(ProcessTest, ObjectsInGlobalsOfAProgramAreTornDownCleanlyAtExit) {
  ChildProcess program({TALMO_EXIT_GLOBALS, Ini(), DatabaseFile()});
  program.ReadAll();
  ASSERT_TRUE(ExitedCleanly(program.Wait()));
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(CopyOfMainFile().c_str(), &db), SQLITE_OK);
  const std::string sql = "SELECT count(*) FROM " + dbclient::sqlite::TableName(1, 18) +
                          " WHERE " + dbclient::sqlite::ColumnName(1) + "='EXIT1'";
  sqlite3_stmt* count = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &count, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(count, 0), 1) << "the committed customer is in the main file";
  sqlite3_finalize(count);
  sqlite3_close(db);
}

TEST_F(ProcessTest, WritersKilledAtRandomMomentsLeaveNoHalfOrderAndNumberingGoesOn) {
  constexpr int kTrials = 12;
  std::mt19937 random(20240613);
  std::set<std::string> reported;  // numbers a writer printed: committed before it died
  for (int trial = 0; trial < kTrials; ++trial) {
    ChildProcess writer(Writer(0));
    const int ordersFirst = std::uniform_int_distribution<int>(0, 2)(random);
    for (int i = 0; i < ordersFirst; ++i) {
      if (std::optional<std::string> number = writer.ReadLine()) reported.insert(*number);
    }
    std::this_thread::sleep_for(
        std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 150)(random)));
    writer.Kill();
    for (const std::string& number : writer.ReadAll()) reported.insert(number);
    const int status = writer.Wait();
    ASSERT_TRUE(WIFSIGNALED(status)) << "trial " << trial << ": the writer ended by itself";

    ASSERT_EQ(IntegrityCheck(DatabaseFile()), "ok") << "trial " << trial;
    const OrderCensus census = TakeCensus(DatabaseFile());
    EXPECT_TRUE(census.Complete(kLinesPerOrder)) << "trial " << trial;
    int n = 0;
    for (const auto& [number, lines] : census.lines) {
      EXPECT_EQ(number, DocumentNo(++n)) << "trial " << trial << ": numbers run without gaps";
    }
    for (const std::string& number : reported) EXPECT_EQ(census.lines.count(number), 1u) << number;
  }
  const size_t before = TakeCensus(DatabaseFile()).lines.size();
  ChildProcess writer(Writer(1));
  EXPECT_EQ(writer.ReadAll(), std::vector<std::string>{DocumentNo(static_cast<int>(before) + 1)});
  EXPECT_TRUE(ExitedCleanly(writer.Wait()));
  EXPECT_TRUE(TakeCensus(DatabaseFile()).Complete(kLinesPerOrder));
}

TEST_F(ProcessTest, ConcurrentWritersLoseAndDuplicateNoOrder) {
  constexpr int kWriters = 4;
  constexpr int kOrdersEach = 8;
  std::vector<std::unique_ptr<ChildProcess>> writers;
  for (int i = 0; i < kWriters; ++i) {
    writers.push_back(std::make_unique<ChildProcess>(Writer(kOrdersEach)));
  }
  std::multiset<std::string> reported;
  for (const std::unique_ptr<ChildProcess>& writer : writers) {
    for (const std::string& number : writer->ReadAll()) reported.insert(number);
    EXPECT_TRUE(ExitedCleanly(writer->Wait()));
  }
  EXPECT_EQ(reported.size(), static_cast<size_t>(kWriters * kOrdersEach));
  const OrderCensus census = TakeCensus(DatabaseFile());
  EXPECT_EQ(census.lines.size(), static_cast<size_t>(kWriters * kOrdersEach));
  EXPECT_TRUE(census.Complete(kLinesPerOrder));
  for (const auto& [number, lines] : census.lines) {
    EXPECT_EQ(reported.count(number), 1u) << number << " reported once, by one writer";
  }
}

}  // namespace
}  // namespace talmo::testing
