#include "storage/postgres/storage.h"

#include <algorithm>

#include "engine/text_util.h"
#include "error_codes.h"
#include "storage/postgres/connection.h"
#include "storage/postgres/schema.h"
#include "storage/sql_text.h"

namespace dbclient::postgres {
namespace {

using sql::kPostgresDialect;
using sql::QueryPlan;
using sql::QueryStatement;
using sql::TableStatements;

// Rows of one multi-row INSERT of a bulk load; well below the protocol's 65535 parameters
// for the widest table.
constexpr size_t kLoadRows = 200;

class PostgresStorage final : public Storage {
 public:
  PostgresStorage(std::unique_ptr<Connection> connection, const Schema& schema,
                  std::chrono::milliseconds busyTimeout)
      : connection_(std::move(connection)), schema_(schema), busyTimeout_(busyTimeout) {}

  ~PostgresStorage() override {
    if (state_ != State::kIdle && !connection_->broken()) connection_->Run("ROLLBACK");
  }

  Status BeginWrite(bool wait) override {
    if (state_ == State::kWrite) return Status::Error(errc::kTransactionActive);
    EndReadSnapshot();
    Result result;
    // lock_timeout 0 would wait for ever.
    const int64_t timeout = std::max<int64_t>(1, busyTimeout_.count());
    const std::string lock =
        wait ? "SET LOCAL lock_timeout = " + std::to_string(timeout) +
                   "; SELECT pg_advisory_xact_lock(" + kWriteLockKey + ")"
             : std::string("SELECT pg_try_advisory_xact_lock(") + kWriteLockKey + ")";
    Status status = connection_->Run("BEGIN; " + lock, &result);
    if (status.ok() && !wait && result.Text(0, 0) != "t") {
      status = Status::Error(errc::kTableLocked);
    }
    if (!status.ok()) {
      if (!connection_->broken()) connection_->Run("ROLLBACK");
      return status;
    }
    state_ = State::kWrite;
    return Status();
  }

  Status Commit() override {
    if (state_ != State::kWrite) return Status::Error(errc::kNoTransaction);
    state_ = State::kIdle;
    Result result;
    Status status = connection_->Run("COMMIT", &result);
    if (!status.ok()) return status;
    // A transaction that failed half-way ends in a rollback, whatever it is told.
    if (std::string_view(result.Command()) != "COMMIT") {
      return Status::Error(errc::kTransactionFailed);
    }
    return Status();
  }

