#include "storage/sqlite/storage.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>

#include "engine/decimal_sum.h"
#include "engine/row_source.h"
#include "storage/record_cache.h"
#include "storage/sqlite/schema.h"
#include "storage/sqlite/sql.h"
#include "storage/sqlite/statement_cache.h"
#include "engine/text_util.h"
#include "error_codes.h"

namespace dbclient::sqlite {

namespace {

// The write-ahead log is cut back to this size whenever it starts over after a checkpoint.
constexpr int64_t kWalSizeLimit = 4 << 20;

Status StorageFailure(int rc, sqlite3* db) {
  const int primary = rc & 0xFF;
  std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
    return Status::Error(errc::kLockTimeout, std::move(message));
  }
  if (primary == SQLITE_NOTADB) return Status::Error(errc::kNotADatabase, std::move(message));
  return Status::Error(errc::kStorageError, std::move(message));
}

using sql::QueryPlan;
using sql::QueryStatement;
using sql::TableStatements;

class SqliteStorage final : public Storage {
 public:
  SqliteStorage(sqlite3* db, std::chrono::milliseconds busyTimeout, size_t recordCacheBytes)
      : db_(db), busyTimeout_(busyTimeout), cache_(db), records_(recordCacheBytes) {}

  // Rolls back what is not committed and copies what is into the database file itself, as
  // far as other connections' snapshots allow (the last connection to close copies all).
  ~SqliteStorage() override {
    scan_.reset();
    if (state_ != State::kIdle) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    cache_.Clear();
    sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    sqlite3_close_v2(db_);
  }

  Status BeginWrite(bool wait) override {
    if (state_ == State::kWrite) return Status::Error(errc::kTransactionActive);
    EndReadSnapshot();
    scan_.reset();
    sqlite3_busy_timeout(db_, wait ? static_cast<int>(busyTimeout_.count()) : 0);
    const int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_busy_timeout(db_, static_cast<int>(busyTimeout_.count()));
    if (rc != SQLITE_OK) {
      if ((rc & 0xFF) == SQLITE_BUSY && !wait) return Status::Error(errc::kTableLocked);
      return StorageFailure(rc, db_);
    }
    state_ = State::kWrite;
    Status status = CheckDataVersion();
    if (!status.ok()) Rollback();
    return status;
  }

  Status Commit() override {
    if (state_ != State::kWrite) return Status::Error(errc::kNoTransaction);
    scan_.reset();
    const int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
      Status failure = StorageFailure(rc, db_);
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      state_ = State::kIdle;
      ++generation_;
      return failure;
    }
    state_ = State::kIdle;
    return Status();
  }

  Status Rollback() override {
    if (state_ != State::kWrite) return Status::Error(errc::kNoTransaction);
    scan_.reset();
    const int rc = sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    state_ = State::kIdle;
    ++generation_;  // the records kept include what the transaction wrote
    return rc == SQLITE_OK ? Status() : StorageFailure(rc, db_);
  }

  void EndReadSnapshot() override {
    if (state_ != State::kRead) return;
    scan_.reset();
    sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    state_ = State::kIdle;
  }

  void ShareCallLock(std::recursive_mutex* lock) override { callLock_ = lock; }

  Status ProbeWriteLock(bool wait) override {
    if (state_ == State::kWrite) return Status();
    Status status = BeginWrite(wait);
    if (!status.ok()) return status;
    return Rollback();
  }

  Status CountUsers(int64_t* count) override {
    return ReadInteger("SELECT count(*) FROM talmo_users", {}, count);
  }

  Status FindUser(std::u16string_view name, bool* found, UserEntry* user) override {
    StatementCache::Lease lease;
    Status status = PrepareRead("SELECT password_hash FROM talmo_users WHERE name=?", &lease);
    if (!status.ok()) return status;
    lease.Bind(1, Value::Text(text::ToUpper(name)));
    const int rc = sqlite3_step(lease.get());
    *found = rc == SQLITE_ROW;
    if (rc == SQLITE_ROW) {
      user->passwordHash = Read(lease.get(), 0, FieldType::kBlob).blob();
      return Status();
    }
    return rc == SQLITE_DONE ? Status() : StorageFailure(rc, db_);
  }

