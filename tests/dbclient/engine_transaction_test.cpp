// Write transactions, read snapshots and several processes on one database, on both
// backends: rollback restores the data exactly, a killed process loses only its open
// transaction, concurrent writers lose and duplicate nothing, and a lock wait that runs out
// is an error.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine_test_support.h"
#include "error_codes.h"

namespace dbclient {
namespace {

using namespace testing;

Record Entry(const Cursor& entries, int64_t no, std::u16string_view customer, double amount) {
  return MakeRecord(entries, {{entry::kNo, no},
                              {entry::kCustomerNo, customer},
                              {entry::kAmount, amount},
                              {entry::kPostingDate, u"2021-03-04"}});
}

std::unique_ptr<Database> OpenLoggedIn(TestStore& store, const OpenOptions& options) {
  std::unique_ptr<Database> db;
  if (!store.Open(TestSchema(), options, &db).ok() || !db->companyOpen()) return nullptr;
  return db;
}

int32_t CountOf(Database& db, int32_t table) {
  std::unique_ptr<Cursor> cursor;
  int32_t count = -1;
  EXPECT_TRUE(IsOk(db.OpenTable(table, &cursor)));
  if (cursor != nullptr) {
    EXPECT_TRUE(IsOk(cursor->Count(&count)));
  }
  return count;
}

// A pipe between a test and the child process it forks.
class Channel {
 public:
  Channel() { EXPECT_EQ(pipe(fds_), 0); }
  ~Channel() {
    close(fds_[0]);
    close(fds_[1]);
  }
  void Send(char c) { EXPECT_EQ(write(fds_[1], &c, 1), 1); }
  char Receive() {
    char c = 0;
    return read(fds_[0], &c, 1) == 1 ? c : '\0';
  }

 private:
  int fds_[2] = {-1, -1};
};

class TransactionTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    // The snapshot tests need db_'s snapshot for as long as they run, however slow the machine.
    db_ = store_.CreateAndOpen(OpenOptions{.snapshotLimit = std::chrono::hours(1)});
    ASSERT_NE(db_, nullptr);
    ASSERT_TRUE(IsOk(db_->OpenTable(kEntryTable, &entries_)));
    ASSERT_TRUE(IsOk(db_->OpenTable(kCustomerTable, &customers_)));
    ASSERT_TRUE(IsOk(db_->BeginWrite()));
    for (int i = 1; i <= 50; ++i) {
      ASSERT_TRUE(IsOk(entries_->Insert(Entry(*entries_, i, u"C1", i * 1.25))));
    }
    ASSERT_TRUE(IsOk(customers_->Insert(MakeRecord(*customers_, {{customer::kNo, u"C1"}}))));
    ASSERT_TRUE(IsOk(db_->Commit()));
  }

  // Closes this process's connection before forking, so no connection state crosses the
  // fork.
  void CloseOwnConnection() {
    entries_.reset();
    customers_.reset();
    db_.reset();
  }

  TestStore store_{GetParam(), TestSchema()};
  std::unique_ptr<Database> db_;
  std::unique_ptr<Cursor> entries_;
  std::unique_ptr<Cursor> customers_;
};

