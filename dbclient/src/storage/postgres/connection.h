// One connection to a PostgreSQL server: libpq behind the client's Status values, statements
// prepared once per SQL text, and a count of the requests sent. Every value travels as a
// parameter; SQL text holds only names and numbers of our own making.
#pragma once

#include <libpq-fe.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "dbclient/server.h"
#include "dbclient/status.h"
#include "dbclient/value.h"

namespace dbclient::postgres {

// Round trips to a server made by every connection of the process so far.
uint64_t RoundTrips() noexcept;

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
  // A column read as a value of `type`.
  Value Get(int row, int column, FieldType type) const;
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

  // Runs SQL text without parameters, several statements allowed, in one round trip.
  Status Run(const std::string& sql, Result* out = nullptr);
  // Runs a statement with parameters, prepared on first use of its text.
  Status Query(const std::string& sql, const Parameters& parameters, Result* out);
  // Runs a statement with parameters once, without keeping it prepared.
  Status QueryOnce(const std::string& sql, const Parameters& parameters, Result* out);

  // Whether the connection still works; once it broke every call is kConnectionLost.
  bool broken() const;

 private:
  explicit Connection(PGconn* connection) : connection_(connection) {}
  // The Status of a finished request: ok, or the error its SQLSTATE means.
  Status Check(const Result& result, const std::string& sql);
  // Sends an execution of `name` (a prepared statement) or of `sql` (none) and waits.
  Status Execute(const char* name, const std::string& sql, const Parameters& parameters,
                 Result* out);

  // Beyond this many prepared texts (queries of many different filter shapes) every prepared
  // statement is dropped and the count starts again, so the server's memory stays bounded.
  static constexpr size_t kMaxPrepared = 1000;

  PGconn* connection_;
  std::unordered_map<std::string, std::string> prepared_;  // SQL text -> statement name
  uint64_t nextName_ = 0;
};

}  // namespace dbclient::postgres
