// One connection to a PostgreSQL server: libpq behind the client's Status values, statements
// prepared once per SQL text, statements deferred to travel with the next request, and a
// count of the round trips made. Every value travels as a parameter; SQL text holds only
// names and numbers of our own making.
#pragma once

#include <libpq-fe.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dbclient/record.h"
#include "dbclient/server.h"
#include "dbclient/status.h"
#include "dbclient/value.h"

namespace dbclient::postgres {

// Round trips to a server made by every connection of the process so far.
uint64_t RoundTrips() noexcept;

// The SQLSTATE that the catalogue's function talmo_one raises when a deferred write changed
// no record where it had to change exactly one: another program changed the data since the
// client learnt it. The client reports it as kWriteConflict.
inline constexpr std::string_view kWriteConflictState = "TW001";

// The parameters of one statement, in text form (bytes in binary form).
class Parameters {
 public:
  void Add(const Value& value);
  void AddInteger(int64_t value);
  void AddText(std::string utf8);
  size_t size() const noexcept { return texts_.size(); }

 private:
  friend class Connection;
  std::vector<std::string> texts_;
  std::vector<int> binary_;
  // A text the server cannot hold (it ends texts at U+0000): the statement is not sent.
  bool refused_ = false;
};

// A numeric column's text (digits, an optional minus sign and point) as the nearest double,
// exactly as std::from_chars reads it.
double DecimalFromText(std::string_view text);

// The answer of a statement; owns the PGresult.
class Result {
 public:
  Result() = default;
  explicit Result(PGresult* result) : result_(result, PQclear) {}

  int rows() const { return PQntuples(result_.get()); }
  bool IsNull(int row, int column) const { return PQgetisnull(result_.get(), row, column) != 0; }
  std::string_view Text(int row, int column) const {
    return {PQgetvalue(result_.get(), row, column),
            static_cast<size_t>(PQgetlength(result_.get(), row, column))};
  }
  int64_t Integer(int row, int column) const;
  double Decimal(int row, int column) const;
  // A column read as a value of `type`.
  Value Get(int row, int column, FieldType type) const;
  // A row of a table's stored fields (in field order, as every query of records selects them)
  // into `out`; its other fields go back to their initial values.
  void ReadRecord(int row, Record* out) const;
  // One column into a value of the column's field type, reusing the value's storage.
  void ReadInto(int row, int column, Value* value) const;
  // Rows changed by an INSERT, UPDATE or DELETE.
  int64_t Changed() const;
  const char* Command() const { return PQcmdStatus(result_.get()); }
  PGresult* get() const noexcept { return result_.get(); }

 private:
  std::unique_ptr<PGresult, void (*)(PGresult*)> result_{nullptr, PQclear};
};

class Connection {
 public:
  // Connects and logs in. A refused login is kLoginFailed, a database the server lacks
  // kServerDatabaseNotFound, a server that cannot be reached (within the connect timeout)
  // kServerUnavailable.
  static Status Open(const ServerLogin& login, std::unique_ptr<Connection>* out);

  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Runs SQL text without parameters, several statements allowed, in one round trip (the
  // answer is the last statement's). Deferred statements are sent and answered first.
  Status Run(const std::string& sql, Result* out = nullptr);
  // Runs a statement with parameters, prepared on first use of its text. Deferred statements
  // travel in the same round trip, ahead of it.
  Status Query(const std::string& sql, const Parameters& parameters, Result* out);
  // Runs a statement with parameters once, without keeping it prepared; deferred statements
  // travel along as with Query.
  Status QueryOnce(const std::string& sql, const Parameters& parameters, Result* out);

  // Queues a prepared statement whose answer the caller does not wait for: it is sent with
  // the next request (or Flush), in one round trip through libpq's pipeline mode. When it
  // fails, that request fails with its error, the statements queued behind it are skipped
  // and the server's transaction is left aborted. `out`, when given, receives its answer
  // and must stay alive until then. A text the server cannot hold is refused here.
  Status Defer(const std::string& sql, Parameters parameters, Result* out = nullptr);
  // Sends the deferred statements and waits for their answers.
  Status Flush();
  // Forgets the deferred statements unsent (their transaction is being rolled back).
  void DropDeferred() noexcept { deferred_.clear(); }
  size_t deferred() const noexcept { return deferred_.size(); }

  // Whether the connection still works; once it broke every call is kConnectionLost.
  bool broken() const;
  // Whether a transaction is open on the server, and whether it failed (the server then
  // ignores every statement up to the rollback).
  bool inTransaction() const;
  bool transactionFailed() const;

 private:
  // A statement to send, as the caller holds it.
  struct Request {
    const std::string* sql;
    const Parameters* parameters;
    bool prepared;  // as a named prepared statement, else as an unnamed one
    Result* out;    // the answer, or nullptr: only checked
  };
  struct Deferred {
    std::string sql;
    Parameters parameters;
    Result* out;
  };

  explicit Connection(PGconn* connection) : connection_(connection) {}
  // The Status of a finished request: ok, or the error its SQLSTATE means.
  Status Check(const Result& result, const std::string& sql);
  // Sends the deferred requests and `last` (when given) and waits for every answer: one
  // round trip. The first failure is the result.
  Status Exchange(const Request* last);
  // One request of a text prepared already, or of none.
  Status ExchangeOne(const Request& request);
  // Several requests (preparations included) in one round trip, through the pipeline.
  Status ExchangePipelined(const std::vector<Request>& requests);
  Status LostConnection() const;
  // Gives the connection up: a pipeline that could not be completed leaves it unusable.
  Status GiveUp();

  // Beyond this many prepared texts (queries of many different filter shapes) every prepared
  // statement is dropped and the count starts again, so the server's memory stays bounded.
  static constexpr size_t kMaxPrepared = 1000;
  // Deferred statements are sent once this many wait, so their answers never fill the
  // socket while the client is still sending.
  static constexpr size_t kMaxDeferred = 256;

  PGconn* connection_;
  std::unordered_map<std::string, std::string> prepared_;  // SQL text -> statement name
  uint64_t nextName_ = 0;
  std::vector<Deferred> deferred_;
  bool givenUp_ = false;
};

}  // namespace dbclient::postgres