TEST_P(TransactionTest, RollbackRestoresTheDataExactly) {
  const std::vector<std::string> before = store_.Dump();
  ASSERT_FALSE(before.empty());
  // Key look-ups before, inside and after the transaction see what it has done and undone.
  const auto amountOf = [&](int64_t no) {
    Record rec = MakeRecord(*entries_, {{entry::kNo, no}});
    return IsOk(entries_->Find(rec, u"=")) ? rec.Find(entry::kAmount)->decimal() : -99.0;
  };
  ASSERT_TRUE(IsOk(db_->BeginWrite()));
  EXPECT_EQ(amountOf(5), 6.25);
  EXPECT_EQ(amountOf(6), 7.5);
  EXPECT_EQ(amountOf(1000), -99.0);
  ASSERT_TRUE(IsOk(entries_->Insert(Entry(*entries_, 1000, u"C2", 7))));
  ASSERT_TRUE(IsOk(entries_->Modify(Entry(*entries_, 5, u"C9", -1))));
  ASSERT_TRUE(IsOk(entries_->Delete(Entry(*entries_, 6, u"", 0))));
  EXPECT_EQ(amountOf(5), -1);
  EXPECT_EQ(amountOf(6), -99.0);
  EXPECT_EQ(amountOf(1000), 7);
  EXPECT_EQ(amountOf(25), 31.25);
  ASSERT_TRUE(IsOk(entries_->SetFilter(entry::kNo, u"20..30")));
  ASSERT_TRUE(IsOk(entries_->DeleteAll()));
  entries_->ClearFilters();
  EXPECT_EQ(amountOf(25), -99.0) << "deleted with its range";
  ASSERT_TRUE(IsOk(db_->CreateCompany(u"Second")));
  EXPECT_EQ(store_.Dump(), before) << "other connections see nothing uncommitted";
  EXPECT_EQ(CountOf(*db_, kEntryTable), 39) << "the transaction sees its own changes";
  ASSERT_TRUE(IsOk(db_->Rollback()));
  EXPECT_EQ(store_.Dump(), before);
  EXPECT_EQ(CountOf(*db_, kEntryTable), 50);
  EXPECT_EQ(amountOf(5), 6.25);
  EXPECT_EQ(amountOf(6), 7.5);
  EXPECT_EQ(amountOf(25), 31.25);
  EXPECT_EQ(amountOf(1000), -99.0);
  std::vector<std::u16string> companies;
  ASSERT_TRUE(IsOk(db_->Companies(&companies)));
  EXPECT_EQ(companies, std::vector<std::u16string>{u"CRONUS"});
}

TEST_P(TransactionTest, CommitKeepsAndTransactionErrorsAreReported) {
  EXPECT_TRUE(HasCode(db_->Commit(), errc::kNoTransaction));
  EXPECT_TRUE(HasCode(db_->Rollback(), errc::kNoTransaction));
  ASSERT_TRUE(IsOk(db_->BeginWrite()));
  EXPECT_TRUE(HasCode(db_->BeginWrite(), errc::kTransactionActive));
  EXPECT_TRUE(db_->inWriteTransaction());
  ASSERT_TRUE(IsOk(entries_->Insert(Entry(*entries_, 51, u"C1", 1))));
  ASSERT_TRUE(IsOk(db_->Commit()));
  EXPECT_FALSE(db_->inWriteTransaction());
  EXPECT_EQ(CountOf(*db_, kEntryTable), 51);

  // Closing the company aborts an open transaction.
  ASSERT_TRUE(IsOk(db_->BeginWrite()));
  ASSERT_TRUE(IsOk(entries_->Insert(Entry(*entries_, 52, u"C1", 1))));
  db_->CloseCompany();
  EXPECT_FALSE(db_->inWriteTransaction());
  ASSERT_TRUE(IsOk(db_->OpenCompany(u"CRONUS")));
  EXPECT_EQ(CountOf(*db_, kEntryTable), 51);
}

