#include "storage/postgres/storage.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "engine/text_util.h"
#include "error_codes.h"
#include "storage/postgres/connection.h"
#include "storage/postgres/data_versions.h"
#include "storage/postgres/edge_records.h"
#include "storage/postgres/read_ahead.h"
#include "storage/record_cache.h"
#include "storage/postgres/schema.h"
#include "storage/sql_text.h"

namespace dbclient::postgres {
namespace {

using sql::kPostgresDialect;
using sql::QueryPlan;
using sql::QueryStatement;
using sql::TableStatements;
using Knowledge = RecordCache::Knowledge;

// Rows of one multi-row INSERT of a bulk load; well below the protocol's 65535 parameters
// for the widest table.
constexpr size_t kLoadRows = 200;

// Read-ahead: finding the first or last record fetches a few; a walk through the records
// fetches pages that grow eightfold while it goes on, up to the largest. Each request costs
// the server far more than a row does (16, 128, 1024 reads a thousand records from the first
// in three requests, where 4 and doubling took eight), while a short walk asks for little.
// A shape of query whose last search of the first or last record was not followed by a walk
// (a look-up of the last number in use, say) reads just that record the next time.
constexpr int32_t kEdgeRows = 16;
constexpr int32_t kLookUpEdgeRows = 1;
constexpr int32_t kFirstPageRows = 16;
constexpr int32_t kPageGrowth = 8;
constexpr int32_t kLargestPageRows = 1024;

class PostgresStorage final : public Storage {
 public:
  PostgresStorage(std::unique_ptr<Connection> connection, const Schema& schema,
                  const OpenOptions& options)
      : connection_(std::move(connection)),
        schema_(schema),
        busyTimeout_(options.busyTimeout),
        deferWrites_(options.commitCache),
        cache_(static_cast<size_t>(std::max(options.cacheKiB, 0)) * 1024) {}

  ~PostgresStorage() override {
    connection_->DropDeferred();
    if (state_ != State::kIdle && !connection_->broken()) connection_->Run("ROLLBACK");
  }

  // Takes the write lock and reads the data versions in one request (ending the read
  // snapshot in it too).
  Status BeginWrite(bool wait) override {
    if (state_ == State::kWrite) return Status::Error(errc::kTransactionActive);
    const std::string begin = (state_ == State::kRead ? "COMMIT; BEGIN; " : "BEGIN; ");
    state_ = State::kIdle;
    Result result;
    Status status;
    if (wait) {
      // lock_timeout 0 would wait for ever.
      const int64_t timeout = std::max<int64_t>(1, busyTimeout_.count());
      status = connection_->Run(begin + "SET LOCAL lock_timeout = " + std::to_string(timeout) +
                                    "; SELECT pg_advisory_xact_lock(" + kWriteLockKey + "); " +
                                    kVersionsQuery,
                                &result);
    } else {
      status = connection_->Run(begin + "SELECT pg_try_advisory_xact_lock(" + kWriteLockKey + ")",
                                &result);
      if (status.ok() && result.Text(0, 0) != "t") status = Status::Error(errc::kTableLocked);
      if (status.ok()) status = connection_->Run(kVersionsQuery, &result);
    }
    if (!status.ok()) {
      if (connection_->inTransaction()) connection_->Run("ROLLBACK");
      return status;
    }
    state_ = State::kWrite;
    versions_.Start(result);
    return Status();
  }

  // Sends what is deferred, reads the versions the transaction raised and commits, in one
  // request. A transaction that failed on the way rolls back.
  Status Commit() override {
    if (state_ != State::kWrite) return Status::Error(errc::kNoTransaction);
    state_ = State::kIdle;
    Status status = Usable();
    Result raised, result;
    if (status.ok()) status = connection_->Defer(kRaisedVersionsQuery, {}, &raised);
    if (status.ok()) status = connection_->QueryOnce("COMMIT", {}, &result);
    if (status.ok() && std::string_view(result.Command()) != "COMMIT") {
      status = Status::Error(errc::kTransactionFailed);
    }
    if (!status.ok()) {
      connection_->DropDeferred();
      if (connection_->inTransaction()) connection_->Run("ROLLBACK");
      versions_.RolledBack();
      loaded_.clear();
      return status;
    }
    versions_.Committed(raised);
    // Only statistics: a failure leaves the committed data as it is, and a broken connection
    // says so at the next call.
    for (const std::string& table : loaded_) connection_->Run("ANALYZE " + table);
    loaded_.clear();
    return Status();
  }