  Status AddUser(std::u16string_view name, const UserEntry& user) override {
    StatementCache::Lease lease;
    Status status =
        PrepareWrite("INSERT INTO talmo_users(name, password_hash) VALUES(?,?)", &lease);
    if (!status.ok()) return status;
    lease.Bind(1, Value::Text(text::ToUpper(name)));
    sqlite3_bind_text(lease.get(), 2, user.passwordHash.data(),
                      static_cast<int>(user.passwordHash.size()), SQLITE_STATIC);
    const int rc = sqlite3_step(lease.get());
    if (rc == SQLITE_CONSTRAINT_PRIMARYKEY) return Status::Error(errc::kUserExists);
    return rc == SQLITE_DONE ? Status() : StorageFailure(rc, db_);
  }

  Status RemoveUser(std::u16string_view name, bool* found) override {
    StatementCache::Lease lease;
    Status status = PrepareWrite("DELETE FROM talmo_users WHERE name=?", &lease);
    if (!status.ok()) return status;
    lease.Bind(1, Value::Text(text::ToUpper(name)));
    const int rc = sqlite3_step(lease.get());
    *found = sqlite3_changes(db_) > 0;
    return rc == SQLITE_DONE ? Status() : StorageFailure(rc, db_);
  }

  Status ListUsers(std::vector<std::u16string>* names) override {
    StatementCache::Lease lease;
    Status status = PrepareRead("SELECT name FROM talmo_users ORDER BY name", &lease);
    if (!status.ok()) return status;
    names->clear();
    int rc;
    while ((rc = sqlite3_step(lease.get())) == SQLITE_ROW) {
      names->push_back(Read(lease.get(), 0, FieldType::kText).text());
    }
    return rc == SQLITE_DONE ? Status() : StorageFailure(rc, db_);
  }

  Status ListCompanies(std::vector<CompanyEntry>* companies) override {
    StatementCache::Lease lease;
    Status status = PrepareRead("SELECT id, name FROM talmo_companies ORDER BY id", &lease);
    if (!status.ok()) return status;
    companies->clear();
    int rc;
    while ((rc = sqlite3_step(lease.get())) == SQLITE_ROW) {
      companies->push_back(
          {sqlite3_column_int64(lease.get(), 0), Read(lease.get(), 1, FieldType::kText).text()});
    }
    return rc == SQLITE_DONE ? Status() : StorageFailure(rc, db_);
  }

  Status CreateCompany(std::u16string_view name, int64_t* id) override {
    if (state_ != State::kWrite) return Status::Error(errc::kNoTransaction);
    {
      StatementCache::Lease lease;
      Status status = PrepareWrite("INSERT INTO talmo_companies(name) VALUES(?)", &lease);
      if (!status.ok()) return status;
      lease.Bind(1, Value::Text(std::u16string(name)));
      const int rc = sqlite3_step(lease.get());
      if ((rc & 0xFF) == SQLITE_CONSTRAINT) return Status::Error(errc::kCompanyExists);
      if (rc != SQLITE_DONE) return StorageFailure(rc, db_);
      *id = sqlite3_last_insert_rowid(db_);
    }
    return CreateCompanyTables(db_, *schema_, *id);
  }

  Status Seek(const Query& query, SeekMode mode, const Record& from, Record* out,
              bool* found) override {
    if (mode == SeekMode::kEqual) return SeekEqual(query, from, out, found);
    QueryPlan& plan = texts_.Plan(query);
    StatementCache::Lease lease;
    Status status = PrepareRead(
        plan.Text(query, mode == SeekMode::kFirst ? QueryStatement::kFirst : QueryStatement::kLast),
        &lease);
    if (!status.ok()) return status;
    int index = 1;
    BindFilters(lease, plan, &index);
    return FetchOne(lease.get(), out, found);
  }