TEST_P(TransactionTest, ReadsComeFromOneSnapshotUntilSelectLatestVersion) {
  std::unique_ptr<Database> other = OpenLoggedIn(store_, OpenOptions{});
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(CountOf(*db_, kEntryTable), 50);
  std::unique_ptr<Cursor> their_entries;
  ASSERT_TRUE(IsOk(other->OpenTable(kEntryTable, &their_entries)));
  ASSERT_TRUE(IsOk(their_entries->Insert(Entry(*their_entries, 77, u"C1", 1))));  // autocommit
  EXPECT_EQ(CountOf(*db_, kEntryTable), 50) << "still the earlier snapshot";
  Record rec = MakeRecord(*entries_, {{entry::kNo, int64_t{77}}});
  EXPECT_TRUE(HasCode(entries_->Find(rec, u"="), errc::kRecordNotFound));
  db_->SelectLatestVersion();
  EXPECT_EQ(CountOf(*db_, kEntryTable), 51);
  EXPECT_TRUE(IsOk(entries_->Find(rec, u"=")));
  // A write transaction always works on the latest data.
  ASSERT_TRUE(IsOk(their_entries->Delete(rec)));
  ASSERT_TRUE(IsOk(db_->BeginWrite()));
  EXPECT_TRUE(HasCode(entries_->Modify(rec), errc::kRecordNotFound));
  ASSERT_TRUE(IsOk(db_->Rollback()));
}

// Client B changes a customer and an entry between client A's orders (write transactions
// that read both by key, write a line and count the order on the customer). A reads no value
// older than the start of its snapshot or transaction, whatever it read or wrote before; and
// B, reading the customer before changing it, loses none of A's counts.
TEST_P(TransactionTest, AnotherClientsChangesReachTheNextSnapshotOrTransaction) {
  std::unique_ptr<Database> b = OpenLoggedIn(store_, OpenOptions{});
  ASSERT_NE(b, nullptr);
  std::unique_ptr<Cursor> bEntries, bCustomers, lines;
  ASSERT_TRUE(IsOk(b->OpenTable(kEntryTable, &bEntries)));
  ASSERT_TRUE(IsOk(b->OpenTable(kCustomerTable, &bCustomers)));
  ASSERT_TRUE(IsOk(db_->OpenTable(kLineTable, &lines)));
  using Seen = std::pair<std::u16string, double>;  // the customer's name, the entry's amount
  const auto read = [](Cursor& customers, Cursor& entries, Record* customer) {
    *customer = MakeRecord(customers, {{customer::kNo, u"C1"}});
    Record entry = MakeRecord(entries, {{entry::kNo, int64_t{5}}});
    EXPECT_TRUE(IsOk(customers.Find(*customer, u"=")));
    EXPECT_TRUE(IsOk(entries.Find(entry, u"=")));
    return Seen{customer->Find(customer::kName)->text(), entry.Find(entry::kAmount)->decimal()};
  };
  const auto aReads = [&] {
    Record customer = customers_->NewRecord();
    return read(*customers_, *entries_, &customer);
  };
  int64_t orders = 0;
  const auto aOrders = [&] {
    EXPECT_TRUE(IsOk(db_->BeginWrite()));
    Record customer = customers_->NewRecord();
    const Seen seen = read(*customers_, *entries_, &customer);
    EXPECT_TRUE(IsOk(lines->Insert(MakeRecord(*lines, {{line::kDocType, int64_t{1}},
                                                       {line::kDocNo, u"ORDER"},
                                                       {line::kLineNo, ++orders},
                                                       {line::kDescription, seen.first},
                                                       {line::kAmount, seen.second}}))));
    EXPECT_TRUE(IsOk(customer.Set(customer::kRank, orders)));
    EXPECT_TRUE(IsOk(customers_->Modify(customer)));
    EXPECT_TRUE(IsOk(db_->Commit()));
    return seen;
  };
  const auto bChanges = [&](std::u16string_view name, double amount) {
    ASSERT_TRUE(IsOk(b->BeginWrite()));
    Record customer = bCustomers->NewRecord();
    read(*bCustomers, *bEntries, &customer);
    ASSERT_TRUE(IsOk(customer.Set(customer::kName, name)));
    ASSERT_TRUE(IsOk(bCustomers->Modify(customer)));
    ASSERT_TRUE(IsOk(bEntries->Modify(Entry(*bEntries, 5, u"C1", amount))));
    ASSERT_TRUE(IsOk(b->Commit()));
  };

  EXPECT_EQ(aOrders(), Seen(u"", 6.25));
  bChanges(u"Once", 10.5);
  EXPECT_EQ(aOrders(), Seen(u"Once", 10.5)) << "what A read and wrote in its last order is old";
  EXPECT_EQ(aReads(), Seen(u"Once", 10.5));  // a snapshot begins
  bChanges(u"Twice", 20.5);
  EXPECT_EQ(aReads(), Seen(u"Once", 10.5)) << "still the snapshot's";
  EXPECT_EQ(aOrders(), Seen(u"Twice", 20.5)) << "what A read in its snapshot is old";
  bChanges(u"Thrice", 30.5);
  EXPECT_EQ(aReads(), Seen(u"Thrice", 30.5)) << "a snapshot begins after the transaction";
  bChanges(u"Four times", 40.5);
  db_->SelectLatestVersion();
  EXPECT_EQ(aReads(), Seen(u"Four times", 40.5));

  Record customer = bCustomers->NewRecord();
  EXPECT_EQ(read(*bCustomers, *bEntries, &customer), Seen(u"Four times", 40.5));
  EXPECT_EQ(customer.Find(customer::kRank)->integer(), 3) << "B kept each of A's counts";
}