  Status Rollback() override {
    if (state_ != State::kWrite) return Status::Error(errc::kNoTransaction);
    state_ = State::kIdle;
    connection_->DropDeferred();
    versions_.RolledBack();
    loaded_.clear();
    return connection_->Run("ROLLBACK");
  }

  void EndReadSnapshot() override {
    if (state_ != State::kRead) return;
    state_ = State::kIdle;
    connection_->Run("COMMIT");  // a broken connection says so at the next call
  }

  Status ProbeWriteLock(bool wait) override {
    if (state_ == State::kWrite) return Status();
    Status status = BeginWrite(wait);
    if (!status.ok()) return status;
    return Rollback();
  }

  // On a server, users are the server's: the connection logged in already.
  Status CountUsers(int64_t* count) override {
    *count = 0;
    return Status();
  }

  Status FindUser(std::u16string_view, bool* found, UserEntry*) override {
    *found = false;
    return Status();
  }

  Status AddUser(std::u16string_view name, const UserEntry&) override {
    return Status::Error(errc::kServerUsers, text::ToUtf8(name));
  }

  Status RemoveUser(std::u16string_view name, bool*) override {
    return Status::Error(errc::kServerUsers, text::ToUtf8(name));
  }

  Status ListUsers(std::vector<std::u16string>* names) override {
    names->clear();
    return Status();
  }

  Status ListCompanies(std::vector<CompanyEntry>* companies) override {
    Result result;
    Status status = Read("SELECT id, name FROM talmo_companies ORDER BY id", {}, &result);
    if (!status.ok()) return status;
    companies->clear();
    for (int row = 0; row < result.rows(); ++row) {
      companies->push_back({result.Integer(row, 0), result.Get(row, 1, FieldType::kText).text()});
    }
    return Status();
  }

  Status CreateCompany(std::u16string_view name, int64_t* id) override {
    Parameters parameters;
    parameters.Add(Value::Text(std::u16string(name)));
    Result result;
    Status status = Write(
        "INSERT INTO talmo_companies(name) VALUES($1) ON CONFLICT DO NOTHING RETURNING id",
        parameters, &result);
    if (!status.ok()) return status;
    if (result.rows() == 0) return Status::Error(errc::kCompanyExists, text::ToUtf8(name));
    *id = result.Integer(0, 0);
    std::string tables;
    status = CompanyTablesText(schema_, *id, &tables);
    return status.ok() ? connection_->Run(tables) : status;
  }

  // The equal record comes from the record cache when it knows the key; the first and the
  // last from a page read ahead.
  Status Seek(const Query& query, SeekMode mode, const Record& from, Record* out,
              bool* found) override {
    *found = false;
    Status status = Ready();
    if (!status.ok()) return status;
    QueryPlan& plan = texts_.Plan(query);
    const TableId table{query.company, query.table->number};
    if (mode == SeekMode::kEqual) return SeekEqual(query, plan, table, from, out, found);
    const bool ascending = mode == SeekMode::kFirst;
    const uint64_t generation = versions_.PageGeneration(table);
    Page* page = PageOf(plan, generation);
    if (page == nullptr || !page->StartsAtEdge(ascending)) {
      const uint64_t records = versions_.RecordGeneration(table);
      if (const std::optional<Record>* edge = edges_.Find(plan, ascending, records)) {
        *found = edge->has_value();
        return *found ? out->CopyFrom(**edge) : Status();
      }
      int32_t& edgeRows = plan.shape->edgeRows;
      const int32_t asked = edgeRows > 0 ? edgeRows : kEdgeRows;
      Parameters parameters;
      AddFilters(plan, &parameters);
      parameters.AddInteger(asked);
      Result rows;
      status =
          Read(plan.Text(query, ascending ? QueryStatement::kFirstRows : QueryStatement::kLastRows),
               parameters, &rows);
      if (!status.ok()) return status;
      if (EdgeRecords::Keeps(query)) {
        std::optional<Record> edge;
        if (rows.rows() > 0) rows.ReadRecord(0, &edge.emplace(*query.table));
        edges_.Put(query, plan, ascending, records, std::move(edge));
      }
      page = Keep(plan, std::make_shared<Page>(query, std::move(rows), asked, ascending, nullptr,
                                               generation));
      edgeRows = kLookUpEdgeRows;  // until a step walks from the page
    }
    *found = page->Edge(out);
    return Status();
  }