  Status Step(const Query& query, const Record& from, int32_t steps, Record* out,
              int32_t* moved) override {
    const bool forward = steps > 0;
    QueryPlan& plan = texts_.Plan(query);
    if (steps == 1 || steps == -1) return StepOne(query, plan, from, forward, out, moved);
    const std::string& fetch =
        plan.Text(query, forward ? QueryStatement::kForward : QueryStatement::kBackward);
    const auto fetchAt = [&](int64_t offset, bool* found) {
      StatementCache::Lease lease;
      Status status = PrepareRead(fetch, &lease);
      if (!status.ok()) return status;
      BindKeyed(lease, query, plan, from, offset);
      return FetchOne(lease.get(), out, found);
    };
    const auto countAhead = [&](int64_t limit, int64_t* count) {
      StatementCache::Lease lease;
      Status status = PrepareRead(plan.Text(query, forward ? QueryStatement::kCountForward
                                                           : QueryStatement::kCountBackward),
                                  &lease);
      if (!status.ok()) return status;
      BindKeyed(lease, query, plan, from, limit);
      const int rc = sqlite3_step(lease.get());
      if (rc != SQLITE_ROW) return StorageFailure(rc, db_);
      *count = sqlite3_column_int64(lease.get(), 0);
      return Status();
    };
    return sql::StepByOffsets(steps, fetchAt, countAhead, moved);
  }

  Status Count(const Query& query, int64_t* count) override {
    QueryPlan& plan = texts_.Plan(query);
    return ReadInteger(plan.Text(query, QueryStatement::kCount), plan.parameters, count);
  }

  Status Compute(const Query& query, Aggregate aggregate, const FieldDef* field,
                 Value* out) override {
    QueryPlan& plan = texts_.Plan(query);
    int64_t number = 0;
    if (aggregate == Aggregate::kCount || aggregate == Aggregate::kExist) {
      Status status =
          ReadInteger(plan.Text(query, aggregate == Aggregate::kCount ? QueryStatement::kCount
                                                                      : QueryStatement::kExists),
                      plan.parameters, &number);
      return status.ok() ? sql::CountValue(aggregate, number, field, out) : status;
    }
    if (field->type == FieldType::kDecimal) {
      StatementCache::Lease lease;
      Status status = PrepareRead(plan.Sum(field->number, true), &lease);
      if (!status.ok()) return status;
      int index = 1;
      BindFilters(lease, plan, &index);
      DecimalSum sum;
      int rc;
      while ((rc = sqlite3_step(lease.get())) == SQLITE_ROW) {
        sum.Add(sqlite3_column_double(lease.get(), 0));
      }
      if (rc != SQLITE_DONE) return StorageFailure(rc, db_);
      *out = Value::Decimal(sum.Result());
      return Status();
    }
    Status status = ReadInteger(plan.Sum(field->number, false), plan.parameters, &number);
    return status.ok() ? sql::IntegerSumValue(number, *field, out) : status;
  }

  Status Insert(int64_t company, const Record& rec, bool* duplicate) override {
    *duplicate = false;
    const TableStatements& sql = texts_.Table(company, rec.table());
    StatementCache::Lease lease;
    Status status = PrepareWrite(sql.insert, &lease);
    if (!status.ok()) return status;
    int index = 1;
    for (size_t field : sql.stored) lease.Bind(index++, rec.at(field));
    const int rc = sqlite3_step(lease.get());
    if (rc != SQLITE_DONE) return WriteFailure(rc);
    *duplicate = sqlite3_changes(db_) == 0;  // the statement skips an existing key
    const TableId table{company, rec.table().number};
    if (*duplicate) {
      records_.Forget(table, PrimaryKeyOf(rec));
    } else {
      records_.Put(table, rec, generation_);
    }
    return Status();
  }