// A writer that finds the write lock taken waits for it and then works on what the holder
// committed, not on what it read before.
TEST_P(TransactionTest, AWriterWaitingForTheLockWorksOnWhatTheHolderCommitted) {
  std::unique_ptr<Database> b = OpenLoggedIn(store_, OpenOptions{});
  ASSERT_NE(b, nullptr);
  std::unique_ptr<Cursor> theirs;
  ASSERT_TRUE(IsOk(b->OpenTable(kEntryTable, &theirs)));
  Record seen = MakeRecord(*theirs, {{entry::kNo, int64_t{5}}});
  ASSERT_TRUE(IsOk(theirs->Find(seen, u"=")));  // B's snapshot holds 6.25

  ASSERT_TRUE(IsOk(db_->BeginWrite()));
  ASSERT_TRUE(IsOk(entries_->Modify(Entry(*entries_, 5, u"C1", 100))));
  EXPECT_TRUE(HasCode(theirs->LockTable(false), errc::kTableLocked));
  Status bStatus;
  std::thread writer([&] {
    bStatus = b->BeginWrite();
    Record rec = MakeRecord(*theirs, {{entry::kNo, int64_t{5}}});
    if (bStatus.ok()) bStatus = theirs->Find(rec, u"=");
    if (bStatus.ok()) bStatus = rec.Set(entry::kAmount, rec.Find(entry::kAmount)->decimal() + 1);
    if (bStatus.ok()) bStatus = theirs->Modify(rec);
    if (bStatus.ok()) bStatus = b->Commit();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // B most likely waits by now
  EXPECT_TRUE(IsOk(db_->Commit()));
  writer.join();
  ASSERT_TRUE(IsOk(bStatus));
  Record rec = MakeRecord(*entries_, {{entry::kNo, int64_t{5}}});
  db_->SelectLatestVersion();
  ASSERT_TRUE(IsOk(entries_->Find(rec, u"=")));
  EXPECT_EQ(rec.Find(entry::kAmount)->decimal(), 101);
}

// Client B inserts and deletes records inside the range client A is walking through. A sees
// them exactly from its next snapshot on, also where it had read ahead.
TEST_P(TransactionTest, AnotherClientsInsertsInAScannedRangeShowFromTheNextSnapshot) {
  std::unique_ptr<Cursor> lines;
  ASSERT_TRUE(IsOk(db_->OpenTable(kLineTable, &lines)));
  const auto line = [&](int64_t no) {
    return MakeRecord(*lines,
                      {{line::kDocType, int64_t{1}}, {line::kDocNo, u"SCAN"}, {line::kLineNo, no}});
  };
  ASSERT_TRUE(IsOk(db_->BeginWrite()));
  for (int64_t no = 10; no <= 300; no += 10) ASSERT_TRUE(IsOk(lines->Insert(line(no))));
  ASSERT_TRUE(IsOk(db_->Commit()));
  ASSERT_TRUE(IsOk(lines->SetFilter(line::kDocNo, u"SCAN")));
  Record rec = lines->NewRecord();
  std::vector<int32_t> seen;
  const auto walk = [&](int steps) {
    int32_t moved = 1;
    for (int i = 0; i < steps && moved == 1; ++i) {
      ASSERT_TRUE(IsOk(lines->Next(rec, 1, &moved)));
      if (moved == 1) seen.push_back(rec.Find(line::kLineNo)->integer());
    }
  };
  ASSERT_TRUE(IsOk(lines->Find(rec, u"-")));
  walk(3);
  ASSERT_EQ(seen, (std::vector<int32_t>{20, 30, 40}));

  std::unique_ptr<Database> b = OpenLoggedIn(store_, OpenOptions{});
  ASSERT_NE(b, nullptr);
  std::unique_ptr<Cursor> theirs;
  ASSERT_TRUE(IsOk(b->OpenTable(kLineTable, &theirs)));
  ASSERT_TRUE(IsOk(b->BeginWrite()));
  for (int64_t no : {15, 55, 105, 295}) ASSERT_TRUE(IsOk(theirs->Insert(line(no))));
  ASSERT_TRUE(IsOk(theirs->Delete(line(100))));
  ASSERT_TRUE(IsOk(b->Commit()));

  seen.clear();
  walk(6);
  EXPECT_EQ(seen, (std::vector<int32_t>{50, 60, 70, 80, 90, 100})) << "A's snapshot";
  db_->SelectLatestVersion();
  seen.clear();
  walk(1000);
  std::vector<int32_t> expected{105};
  for (int32_t no = 110; no <= 290; no += 10) expected.push_back(no);
  expected.insert(expected.end(), {295, 300});
  EXPECT_EQ(seen, expected) << "from where A stands, in the latest data";
  int32_t count = 0;
  ASSERT_TRUE(IsOk(lines->Count(&count)));
  EXPECT_EQ(count, 33);
}

// A reader that sits idle keeps its snapshot only up to its limit: the write-ahead log that
// another connection's commits fill meanwhile is then checkpointed and cut back. (The log is
// the file's own.)
TEST(FileSnapshotTest, AnIdleReaderDoesNotKeepTheWriteAheadLogGrowing) {
  TempFolder dir;
  const std::string file = dir.File("wal.db");
  ASSERT_NE(CreateAndOpen(file, TestSchema()), nullptr);
  const auto openLoggedIn = [&](const OpenOptions& options) {
    std::unique_ptr<Database> db;
    if (!Database::Open(file, options, TestSchema(), &db).ok()) return db;
    if (!db->Login(u"", u"").ok() || !db->OpenCompany(u"CRONUS").ok()) db.reset();
    return db;
  };
  std::unique_ptr<Database> reader =
      openLoggedIn(OpenOptions{.snapshotLimit = std::chrono::milliseconds(50)});
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(CountOf(*reader, kEntryTable), 0);  // its snapshot begins here
  std::unique_ptr<Database> writer = openLoggedIn(OpenOptions{});
  ASSERT_NE(writer, nullptr);
  std::unique_ptr<Cursor> entries;
  ASSERT_TRUE(IsOk(writer->OpenTable(kEntryTable, &entries)));
  for (int i = 0; i < 3000; ++i) {
    ASSERT_TRUE(IsOk(entries->Insert(Entry(*entries, 1000 + i, u"C1", i))));
  }
  // Far below what 3000 commits fill while a snapshot holds the log.
  constexpr uintmax_t kBound = 5 << 20;
  const auto logSize = [&] {
    std::error_code missing;
    const uintmax_t size = std::filesystem::file_size(file + "-wal", missing);
    return missing ? 0 : size;
  };
  int extra = 0;
  for (; extra < 500 && logSize() > kBound; ++extra) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(IsOk(entries->Insert(Entry(*entries, 10000 + extra, u"C1", 1))));
  }
  EXPECT_LE(logSize(), kBound);
  EXPECT_EQ(CountOf(*reader, kEntryTable), 3000 + extra) << "a new snapshot when it reads";
}

// The snapshot an idle reader loses may hold the record it stepped to last: the record still
// reads as stepped to, and the reader's next read sees what was committed meanwhile.
TEST(FileSnapshotTest, AnIdleReadersLastRecordOutlivesItsSnapshot) {
  TempFolder dir;
  const std::string file = dir.File("idle.db");
  std::unique_ptr<Database> reader =
      CreateAndOpen(file, TestSchema(), OpenOptions{.snapshotLimit = std::chrono::milliseconds(20)});
  ASSERT_NE(reader, nullptr);
  std::unique_ptr<Cursor> entries;
  ASSERT_TRUE(IsOk(reader->OpenTable(kEntryTable, &entries)));
  for (int i = 1; i <= 3; ++i) ASSERT_TRUE(IsOk(entries->Insert(Entry(*entries, i, u"C1", i))));
  Record rec = entries->NewRecord();
  int32_t moved = 0;
  ASSERT_TRUE(IsOk(entries->Find(rec, u"-")));
  ASSERT_TRUE(IsOk(entries->Next(rec, 1, &moved)));
  ASSERT_EQ(rec.Find(entry::kNo)->integer(), 2);

  std::unique_ptr<Database> writer;
  ASSERT_TRUE(IsOk(Database::Open(file, OpenOptions{}, TestSchema(), &writer)));
  ASSERT_TRUE(IsOk(writer->Login(u"", u"")));
  ASSERT_TRUE(IsOk(writer->OpenCompany(u"CRONUS")));
  std::unique_ptr<Cursor> theirs;
  ASSERT_TRUE(IsOk(writer->OpenTable(kEntryTable, &theirs)));
  ASSERT_TRUE(IsOk(theirs->Modify(Entry(*theirs, 2, u"C2", 20))));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(rec.Find(entry::kCustomerNo)->text(), u"C1");
  EXPECT_EQ(rec.Find(entry::kAmount)->decimal(), 2);
  ASSERT_TRUE(IsOk(entries->Find(rec, u"=")));
  EXPECT_EQ(rec.Find(entry::kAmount)->decimal(), 20) << "a new snapshot when it reads";
}

TEST_P(TransactionTest, KilledProcessLosesOnlyItsOpenTransaction) {
  CloseOwnConnection();
  const std::vector<std::string> before = store_.Dump();
  Channel ready;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::unique_ptr<Database> db = OpenLoggedIn(store_, OpenOptions{.commitCache = false});
    std::unique_ptr<Cursor> entries;
    bool ok = db != nullptr && db->OpenTable(kEntryTable, &entries).ok();
    // One committed transaction, then one left open when the process dies.
    ok = ok && db->BeginWrite().ok();
    for (int i = 0; ok && i < 10; ++i) ok = entries->Insert(Entry(*entries, 500 + i, u"K", 1)).ok();
    ok = ok && db->Commit().ok();
    ok = ok && db->BeginWrite().ok();
    for (int i = 0; ok && i < 200; ++i)
      ok = entries->Insert(Entry(*entries, 900 + i, u"X", 2)).ok();
    ok = ok && entries->Modify(Entry(*entries, 1, u"CHANGED", 3)).ok();
    ok = ok && entries->Delete(Entry(*entries, 2, u"", 0)).ok();
    ready.Send(ok ? 'y' : 'n');
    pause();
    _exit(1);
  }
  const char answer = ready.Receive();
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_EQ(answer, 'y') << "the child could not write";
  ASSERT_TRUE(WIFSIGNALED(status));

  std::unique_ptr<Database> db = OpenLoggedIn(store_, OpenOptions{});
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(CountOf(*db, kEntryTable), 60) << "50 before, 10 committed by the child";
  std::unique_ptr<Cursor> entries;
  ASSERT_TRUE(IsOk(db->OpenTable(kEntryTable, &entries)));
  Record rec = MakeRecord(*entries, {{entry::kNo, int64_t{1}}});
  ASSERT_TRUE(IsOk(entries->Find(rec, u"=")));
  EXPECT_EQ(rec.Find(entry::kCustomerNo)->text(), u"C1");
  ASSERT_TRUE(IsOk(rec.Set(entry::kNo, int64_t{2})));
  EXPECT_TRUE(IsOk(entries->Find(rec, u"=")));
  ASSERT_TRUE(IsOk(rec.Set(entry::kNo, int64_t{900})));
  EXPECT_TRUE(HasCode(entries->Find(rec, u"="), errc::kRecordNotFound));
  ASSERT_TRUE(IsOk(entries->SetFilter(entry::kNo, u"500..509")));
  int32_t committed = 0;
  ASSERT_TRUE(IsOk(entries->Count(&committed)));
  EXPECT_EQ(committed, 10);
  // Apart from the child's committed records, the data is as before.
  ASSERT_TRUE(IsOk(db->BeginWrite()));
  ASSERT_TRUE(IsOk(entries->DeleteAll()));
  ASSERT_TRUE(IsOk(db->Commit()));
  db.reset();
  entries.reset();
  EXPECT_EQ(store_.Dump(), before);
}

