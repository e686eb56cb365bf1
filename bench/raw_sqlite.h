// The raw side of the benchmarks: the database client's file read and written directly with
// SQLite prepared statements. The layout is the client's: one SQL table per company and
// table, named c<company>_t<table>, one column f<field> per stored field, texts in UTF-8,
// decimals as REAL, dates as day numbers, booleans and options as integers.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace talmo_bench {

// One column value as SQLite holds it.
using SqlValue = std::variant<std::monostate, int64_t, double, std::string>;
using SqlRow = std::vector<SqlValue>;

class RawDatabase {
 public:
  // Opens an existing file with the settings the client uses (WAL, synchronous NORMAL, the
  // same page cache). Throws std::runtime_error on failure, as every member does.
  explicit RawDatabase(const std::filesystem::path& file);
  ~RawDatabase();
  RawDatabase(const RawDatabase&) = delete;
  RawDatabase& operator=(const RawDatabase&) = delete;

  sqlite3* get() const noexcept { return db_; }
  void Exec(const std::string& sql);
  // Throws with SQLite's message when `rc` is not `expected`.
  void Check(int rc, int expected, std::string_view what) const;

  // The SQL table of `tableNo` in the sample company.
  std::string Table(int32_t tableNo) const;
  // The columns of that table, in their order ("f1", "f2", ...).
  std::vector<std::string> Columns(int32_t tableNo);

 private:
  sqlite3* db_ = nullptr;
  int64_t company_ = 0;
};

class Statement {
 public:
  Statement(RawDatabase& db, const std::string& sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  sqlite3_stmt* get() const noexcept { return statement_; }
  // Parameters count from 1. Texts are copied.
  void BindValue(int index, const SqlValue& value);
  void Bind(int index, std::string_view text);
  void Bind(int index, int64_t value);
  void Bind(int index, double value);
  // True with a row, false when done; throws on an error.
  bool Step();
  // Steps a statement that returns no row, then resets it.
  void Run();
  void Reset();

  int64_t Integer(int column) const { return sqlite3_column_int64(statement_, column); }
  double Real(int column) const { return sqlite3_column_double(statement_, column); }
  std::string_view Text(int column) const;
  SqlValue Value(int column) const;
  SqlRow Row() const;

 private:
  RawDatabase& db_;
  sqlite3_stmt* statement_ = nullptr;
};

// The column of a field ("f5") and its place in a column list (throws when it is missing).
std::string ColumnName(int32_t field);
int ColumnIndex(const std::vector<std::string>& columns, int32_t field);

// "f1,f3,..." of a column list.
std::string ColumnList(const std::vector<std::string>& columns);
// "?,?,..." for `count` parameters.
std::string Markers(size_t count);

}  // namespace talmo_bench