  Status Update(int64_t company, const Record& rec, bool* found) override {
    const TableStatements& sql = texts_.Table(company, rec.table());
    StatementCache::Lease lease;
    Status status = PrepareWrite(sql.update.empty() ? sql.exists : sql.update, &lease);
    if (!status.ok()) return status;
    int index = 1;
    if (!sql.update.empty()) {
      for (size_t field : sql.nonKey) lease.Bind(index++, rec.at(field));
    }
    for (size_t field : sql.key) lease.Bind(index++, rec.at(field));
    const int rc = sqlite3_step(lease.get());
    if (sql.update.empty()) {
      *found = rc == SQLITE_ROW;
      return rc == SQLITE_ROW || rc == SQLITE_DONE ? Status() : StorageFailure(rc, db_);
    }
    if (rc != SQLITE_DONE) return WriteFailure(rc);
    *found = sqlite3_changes(db_) > 0;
    const TableId table{company, rec.table().number};
    if (*found) {
      records_.Put(table, rec, generation_);
    } else {
      records_.PutMissing(table, PrimaryKeyOf(rec), generation_);
    }
    return Status();
  }

  Status Delete(int64_t company, const Record& rec, bool* found) override {
    const TableStatements& sql = texts_.Table(company, rec.table());
    StatementCache::Lease lease;
    Status status = PrepareWrite(sql.remove, &lease);
    if (!status.ok()) return status;
    int index = 1;
    for (size_t field : sql.key) lease.Bind(index++, rec.at(field));
    const int rc = sqlite3_step(lease.get());
    if (rc != SQLITE_DONE) return WriteFailure(rc);
    *found = sqlite3_changes(db_) > 0;
    records_.PutMissing({company, rec.table().number}, PrimaryKeyOf(rec), generation_);
    return Status();
  }

  Status DeleteAll(const Query& query) override {
    QueryPlan& plan = texts_.Plan(query);
    StatementCache::Lease lease;
    Status status = PrepareWrite(plan.Text(query, QueryStatement::kDelete), &lease);
    if (!status.ok()) return status;
    int index = 1;
    BindFilters(lease, plan, &index);
    const int rc = sqlite3_step(lease.get());
    ++generation_;
    return rc == SQLITE_DONE ? Status() : WriteFailure(rc);
  }

  Status InsertAll(int64_t company, std::span<const Record> records) override {
    for (const Record& rec : records) {
      bool duplicate = false;
      Status status = Insert(company, rec, &duplicate);
      if (!status.ok()) return status;
      if (duplicate) return Status::Error(errc::kRecordExists, rec.table().name);
    }
    return Status();
  }

  void set_schema(const Schema* schema) { schema_ = schema; }

 private:
  enum class State { kIdle, kRead, kWrite };

  // Outside a write transaction reads run in a read transaction that stays open until
  // EndReadSnapshot, so they all see one snapshot and need no lock per statement.
  Status PrepareRead(const std::string& sql, StatementCache::Lease* lease) {
    Status status = StartSnapshot();
    if (!status.ok()) return status;
    const int rc = cache_.Acquire(sql, lease);
    return rc == SQLITE_OK ? Status() : StorageFailure(rc, db_);
  }

  Status StartSnapshot() {
    if (state_ != State::kIdle) return Status();
    const int rc = sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return StorageFailure(rc, db_);
    state_ = State::kRead;
    Status status = CheckDataVersion();
    if (!status.ok()) EndReadSnapshot();
    return status;
  }

  // Called first in every snapshot and write transaction (the statement starts the read of
  // the file): a commit of another connection since the last one leaves none of the records
  // kept current. The connection's own commits do not change the version.
  Status CheckDataVersion() {
    int64_t version = 0;
    Status status = ReadInteger("PRAGMA data_version", {}, &version);
    if (!status.ok()) return status;
    if (version != dataVersion_) {
      dataVersion_ = version;
      ++generation_;
    }
    return Status();
  }