// Runs in a child: `rounds` transactions, each inserting `perRound` records of its own range
// and trying the shared keys 1..sharedKeys (which only one process may get). Reports through
// `report` how many shared keys it inserted, or 'n'.
void Writer(TestStore& store, Channel& go, Channel& report, int first, int rounds,
            int perRound, int sharedKeys) {
  std::unique_ptr<Database> db =
      OpenLoggedIn(store, OpenOptions{.busyTimeout = std::chrono::seconds(60)});
  std::unique_ptr<Cursor> lines;
  bool ok = db != nullptr && db->OpenTable(kLineTable, &lines).ok();
  go.Receive();
  int shared = 0;
  for (int round = 0; ok && round < rounds; ++round) {
    ok = db->BeginWrite().ok();
    for (int i = 0; ok && i < perRound; ++i) {
      const Record rec =
          MakeRecord(*lines, {{line::kDocType, int64_t{1}},
                              {line::kDocNo, u"OWN"},
                              {line::kLineNo, int64_t{first + round * perRound + i}}});
      ok = lines->Insert(rec).ok();
    }
    const int key = round % sharedKeys + 1;
    if (ok && round < sharedKeys * 2) {
      const Record rec = MakeRecord(
          *lines,
          {{line::kDocType, int64_t{2}}, {line::kDocNo, u"SHARED"}, {line::kLineNo, int64_t{key}}});
      const Status status = lines->Insert(rec);
      shared += status.ok();
      ok = status.ok() || status.code() == errc::kRecordExists;
    }
    int32_t count = 0;
    ok = ok && lines->Count(&count).ok() && db->Commit().ok();
    db->SelectLatestVersion();
  }
  report.Send(ok ? static_cast<char>('a' + shared) : 'n');
}