  Status Rollback() override {
    if (state_ != State::kWrite) return Status::Error(errc::kNoTransaction);
    state_ = State::kIdle;
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

  Status Seek(const Query& query, SeekMode mode, const Record& from, Record* out,
              bool* found) override {
    QueryPlan& plan = texts_.Plan(query);
    const QueryStatement statement = mode == SeekMode::kFirst  ? QueryStatement::kFirst
                                     : mode == SeekMode::kLast ? QueryStatement::kLast
                                                               : QueryStatement::kEqual;
    Parameters parameters;
    if (mode == SeekMode::kEqual) AddKey(query, from, &parameters);
    AddFilters(plan, &parameters);
    return FetchOne(plan.Text(query, statement), parameters, out, found);
  }

  Status Step(const Query& query, const Record& from, int32_t steps, Record* out,
              int32_t* moved) override {
    const bool forward = steps > 0;
    QueryPlan& plan = texts_.Plan(query);
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
    Status status = Read(
        plan.Select(query, "SELECT coalesce(sum(" + sql::ColumnName(field->number) + "),0)"),
        parameters, &result);
    if (!status.ok()) return status;
    if (field->type == FieldType::kDecimal) {
      *out = result.Get(0, 0, FieldType::kDecimal);
      return Status();
    }
    return sql::IntegerSumValue(result.Integer(0, 0), *field, out);
  }

  Status Insert(int64_t company, const Record& rec, bool* duplicate) override {
    const TableStatements& sql = texts_.Table(company, rec.table());
    Parameters parameters;
    for (size_t field : sql.stored) parameters.Add(rec.at(field));
    Result result;
    Status status = Write(sql.insert, parameters, &result);
    *duplicate = status.ok() && result.Changed() == 0;  // the statement skips an existing key
    return status;
  }

  Status Update(int64_t company, const Record& rec, bool* found) override {
    const TableStatements& sql = texts_.Table(company, rec.table());
    Parameters parameters;
    if (!sql.update.empty()) {
      for (size_t field : sql.nonKey) parameters.Add(rec.at(field));
    }
    for (size_t field : sql.key) parameters.Add(rec.at(field));
    Result result;
    Status status = Write(sql.update.empty() ? sql.exists : sql.update, parameters, &result);
    *found = status.ok() && (sql.update.empty() ? result.rows() > 0 : result.Changed() > 0);
    return status;
  }

  Status Delete(int64_t company, const Record& rec, bool* found) override {
    const TableStatements& sql = texts_.Table(company, rec.table());
    Parameters parameters;
    for (size_t field : sql.key) parameters.Add(rec.at(field));
    Result result;
    Status status = Write(sql.remove, parameters, &result);
    *found = status.ok() && result.Changed() > 0;
    return status;
  }

  Status DeleteAll(const Query& query) override {
    QueryPlan& plan = texts_.Plan(query);
    Parameters parameters;
    AddFilters(plan, &parameters);
    Result result;
    return Write(plan.Text(query, QueryStatement::kDelete), parameters, &result);
  }

  Status InsertAll(int64_t company, std::span<const Record> records) override {
    if (state_ != State::kWrite) return Status::Error(errc::kNoTransaction);
    for (size_t first = 0; first < records.size(); first += kLoadRows) {
      const auto batch = records.subspan(first, std::min(kLoadRows, records.size() - first));
      const TableDef& table = batch.front().table();
      const std::vector<size_t> stored = sql::StoredFields(table);
      std::string text = "INSERT INTO " + sql::TableName(company, table.number) + " VALUES";
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
      Result result;
      Status status = connection_->QueryOnce(text, parameters, &result);
      if (!status.ok()) return status;
    }
    return Status();
  }

 private:
  enum class State { kIdle, kRead, kWrite };

  // A read: in the open write transaction, else in the read snapshot, begun when none is.
  // A failed read ends the snapshot, which the server has aborted.
  Status Read(const std::string& sql, const Parameters& parameters, Result* out) {
    if (state_ == State::kIdle) {
      Status status = connection_->Run("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
      if (!status.ok()) return status;
      state_ = State::kRead;
    }
    Status status = connection_->Query(sql, parameters, out);
    if (!status.ok() && state_ == State::kRead) {
      state_ = State::kIdle;
      if (!connection_->broken()) connection_->Run("ROLLBACK");
    }
    return status;
  }

  Status Write(const std::string& sql, const Parameters& parameters, Result* out) {
    if (state_ != State::kWrite) return Status::Error(errc::kNoTransaction);
    return connection_->Query(sql, parameters, out);
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

  // Reads at most one row; a row replaces the buffer's stored fields and resets the others
  // (flow fields read 0 until calculated).
  Status FetchOne(const std::string& sql, const Parameters& parameters, Record* out,
                  bool* found) {
    Result result;
    Status status = Read(sql, parameters, &result);
    *found = status.ok() && result.rows() > 0;
    if (!*found) return status;
    const TableDef& table = out->table();
    int column = 0;
    for (size_t i = 0; i < table.fields.size(); ++i) {
      if (sql::IsStored(table.fields[i])) {
        out->at(i) = result.Get(0, column++, table.fields[i].type);
      } else {
        out->InitAt(i);
      }
    }
    return Status();
  }

  std::unique_ptr<Connection> connection_;
  const Schema& schema_;
  std::chrono::milliseconds busyTimeout_;
  State state_ = State::kIdle;
  sql::StatementTexts texts_{kPostgresDialect};
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
  *out = std::make_unique<PostgresStorage>(std::move(connection), schema, options.busyTimeout);
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