  // A look-up by the whole primary key: answered from the records kept when it can be, which
  // hold for the snapshot or transaction running.
  Status SeekEqual(const Query& query, const Record& from, Record* out, bool* found) {
    *found = false;
    Status status = StartSnapshot();
    if (!status.ok()) return status;
    const TableId table{query.company, query.table->number};
    std::vector<Value> key = PrimaryKeyOf(from);
    const Record* kept = nullptr;
    switch (records_.Find(table, key, generation_, &kept)) {
      case RecordCache::Knowledge::kMissing:
        return Status();
      case RecordCache::Knowledge::kRecord:
        *found = MatchesLookUp(query, *kept, from);
        return *found ? out->CopyFrom(*kept) : Status();
      case RecordCache::Knowledge::kNothing:
        break;
    }
    QueryPlan& plan = texts_.Plan(query);
    StatementCache::Lease lease;
    status = PrepareRead(plan.Text(query, QueryStatement::kEqual), &lease);
    if (!status.ok()) return status;
    int index = 1;
    BindKey(lease, query, from, &index);
    BindFilters(lease, plan, &index);
    status = FetchOne(lease.get(), out, found);
    if (!status.ok()) return status;
    if (*found) {
      records_.Put(table, *out, generation_);
    } else if (query.filters.empty() && query.order.size() == key.size()) {
      records_.PutMissing(table, std::move(key), generation_);
    }
    return Status();
  }

  // A write that failed may have taken the whole transaction with it (SQLite rolls back by
  // itself after some failures), and with it records the cache holds.
  Status WriteFailure(int rc) {
    ++generation_;
    return StorageFailure(rc, db_);
  }

  Status PrepareWrite(const std::string& sql, StatementCache::Lease* lease) {
    if (state_ != State::kWrite) return Status::Error(errc::kNoTransaction);
    scan_.reset();
    const int rc = cache_.Acquire(sql, lease);
    return rc == SQLITE_OK ? Status() : StorageFailure(rc, db_);
  }

  Status ReadInteger(const std::string& sql, const std::vector<Value>& parameters, int64_t* out) {
    StatementCache::Lease lease;
    Status status = PrepareRead(sql, &lease);
    if (!status.ok()) return status;
    int index = 1;
    for (const Value& value : parameters) lease.Bind(index++, value);
    const int rc = sqlite3_step(lease.get());
    if (rc != SQLITE_ROW) return StorageFailure(rc, db_);
    *out = sqlite3_column_int64(lease.get(), 0);
    return Status();
  }

  static void BindKey(StatementCache::Lease& lease, const Query& query, const Record& from,
                      int* index) {
    for (int32_t field : query.order) lease.Bind((*index)++, *from.Find(field));
  }

  static void BindFilters(StatementCache::Lease& lease, const QueryPlan& plan, int* index) {
    for (const Value& value : plan.parameters) lease.Bind((*index)++, value);
  }

  // The parameters of the keyset statements: key, filters, then the offset or limit.
  static void BindKeyed(StatementCache::Lease& lease, const Query& query, const QueryPlan& plan,
                        const Record& from, int64_t last) {
    int index = 1;
    BindKey(lease, query, from, &index);
    BindFilters(lease, plan, &index);
    sqlite3_bind_int64(lease.get(), index, last);
  }

  // Steps once; a row replaces the buffer's stored fields and resets the others (flow fields
  // read 0 until calculated).
  Status FetchOne(sqlite3_stmt* statement, Record* out, bool* found) {
    const int rc = sqlite3_step(statement);
    *found = rc == SQLITE_ROW;
    if (rc == SQLITE_DONE) return Status();
    if (rc != SQLITE_ROW) return StorageFailure(rc, db_);
    const TableDef& table = out->table();
    int column = 0;
    for (size_t i = 0; i < table.fields.size(); ++i) {
      if (IsStored(table.fields[i])) {
        ReadInto(statement, column++, &out->at(i));
      } else {
        out->InitAt(i);
      }
    }
    return Status();
  }