  // From the query's page when the step starts where it stands, else from a new page after
  // (before) `from`, larger when the walk ran out of the last one.
  Status Step(const Query& query, const Record& from, int32_t steps, Record* out,
              int32_t* moved) override {
    *moved = 0;
    Status status = Ready();
    if (!status.ok() || steps == 0) return status;
    QueryPlan& plan = texts_.Plan(query);
    const uint64_t generation = versions_.PageGeneration({query.company, query.table->number});
    int32_t asked = kFirstPageRows;
    if (Page* page = PageOf(plan, generation)) {
      const Page::Outcome outcome = page->Step(from, steps, out, moved);
      if (outcome != Page::Outcome::kNotHere && page->FromEdge()) plan.shape->edgeRows = kEdgeRows;
      switch (outcome) {
        case Page::Outcome::kServed:
          return Status();
        case Page::Outcome::kRanOut:
          asked = std::clamp(kPageGrowth * page->asked(), kFirstPageRows, kLargestPageRows);
          break;
        case Page::Outcome::kNotHere:
          break;
      }
    }
    const bool forward = steps > 0;
    const int64_t distance = forward ? steps : -static_cast<int64_t>(steps);
    if (distance > kLargestPageRows) return StepFar(query, plan, from, steps, out, moved);
    asked = std::max(asked, static_cast<int32_t>(distance));
    Result rows;
    status = Read(
        plan.Text(query, forward ? QueryStatement::kForwardRows : QueryStatement::kBackwardRows),
        KeyedParameters(query, plan, from, asked), &rows);
    if (!status.ok()) return status;
    Keep(plan, std::make_shared<Page>(query, std::move(rows), asked, forward, &from, generation))
        ->Step(from, steps, out, moved);
    return Status();
  }

  Status Count(const Query& query, int64_t* count) override {
    QueryPlan& plan = texts_.Plan(query);
    return ReadInteger(plan.Text(query, QueryStatement::kCount), plan, count);
  }

  Status Compute(const Query& query, Aggregate aggregate, const FieldDef* field,
                 Value* out) override {
    QueryPlan& plan = texts_.Plan(query);
    if (aggregate == Aggregate::kCount || aggregate == Aggregate::kExist) {
      int64_t number = 0;
      Status status = ReadInteger(
          plan.Text(query, aggregate == Aggregate::kExist ? QueryStatement::kExists
                                                          : QueryStatement::kCount),
          plan, &number);
      return status.ok() ? sql::CountValue(aggregate, number, field, out) : status;
    }
    // numeric sums are exact; integer sums come as bigint.
    Parameters parameters;
    AddFilters(plan, &parameters);
    Result result;
    Status status = Read(plan.Sum(field->number, false), parameters, &result);
    if (!status.ok()) return status;
    if (field->type == FieldType::kDecimal) {
      *out = result.Get(0, 0, FieldType::kDecimal);
      return Status();
    }
    return sql::IntegerSumValue(result.Integer(0, 0), *field, out);
  }

  // Changes of one record. With CommitCache on, a change whose outcome the record cache
  // knows (an insert of a key known to be missing, a modify or delete of a record known to
  // exist) is deferred: sent with the next request, checked by the server to change exactly
  // that record, so that a wrong guess fails the transaction (kWriteConflict) at the latest
  // when it commits. Any other change waits for the server's answer.
  Status Insert(int64_t company, const Record& rec, bool* duplicate) override {
    *duplicate = false;
    const TableId table{company, rec.table().number};
    const TableStatements& sql = texts_.Table(company, rec.table());
    Parameters parameters;
    for (size_t field : sql.stored) parameters.Add(rec.at(field));
    const uint64_t generation = versions_.RecordGeneration(table);
    Status status;
    if (Deferrable(table, rec, PrimaryKeyOf(rec), generation, Knowledge::kMissing)) {
      status = Defer(Checked(company, rec.table()).insert, std::move(parameters));
    } else {
      Result result;
      status = Write(sql.insert, parameters, &result);
      *duplicate = status.ok() && result.Changed() == 0;  // the statement skips an existing key
    }
    if (!status.ok()) return status;
    versions_.Wrote(table);
    if (*duplicate) {
      cache_.Forget(table, PrimaryKeyOf(rec));
    } else {
      cache_.Put(table, rec, generation);
      edges_.Inserted(table, rec);
    }
    return status;
  }