TEST_P(TransactionTest, ConcurrentProcessesLoseAndDuplicateNothing) {
  CloseOwnConnection();
  constexpr int kRounds = 30, kPerRound = 10, kShared = 10;
  Channel go, report;
  std::vector<pid_t> children;
  for (int process = 0; process < 2; ++process) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      Writer(store_, go, report, 100000 * (process + 1), kRounds, kPerRound, kShared);
      _exit(0);
    }
    children.push_back(child);
  }
  go.Send('g');
  go.Send('g');
  int shared_total = 0;
  for (size_t i = 0; i < children.size(); ++i) {
    const char answer = report.Receive();
    ASSERT_NE(answer, 'n') << "a writer failed";
    shared_total += answer - 'a';
  }
  for (pid_t child : children) waitpid(child, nullptr, 0);

  std::unique_ptr<Database> db = OpenLoggedIn(store_, OpenOptions{});
  ASSERT_NE(db, nullptr);
  std::unique_ptr<Cursor> lines;
  ASSERT_TRUE(IsOk(db->OpenTable(kLineTable, &lines)));
  int32_t count = 0;
  ASSERT_TRUE(IsOk(lines->SetFilter(line::kDocNo, u"OWN")));
  ASSERT_TRUE(IsOk(lines->Count(&count)));
  EXPECT_EQ(count, 2 * kRounds * kPerRound);
  for (int process = 1; process <= 2; ++process) {
    const std::string range = std::to_string(100000 * process) + ".." +
                              std::to_string(100000 * process + kRounds * kPerRound - 1);
    ASSERT_TRUE(IsOk(lines->SetFilter(line::kLineNo, std::u16string(range.begin(), range.end()))));
    ASSERT_TRUE(IsOk(lines->Count(&count)));
    EXPECT_EQ(count, kRounds * kPerRound) << "process " << process;
  }
  lines->ClearFilters();
  ASSERT_TRUE(IsOk(lines->SetFilter(line::kDocNo, u"SHARED")));
  ASSERT_TRUE(IsOk(lines->Count(&count)));
  EXPECT_EQ(count, kShared);
  EXPECT_EQ(shared_total, kShared) << "each shared key went to exactly one process";
}