  // A step of one from the record the running scan gave last continues the scan; any other
  // step starts one. The scan runs until the next step of one elsewhere, write, transaction
  // boundary or end of the snapshot: a statement left running sees no fixed view of what its
  // own connection changes, and must not outlive the read transaction it reads in.
  Status StepOne(const Query& query, QueryPlan& plan, const Record& from, bool forward,
                 Record* out, int32_t* moved) {
    *moved = 0;
    if (!scan_ || scan_->plan != query.plan || scan_->forward != forward ||
        !scan_->Gave(query, from)) {
      scan_.reset();
      auto scan = std::make_unique<RunningScan>(callLock_, *query.table);
      Status status = PrepareRead(
          plan.Text(query, forward ? QueryStatement::kForwardRows : QueryStatement::kBackwardRows),
          &scan->lease);
      if (!status.ok()) return status;
      BindKeyed(scan->lease, query, plan, from, -1);  // a negative limit is none
      scan->plan = query.plan;
      scan->forward = forward;
      scan_ = std::move(scan);
    }
    return scan_->Step(*out, moved) ? Status() : EndScan(query, forward, out);
  }

  // After the scan's last step: at the end of the records `out` keeps the record it had. If
  // it held the scan's row, its stored fields are read again from the last record in the
  // scan's direction: the scan passed every record after the one it started from, in the
  // same snapshot, with no write of this connection between.
  Status EndScan(const Query& query, bool forward, Record* out) {
    const int rc = scan_->rc;
    const bool rowLost = scan_->withdrewFrom == out;
    Status failure = rc == SQLITE_DONE ? Status() : StorageFailure(rc, db_);
    scan_.reset();
    if (!failure.ok()) {
      if (rowLost) out->Init();  // the fields it had not read went with the row
      return failure;
    }
    if (!rowLost) return Status();
    Record last(*query.table);
    bool found = false;
    Status status = Seek(query, forward ? SeekMode::kLast : SeekMode::kFirst, last, &last, &found);
    if (status.ok() && !found) {
      status = Status::Error(errc::kStorageError, "the last record of a scan is gone");
    }
    if (!status.ok()) {
      out->Init();
      return status;
    }
    for (size_t i = 0; i < last.size(); ++i) {
      if (IsStored(query.table->fields[i])) out->at(i) = std::move(last.at(i));
    }
    return Status();
  }

  // The statement of a scan. Each row it steps to is lent to the buffer that asked for it: a
  // field is decoded when read, and a buffer still holding the row continues the scan.
  class RunningScan final : public RowSource {
   public:
    RunningScan(std::recursive_mutex* lock, const TableDef& table)
        : RowSource(lock, sql::StoredColumns(table)) {}
    ~RunningScan() override { Return(); }

    StatementCache::Lease lease;
    std::shared_ptr<void> plan;  // held, so that no other query's plan takes its address
    bool forward = true;
    int rc = SQLITE_OK;                    // of the last step
    const Record* withdrewFrom = nullptr;  // the buffer that held the row when the rows ended

    // Whether `rec` is the record the scan stepped to last, with the order fields it had.
    bool Gave(const Query& query, const Record& rec) {
      if (borrower() == &rec) return true;
      for (int32_t field : query.order) {
        const auto index = static_cast<size_t>(rec.IndexOf(field));
        Value stepped(rec.at(index).type());
        ReadColumn(ColumnOf(index), &stepped);
        if (!(stepped == rec.at(index))) return false;
      }
      return true;
    }

    // Steps once and lends the row to `out`. The row lent so far goes: a buffer other than
    // `out` takes every field of it first; `out` takes none, as the step rewrites it (or,
    // without a row, it is withdrawn).
    bool Step(Record& out, int32_t* moved) {
      if (borrower() != &out) Return();
      rc = sqlite3_step(lease.get());
      if (rc == SQLITE_ROW) {
        Lend(out);
        *moved = forward ? 1 : -1;
        return true;
      }
      withdrewFrom = borrower();
      Withdraw();
      return false;
    }