  Status Update(int64_t company, const Record& rec, bool* found) override {
    *found = false;
    const TableId table{company, rec.table().number};
    const TableStatements& sql = texts_.Table(company, rec.table());
    Parameters parameters;
    if (!sql.update.empty()) {
      for (size_t field : sql.nonKey) parameters.Add(rec.at(field));
    }
    for (size_t field : sql.key) parameters.Add(rec.at(field));
    Result result;
    if (sql.update.empty()) {  // every stored field is a key field: nothing to change
      Status status = Write(sql.exists, parameters, &result);
      *found = status.ok() && result.rows() > 0;
      return status;
    }
    const std::vector<Value> key = PrimaryKeyOf(rec);
    const uint64_t generation = versions_.RecordGeneration(table);
    Status status;
    if (Deferrable(table, rec, key, generation, Knowledge::kRecord)) {
      status = Defer(Checked(company, rec.table()).update, std::move(parameters));
      *found = status.ok();
    } else {
      status = Write(sql.update, parameters, &result);
      *found = status.ok() && result.Changed() > 0;
    }
    if (!status.ok()) return status;
    versions_.Wrote(table);
    if (*found) {
      cache_.Put(table, rec, generation);
      edges_.Updated(table, rec);
    } else {
      cache_.PutMissing(table, key, generation);
    }
    return status;
  }

  Status Delete(int64_t company, const Record& rec, bool* found) override {
    *found = false;
    const TableId table{company, rec.table().number};
    const TableStatements& sql = texts_.Table(company, rec.table());
    Parameters parameters;
    for (size_t field : sql.key) parameters.Add(rec.at(field));
    std::vector<Value> key = PrimaryKeyOf(rec);
    const uint64_t generation = versions_.RecordGeneration(table);
    Status status;
    if (Deferrable(table, rec, key, generation, Knowledge::kRecord)) {
      status = Defer(Checked(company, rec.table()).remove, std::move(parameters));
      *found = status.ok();
    } else {
      Result result;
      status = Write(sql.remove, parameters, &result);
      *found = status.ok() && result.Changed() > 0;
    }
    if (!status.ok()) return status;
    versions_.Wrote(table);
    cache_.PutMissing(table, std::move(key), generation);
    if (*found) edges_.Deleted(table, rec);
    return status;
  }

  Status DeleteAll(const Query& query) override {
    QueryPlan& plan = texts_.Plan(query);
    Parameters parameters;
    AddFilters(plan, &parameters);
    Result result;
    Status status = Write(plan.Text(query, QueryStatement::kDelete), parameters, &result);
    if (status.ok()) versions_.WroteMany({query.company, query.table->number});
    return status;
  }

  Status InsertAll(int64_t company, std::span<const Record> records) override {
    if (state_ != State::kWrite) return Status::Error(errc::kNoTransaction);
    Status status = Usable();
    for (size_t first = 0; status.ok() && first < records.size(); first += kLoadRows) {
      const auto batch = records.subspan(first, std::min(kLoadRows, records.size() - first));
      const TableDef& table = batch.front().table();
      const std::vector<size_t> stored = sql::StoredFields(table);
      const std::string name = sql::TableName(company, table.number);
      loaded_.insert(name);
      std::string text = "INSERT INTO " + name + " VALUES";
      Parameters parameters;
      for (const Record& rec : batch) {
        if (&rec.table() != &table) return Status::Error(errc::kWrongTable, rec.table().name);
        text += parameters.size() == 0 ? "(" : ",(";
        for (size_t i = 0; i < stored.size(); ++i) {
          parameters.Add(rec.at(stored[i]));
          text += (i == 0 ? "$" : ",$") + std::to_string(parameters.size());
        }
        text += ")";
      }
      versions_.WroteMany({company, table.number});
      Result result;
      status = connection_->QueryOnce(text, parameters, &result);
    }
    return status;
  }

 private:
  enum class State { kIdle, kRead, kWrite };

  // The statements of a table's changes that are sent without waiting (see CheckedWrite).
  struct CheckedStatements {
    std::string insert;
    std::string update;
    std::string remove;
  };

  // Whether the connection may send statements of the open write transaction: not once one
  // of them failed (the server then ignores everything up to the rollback).
  Status Usable() const {
    return connection_->transactionFailed() ? Status::Error(errc::kTransactionFailed) : Status();
  }

