// The raw side of the server benchmarks: the database client's tables on a PostgreSQL server
// read and written directly with libpq, one prepared statement per request and one round trip
// each, as a hand-written program would. The layout is the client's (c<company>_t<table>,
// f<field> columns, numeric decimals, Code and Text in the "C" collation).
#pragma once

#include <libpq-fe.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace talmo_bench {

// The rows of one answer; owns the PGresult.
class RawResult {
 public:
  explicit RawResult(PGresult* result) : result_(result, PQclear) {}
  int rows() const { return PQntuples(result_.get()); }
  int columns() const { return PQnfields(result_.get()); }
  std::string_view Text(int row, int column) const {
    return {PQgetvalue(result_.get(), row, column),
            static_cast<size_t>(PQgetlength(result_.get(), row, column))};
  }
  double Number(int row, int column) const;

 private:
  std::unique_ptr<PGresult, void (*)(PGresult*)> result_;
};

class RawServer {
 public:
  // Connects with a libpq connection string. Throws std::runtime_error on failure, as every
  // member does.
  explicit RawServer(const std::string& conninfo);
  ~RawServer();
  RawServer(const RawServer&) = delete;
  RawServer& operator=(const RawServer&) = delete;

  // One round trip: SQL without parameters.
  RawResult Exec(const std::string& sql);
  // Prepares `sql` as statement `name` (one round trip), then runs it by name with text
  // parameters (one round trip each).
  void Prepare(const std::string& name, const std::string& sql);
  RawResult Run(const std::string& name, const std::vector<std::string>& parameters);

  // The SQL table of `tableNo` in the company `company` names, and its columns in order.
  std::string Table(int32_t tableNo) const;
  std::vector<std::string> Columns(int32_t tableNo);

 private:
  RawResult Checked(PGresult* result, std::string_view what);
  PGconn* connection_ = nullptr;
  int64_t company_ = 0;
};

}  // namespace talmo_bench