   private:
    void ReadColumn(int column, Value* value) override { ReadInto(lease.get(), column, value); }
  };

  sqlite3* db_;
  std::chrono::milliseconds busyTimeout_;
  StatementCache cache_;
  const Schema* schema_ = nullptr;
  State state_ = State::kIdle;
  sql::StatementTexts texts_{sql::kSqliteDialect};
  std::recursive_mutex* callLock_ = nullptr;
  std::unique_ptr<RunningScan> scan_;  // declared after cache_: returns its lease first
  RecordCache records_;
  // The generation of every record kept: a connection's records all end together, at another
  // connection's commit, a rollback or a DeleteAll.
  uint64_t generation_ = 1;
  int64_t dataVersion_ = -1;  // as the last snapshot or transaction started with
};

// Opens a connection with the client's settings; `create` allows a new file. Nothing is
// written to the file here: until its format is checked, a file only ever gets read.
Status Connect(const std::string& path, bool create, const OpenOptions& options, sqlite3** out) {
  sqlite3* db = nullptr;
  // No mutex of SQLite's own: a connection is used by one thread at a time (the engine's
  // storage wrapper serialises the calls of its watchdog with the owner's).
  const int flags =
      SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    Status failure = Status::Error(errc::kDatabaseOpenFailed,
                                   path + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
    sqlite3_close_v2(db);
    return failure;
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, static_cast<int>(options.busyTimeout.count()));
  // A crafted file can neither have SQL corrupt it nor make its schema run our functions.
  rc = sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  const std::string pragmas =
      "PRAGMA synchronous=" + std::string(options.commitCache ? "NORMAL" : "FULL") +
      "; PRAGMA cache_size=-" + std::to_string(options.cacheKiB > 0 ? options.cacheKiB : 2000) +
      "; PRAGMA journal_size_limit=" + std::to_string(kWalSizeLimit) + ";";
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, pragmas.c_str(), nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK) rc = RegisterFunctions(db);
  if (rc != SQLITE_OK) {
    Status failure = StorageFailure(rc, db);
    sqlite3_close_v2(db);
    return failure;
  }
  *out = db;
  return Status();
}

// Write-ahead logging: readers and the writer do not block each other. The first write a
// file gets from us, made only once it is known to be ours.
Status UseWal(sqlite3* db) {
  const int rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
  return rc == SQLITE_OK ? Status() : StorageFailure(rc, db);
}

}  // namespace

Status CreateDatabaseFile(const std::string& path, const Schema& schema) {
  std::error_code error;
  if (std::filesystem::exists(path, error)) return Status::Error(errc::kDatabaseExists, path);
  sqlite3* db = nullptr;
  Status status = Connect(path, true, OpenOptions{}, &db);
  if (!status.ok()) return status;
  status = UseWal(db);
  if (status.ok()) status = WriteNewCatalogue(db, schema);
  sqlite3_close_v2(db);
  if (!status.ok()) {
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix, error);
  }
  return status;
}

Status OpenStorage(const std::string& path, const OpenOptions& options, const Schema& schema,
                   std::unique_ptr<Storage>* out) {
  std::error_code error;
  if (path.empty() || !std::filesystem::is_regular_file(path, error)) {
    return Status::Error(errc::kDatabaseNotFound, path);
  }
  sqlite3* db = nullptr;
  Status status = Connect(path, false, options, &db);
  if (!status.ok()) return status;
  status = SynchroniseCatalogue(db, schema);
  if (status.ok()) status = UseWal(db);
  if (!status.ok()) {
    sqlite3_close_v2(db);
    return status;
  }
  auto storage = std::make_unique<SqliteStorage>(
      db, options.busyTimeout, static_cast<size_t>(std::max(options.cacheKiB, 0)) * 1024);
  storage->set_schema(&schema);
  *out = std::move(storage);
  return Status();
}

}  // namespace dbclient::sqlite