  // Reads are made in the open write transaction, else in the read snapshot, which begins
  // (with the data versions read in the same request) when none is open.
  Status Ready() {
    if (state_ == State::kWrite) return Usable();
    if (state_ == State::kRead) return Status();
    Result versions;
    Status status = connection_->Run(
        std::string("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY; ") + kVersionsQuery,
        &versions);
    if (!status.ok()) {
      if (connection_->inTransaction()) connection_->Run("ROLLBACK");
      return status;
    }
    state_ = State::kRead;
    versions_.Start(versions);
    return Status();
  }

  // A failed read ends the snapshot, which the server has aborted.
  Status Read(const std::string& sql, const Parameters& parameters, Result* out) {
    Status status = Ready();
    if (!status.ok()) return status;
    status = connection_->Query(sql, parameters, out);
    if (!status.ok() && state_ == State::kRead) {
      state_ = State::kIdle;
      if (connection_->inTransaction()) connection_->Run("ROLLBACK");
    }
    return status;
  }

  Status Write(const std::string& sql, const Parameters& parameters, Result* out) {
    if (state_ != State::kWrite) return Status::Error(errc::kNoTransaction);
    Status status = Usable();
    return status.ok() ? connection_->Query(sql, parameters, out) : status;
  }

  Status Defer(const std::string& sql, Parameters parameters) {
    if (state_ != State::kWrite) return Status::Error(errc::kNoTransaction);
    Status status = Usable();
    return status.ok() ? connection_->Defer(sql, std::move(parameters)) : status;
  }

  // Whether a change of `rec`, whose primary key is `key`, may be deferred: CommitCache is on
  // and the cache knows the key as `expected`, or a kept edge shows the key `expected` missing.
  bool Deferrable(TableId table, const Record& rec, const std::vector<Value>& key,
                  uint64_t generation, Knowledge expected) {
    if (!deferWrites_ || state_ != State::kWrite) return false;
    const Record* cached = nullptr;
    Knowledge known = cache_.Find(table, key, generation, &cached);
    if (known == Knowledge::kNothing && edges_.ProvesMissing(table, rec, generation)) {
      known = Knowledge::kMissing;
    }
    return known == expected;
  }

  const CheckedStatements& Checked(int64_t company, const TableDef& table) {
    const auto [it, added] = checked_.try_emplace({company, &table});
    if (added) {
      const TableStatements& sql = texts_.Table(company, table);
      it->second = {CheckedWrite(sql.insert), sql.update.empty() ? "" : CheckedWrite(sql.update),
                    CheckedWrite(sql.remove)};
    }
    return it->second;
  }

  // The equal record: from the cache when it knows the key (the record must still match the
  // query's order values and filters), else from the server, whose answer the cache keeps
  // (that no record has the key only when the query asked just for the key).
  Status SeekEqual(const Query& query, QueryPlan& plan, TableId table, const Record& from,
                   Record* out, bool* found) {
    const uint64_t generation = versions_.RecordGeneration(table);
    const std::vector<Value> key = PrimaryKeyOf(from);
    const Record* cached = nullptr;
    switch (cache_.Find(table, key, generation, &cached)) {
      case Knowledge::kMissing:
        return Status();
      case Knowledge::kRecord:
        *found = MatchesLookUp(query, *cached, from);
        return *found ? out->CopyFrom(*cached) : Status();
      case Knowledge::kNothing:
        if (!edges_.ProvesMissing(table, from, generation)) break;
        cache_.PutMissing(table, key, generation);
        return Status();
    }
    Parameters parameters;
    AddKey(query, from, &parameters);
    AddFilters(plan, &parameters);
    Status status = FetchOne(plan.Text(query, QueryStatement::kEqual), parameters, out, found);
    if (!status.ok()) return status;
    if (*found) {
      cache_.Put(table, *out, generation);
    } else if (query.filters.empty() && query.order.size() == key.size()) {
      cache_.PutMissing(table, key, generation);
    }
    return Status();
  }

  // The page of a plan while its table's pages are current, else nullptr.
  static Page* PageOf(QueryPlan& plan, uint64_t generation) {
    auto* page = static_cast<Page*>(plan.records.get());
    return page != nullptr && generation != 0 && page->generation() == generation ? page : nullptr;
  }

  static Page* Keep(QueryPlan& plan, std::shared_ptr<Page> page) {
    plan.records = page;
    return page.get();
  }