TEST_P(TransactionTest, LockWaitThatRunsOutIsAClearError) {
  CloseOwnConnection();
  Channel locked, release;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::unique_ptr<Database> db = OpenLoggedIn(store_, OpenOptions{});
    const bool ok = db != nullptr && db->BeginWrite().ok();
    locked.Send(ok ? 'y' : 'n');
    release.Receive();
    if (ok) db->Commit();
    _exit(0);
  }
  ASSERT_EQ(locked.Receive(), 'y');
  std::unique_ptr<Database> db =
      OpenLoggedIn(store_, OpenOptions{.busyTimeout = std::chrono::milliseconds(50)});
  ASSERT_NE(db, nullptr);
  std::unique_ptr<Cursor> entries;
  ASSERT_TRUE(IsOk(db->OpenTable(kEntryTable, &entries)));
  EXPECT_EQ(CountOf(*db, kEntryTable), 50) << "reading is not blocked by a writer";
  EXPECT_TRUE(HasCode(db->BeginWrite(), errc::kLockTimeout));
  EXPECT_FALSE(db->inWriteTransaction());
  EXPECT_TRUE(HasCode(entries->Insert(Entry(*entries, 99, u"C1", 1)), errc::kLockTimeout));
  EXPECT_TRUE(HasCode(entries->LockTable(false), errc::kTableLocked));
  EXPECT_TRUE(HasCode(entries->LockTable(true), errc::kLockTimeout));
  release.Send('r');
  waitpid(child, nullptr, 0);
  EXPECT_TRUE(IsOk(entries->LockTable(false)));
  ASSERT_TRUE(IsOk(db->BeginWrite()));
  EXPECT_TRUE(IsOk(entries->LockTable(false))) << "the own transaction holds the lock";
  EXPECT_TRUE(IsOk(entries->Insert(Entry(*entries, 99, u"C1", 1))));
  EXPECT_TRUE(IsOk(db->Commit()));
}

INSTANTIATE_TEST_SUITE_P(Backends, TransactionTest, kBothBackends,
                         [](const auto& info) { return BackendName(info.param); });

}  // namespace
}  // namespace dbclient
