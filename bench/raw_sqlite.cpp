#include "raw_sqlite.h"

#include <algorithm>
#include <stdexcept>

#include "automation/text.h"
#include "environment.h"

namespace talmo_bench {

RawDatabase::RawDatabase(const std::filesystem::path& file) {
  const int rc = sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
  Check(rc, SQLITE_OK, "open " + file.string());
  Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-8192;");
  Statement company(*this, "SELECT id FROM talmo_companies WHERE name=?");
  company.Bind(1, automation::ToUtf8(SampleCompany()));
  if (!company.Step()) throw std::runtime_error(file.string() + ": no sample company");
  company_ = company.Integer(0);
}

RawDatabase::~RawDatabase() { sqlite3_close_v2(db_); }

void RawDatabase::Exec(const std::string& sql) {
  Check(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK, sql);
}

void RawDatabase::Check(int rc, int expected, std::string_view what) const {
  if (rc == expected) return;
  throw std::runtime_error("SQLite: " + std::string(what) + ": " +
                           (db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc)));
}

std::string RawDatabase::Table(int32_t tableNo) const {
  std::string name = "c";
  name += std::to_string(company_);
  name += "_t";
  name += std::to_string(tableNo);
  return name;
}

std::vector<std::string> RawDatabase::Columns(int32_t tableNo) {
  Statement info(*this, "SELECT name FROM pragma_table_info(?) ORDER BY cid");
  info.Bind(1, Table(tableNo));
  std::vector<std::string> columns;
  while (info.Step()) columns.emplace_back(info.Text(0));
  if (columns.empty())
    throw std::runtime_error("no SQL table for table " + std::to_string(tableNo));
  return columns;
}

Statement::Statement(RawDatabase& db, const std::string& sql) : db_(db) {
  db_.Check(sqlite3_prepare_v3(db_.get(), sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &statement_,
                               nullptr),
            SQLITE_OK, sql);
}

Statement::~Statement() { sqlite3_finalize(statement_); }

void Statement::BindValue(int index, const SqlValue& value) {
  int rc = SQLITE_OK;
  if (const auto* integer = std::get_if<int64_t>(&value)) {
    rc = sqlite3_bind_int64(statement_, index, *integer);
  } else if (const auto* real = std::get_if<double>(&value)) {
    rc = sqlite3_bind_double(statement_, index, *real);
  } else if (const auto* text = std::get_if<std::string>(&value)) {
    rc = sqlite3_bind_text(statement_, index, text->data(), static_cast<int>(text->size()),
                           SQLITE_TRANSIENT);
  } else {
    rc = sqlite3_bind_null(statement_, index);
  }
  db_.Check(rc, SQLITE_OK, "bind");
}

void Statement::Bind(int index, std::string_view text) {
  db_.Check(sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                              SQLITE_TRANSIENT),
            SQLITE_OK, "bind");
}

void Statement::Bind(int index, int64_t value) {
  db_.Check(sqlite3_bind_int64(statement_, index, value), SQLITE_OK, "bind");
}

void Statement::Bind(int index, double value) {
  db_.Check(sqlite3_bind_double(statement_, index, value), SQLITE_OK, "bind");
}

bool Statement::Step() {
  const int rc = sqlite3_step(statement_);
  if (rc == SQLITE_ROW) return true;
  db_.Check(rc, SQLITE_DONE, sqlite3_sql(statement_));
  return false;
}

void Statement::Run() {
  Step();
  Reset();
}

void Statement::Reset() { sqlite3_reset(statement_); }

std::string_view Statement::Text(int column) const {
  const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
  return data == nullptr ? std::string_view()
                         : std::string_view(data, sqlite3_column_bytes(statement_, column));
}

SqlValue Statement::Value(int column) const {
  switch (sqlite3_column_type(statement_, column)) {
    case SQLITE_INTEGER:
      return Integer(column);
    case SQLITE_FLOAT:
      return Real(column);
    case SQLITE_NULL:
      return std::monostate();
    default:
      return std::string(Text(column));
  }
}

SqlRow Statement::Row() const {
  SqlRow row;
  const int count = sqlite3_column_count(statement_);
  row.reserve(count);
  for (int i = 0; i < count; ++i) row.push_back(Value(i));
  return row;
}

std::string ColumnName(int32_t field) {
  std::string name = "f";
  name += std::to_string(field);
  return name;
}

int ColumnIndex(const std::vector<std::string>& columns, int32_t field) {
  const auto it = std::find(columns.begin(), columns.end(), ColumnName(field));
  if (it == columns.end()) throw std::runtime_error("no column " + ColumnName(field));
  return static_cast<int>(it - columns.begin());
}

std::string ColumnList(const std::vector<std::string>& columns) {
  std::string list;
  for (const std::string& column : columns) list += (list.empty() ? "" : ",") + column;
  return list;
}

std::string Markers(size_t count) {
  std::string markers;
  for (size_t i = 0; i < count; ++i) markers += i == 0 ? "?" : ",?";
  return markers;
}

}  // namespace talmo_bench