  // A step further than the largest page: by offsets from `from`, a record at a time.
  Status StepFar(const Query& query, QueryPlan& plan, const Record& from, int32_t steps,
                 Record* out, int32_t* moved) {
    const bool forward = steps > 0;
    const std::string& fetch =
        plan.Text(query, forward ? QueryStatement::kForward : QueryStatement::kBackward);
    const auto fetchAt = [&](int64_t offset, bool* found) {
      return FetchOne(fetch, KeyedParameters(query, plan, from, offset), out, found);
    };
    const auto countAhead = [&](int64_t limit, int64_t* count) {
      Result result;
      Status status = Read(plan.Text(query, forward ? QueryStatement::kCountForward
                                                    : QueryStatement::kCountBackward),
                           KeyedParameters(query, plan, from, limit), &result);
      if (status.ok()) *count = result.Integer(0, 0);
      return status;
    };
    return sql::StepByOffsets(steps, fetchAt, countAhead, moved);
  }

  Status ReadInteger(const std::string& sql, const QueryPlan& plan, int64_t* out) {
    Parameters parameters;
    AddFilters(plan, &parameters);
    Result result;
    Status status = Read(sql, parameters, &result);
    if (status.ok()) *out = result.Integer(0, 0);
    return status;
  }

  static void AddKey(const Query& query, const Record& from, Parameters* parameters) {
    for (int32_t field : query.order) parameters->Add(*from.Find(field));
  }

  static void AddFilters(const QueryPlan& plan, Parameters* parameters) {
    for (const Value& value : plan.parameters) parameters->Add(value);
  }

  // The parameters of the keyset statements: key, filters, then the offset or limit.
  static Parameters KeyedParameters(const Query& query, const QueryPlan& plan, const Record& from,
                                    int64_t last) {
    Parameters parameters;
    AddKey(query, from, &parameters);
    AddFilters(plan, &parameters);
    parameters.AddInteger(last);
    return parameters;
  }

  // Reads at most one row into the buffer.
  Status FetchOne(const std::string& sql, const Parameters& parameters, Record* out,
                  bool* found) {
    Result result;
    Status status = Read(sql, parameters, &result);
    *found = status.ok() && result.rows() > 0;
    if (*found) result.ReadRecord(0, out);
    return status;
  }

  std::unique_ptr<Connection> connection_;
  const Schema& schema_;
  std::chrono::milliseconds busyTimeout_;
  bool deferWrites_;
  State state_ = State::kIdle;
  sql::StatementTexts texts_{kPostgresDialect};
  std::map<std::pair<int64_t, const TableDef*>, CheckedStatements> checked_;
  DataVersions versions_;
  RecordCache cache_;
  EdgeRecords edges_;
  // Tables that InsertAll loaded in the open write transaction, analyzed once it commits:
  // until the server's statistics know the rows, it plans as for an empty table (sorting
  // every record a page of a cursor asks for, where the key's index gives them in order),
  // and autovacuum gets to a table only a while later.
  std::set<std::string> loaded_;
};

// A database name as an SQL identifier: quoted, inner quotes doubled.
std::string Identifier(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

}  // namespace

Status OpenStorage(const ServerLogin& login, const OpenOptions& options, const Schema& schema,
                   std::unique_ptr<Storage>* out) {
  std::unique_ptr<Connection> connection;
  Status status = Connection::Open(login, &connection);
  if (status.ok()) status = SynchroniseCatalogue(*connection, schema);
  if (!status.ok()) return status;
  *out = std::make_unique<PostgresStorage>(std::move(connection), schema, options);
  return Status();
}

Status CreateDatabase(const ServerLogin& login, const Schema& schema) {
  if (login.database.empty()) return Status::Error(errc::kInvalidName, "");
  ServerLogin maintenance = login;
  maintenance.database = "postgres";
  std::unique_ptr<Connection> server;
  Status status = Connection::Open(maintenance, &server);
  if (!status.ok()) return status;
  Result result;
  Parameters name;
  name.AddText(login.database);
  status = server->Query("SELECT 1 FROM pg_database WHERE datname=$1", name, &result);
  if (!status.ok()) return status;
  if (result.rows() > 0) return Status::Error(errc::kServerDatabaseExists, login.database);
  // Code-point order and UTF-8 whatever the server's defaults are.
  status = server->Run("CREATE DATABASE " + Identifier(login.database) +
                       " ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0");
  if (!status.ok()) return status;
  std::unique_ptr<Connection> created;
  status = Connection::Open(login, &created);
  if (status.ok()) status = WriteNewCatalogue(*created, schema);
  created.reset();
  if (!status.ok()) server->Run("DROP DATABASE IF EXISTS " + Identifier(login.database));
  return status;
}

}  // namespace dbclient::postgres
