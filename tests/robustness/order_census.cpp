#include "order_census.h"

#include <sqlite3.h>

#include <memory>
#include <stdexcept>

#include "storage/sqlite/sql.h"

namespace talmo::testing {
namespace {

using Connection = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

// Runs `sql` and hands every row to `row`; throws on an SQLite error.
template <typename Row>
void Query(sqlite3* db, const std::string& sql, Row row) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    throw std::runtime_error(sqlite3_errmsg(db));
  }
  int rc;
  while ((rc = sqlite3_step(statement)) == SQLITE_ROW) row(statement);
  sqlite3_finalize(statement);
  if (rc != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
}

std::string Text(sqlite3_stmt* row, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
  return text == nullptr ? std::string() : std::string(text);
}

Connection Open(const std::string& file) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  Connection db(raw, sqlite3_close);
  if (rc != SQLITE_OK) throw std::runtime_error("cannot open " + file);
  return db;
}

}  // namespace

bool OrderCensus::Complete(int linesPerOrder) const {
  if (orphanLines != 0) return false;
  for (const auto& [number, count] : lines) {
    if (count != linesPerOrder) return false;
  }
  return true;
}

OrderCensus TakeCensus(const std::string& file) {
  using dbclient::sqlite::ColumnName;
  using dbclient::sqlite::TableName;
  const Connection db = Open(file);
  OrderCensus census;
  int64_t company = 0;
  Query(db.get(), "SELECT min(id) FROM talmo_companies",
        [&](sqlite3_stmt* row) { company = sqlite3_column_int64(row, 0); });
  const std::string headers = TableName(company, 36);
  const std::string lines = TableName(company, 37);
  const std::string type = ColumnName(1);
  const std::string number = ColumnName(3);
  // Sales order lines name their order by document type (field 1) and number (field 3).
  const std::string sameOrder =
      "l." + type + "=h." + type + " AND l." + number + "=h." + number;
  Query(db.get(),
        "SELECT h." + number + ", (SELECT count(*) FROM " + lines + " l WHERE " + sameOrder +
            ") FROM " + headers + " h WHERE h." + type + "=1",
        [&](sqlite3_stmt* row) {
          census.lines[Text(row, 0)] = sqlite3_column_int(row, 1);
        });
  Query(db.get(),
        "SELECT count(*) FROM " + lines + " l WHERE l." + type + "=1 AND NOT EXISTS (SELECT 1 FROM " +
            headers + " h WHERE " + sameOrder + ")",
        [&](sqlite3_stmt* row) { census.orphanLines = sqlite3_column_int(row, 0); });
  return census;
}

std::string IntegrityCheck(const std::string& file) {
  const Connection db = Open(file);
  std::string answer;
  Query(db.get(), "PRAGMA integrity_check", [&](sqlite3_stmt* row) { answer += Text(row, 0); });
  return answer;
}

}  // namespace talmo::testing
