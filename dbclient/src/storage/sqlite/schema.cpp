#include "storage/sqlite/schema.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "dbclient/record.h"
#include "storage/catalogue.h"
#include "storage/sqlite/sql.h"
#include "error_codes.h"

namespace dbclient::sqlite {

namespace {

Status Exec(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
  if (rc == SQLITE_OK) return Status();
  const std::string detail = message != nullptr ? message : sqlite3_errstr(rc);
  sqlite3_free(message);
  if ((rc & 0xFF) == SQLITE_NOTADB) return Status::Error(errc::kNotADatabase, detail);
  if ((rc & 0xFF) == SQLITE_BUSY) return Status::Error(errc::kLockTimeout, detail);
  return Status::Error(errc::kStorageError, detail);
}

// Runs `work` inside one write transaction, rolled back when it fails.
template <typename Work>
Status InTransaction(sqlite3* db, Work work) {
  Status status = Exec(db, "BEGIN IMMEDIATE");
  if (!status.ok()) return status;
  status = work();
  if (status.ok()) status = Exec(db, "COMMIT");
  if (!status.ok()) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  return status;
}

using sql::IsStoredTable;
using sql::KeyText;

Status CreateIndexes(sqlite3* db, const TableDef& table, int64_t company) {
  for (const std::string& text : sql::CreateIndexTexts(table, company)) {
    Status status = Exec(db, text);
    if (!status.ok()) return status;
  }
  return Status();
}

Status CreateTable(sqlite3* db, const TableDef& table, int64_t company) {
  std::string text;
  Status status = sql::CreateTableText(sql::kSqliteDialect, table, company, &text);
  if (status.ok()) status = Exec(db, text);
  if (!status.ok()) return status;
  return CreateIndexes(db, table, company);
}

Status RecordTable(sqlite3* db, const TableDef& table) {
  Status status =
      Exec(db, "INSERT OR REPLACE INTO talmo_tables(table_no, primary_key) VALUES(" +
                   std::to_string(table.number) + ",'" + KeyText(table.PrimaryKey()) + "')");
  for (const FieldDef& field : table.fields) {
    if (!status.ok() || !IsStored(field)) continue;
    status = Exec(db, "INSERT OR REPLACE INTO talmo_fields(table_no, field_no, type) VALUES(" +
                          std::to_string(table.number) + "," + std::to_string(field.number) + "," +
                          std::to_string(static_cast<int>(field.type)) + ")");
  }
  return status;
}

Status SetVersion(sqlite3* db, int32_t version) {
  return Exec(db, "INSERT OR REPLACE INTO talmo_meta(name, value) VALUES('schema_version'," +
                      std::to_string(version) + ")");
}

// Runs a query over catalogue rows and hands each to `row`, which answers whether the row is
// well-formed. A damaged or crafted catalogue (NULLs, wrong types, numbers out of range) is
// not a file of this client; neither is a file without the catalogue tables.
template <typename Row>
Status Select(sqlite3* db, const char* sql, Row row) {
  sqlite3_stmt* statement = nullptr;
  int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  bool wellFormed = true;
  if (rc == SQLITE_OK) {
    while (wellFormed && (rc = sqlite3_step(statement)) == SQLITE_ROW) wellFormed = row(statement);
  }
  sqlite3_finalize(statement);
  if (!wellFormed) return Status::Error(errc::kNotADatabase, std::string("bad row: ") + sql);
  if (rc == SQLITE_DONE) return Status();
  if ((rc & 0xFF) == SQLITE_NOTADB || (rc & 0xFF) == SQLITE_ERROR ||
      (rc & 0xFF) == SQLITE_CORRUPT) {
    return Status::Error(errc::kNotADatabase, sqlite3_errmsg(db));
  }
  if ((rc & 0xFF) == SQLITE_BUSY) return Status::Error(errc::kLockTimeout, sqlite3_errmsg(db));
  return Status::Error(errc::kStorageError, sqlite3_errmsg(db));
}

bool IsText(sqlite3_stmt* row, int column) {
  return sqlite3_column_type(row, column) == SQLITE_TEXT;
}

std::string TextOf(sqlite3_stmt* row, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
  return text == nullptr ? std::string() : std::string(text, sqlite3_column_bytes(row, column));
}

// An integer column whose value fits `low`..`high`, into `*out`.
bool ReadInteger(sqlite3_stmt* row, int column, int64_t low, int64_t high, int64_t* out) {
  if (sqlite3_column_type(row, column) != SQLITE_INTEGER) return false;
  *out = sqlite3_column_int64(row, column);
  return *out >= low && *out <= high;
}

bool ReadNumber(sqlite3_stmt* row, int column, int32_t* out) {
  int64_t value = 0;
  if (!ReadInteger(row, column, INT32_MIN, INT32_MAX, &value)) return false;
  *out = static_cast<int32_t>(value);
  return true;
}

// Files written before passwords were hashed with Argon2id keep a salt column beside a raw
// hash. The salt now lives inside the hash text; the old hashes can no longer be checked, so
// those users cannot log in until they are added again.
Status UpgradeUsersTable(sqlite3* db) {
  bool oldShape = false;
  Status status = Select(db, "SELECT name FROM pragma_table_info('talmo_users') WHERE name='salt'",
                         [&](sqlite3_stmt*) {
                           oldShape = true;
                           return true;
                         });
  if (!status.ok() || !oldShape) return status;
  return InTransaction(db, [&] {
    return Exec(db,
                "ALTER TABLE talmo_users DROP COLUMN salt;"
                "ALTER TABLE talmo_users RENAME COLUMN hash TO password_hash");
  });
}

}  // namespace

Status WriteNewCatalogue(sqlite3* db, const Schema& schema) {
  return InTransaction(db, [&] {
    Status status = Exec(db,
                         "CREATE TABLE talmo_meta(name TEXT PRIMARY KEY, value) WITHOUT ROWID;"
                         "CREATE TABLE talmo_tables(table_no INTEGER PRIMARY KEY,"
                         " primary_key TEXT NOT NULL);"
                         "CREATE TABLE talmo_fields(table_no INTEGER, field_no INTEGER,"
                         " type INTEGER NOT NULL, PRIMARY KEY(table_no, field_no)) WITHOUT ROWID;"
                         "CREATE TABLE talmo_companies(id INTEGER PRIMARY KEY,"
                         " name TEXT NOT NULL UNIQUE);"
                         "CREATE TABLE talmo_users(name TEXT PRIMARY KEY,"
                         " password_hash TEXT NOT NULL) WITHOUT ROWID;"
                         "INSERT INTO talmo_meta(name, value) VALUES('format','" +
                             std::string(sql::kFormatMark) + "');");
    if (status.ok()) status = SetVersion(db, schema.version());
    for (const TableDef& table : schema.tables()) {
      if (status.ok() && IsStoredTable(table)) status = RecordTable(db, table);
    }
    return status;
  });
}

Status SynchroniseCatalogue(sqlite3* db, const Schema& schema) {
  sql::StoredCatalogue stored;
  Status status = Select(db, "SELECT name, value FROM talmo_meta", [&](sqlite3_stmt* row) {
    if (!IsText(row, 0)) return false;
    const std::string name = TextOf(row, 0);
    if (name == "format") {
      if (!IsText(row, 1)) return false;
      stored.format = TextOf(row, 1);
    } else if (name == "schema_version") {
      return ReadInteger(row, 1, 0, INT32_MAX, &stored.version);
    }
    return true;
  });
  if (status.ok()) {
    status = Select(db, "SELECT table_no, primary_key FROM talmo_tables", [&](sqlite3_stmt* row) {
      int32_t table = 0;
      if (!ReadNumber(row, 0, &table) || !IsText(row, 1)) return false;
      stored.primaryKeys[table] = TextOf(row, 1);
      return true;
    });
  }
  if (status.ok()) {
    status =
        Select(db, "SELECT table_no, field_no, type FROM talmo_fields", [&](sqlite3_stmt* row) {
          int32_t table = 0, field = 0;
          int64_t type = 0;
          if (!ReadNumber(row, 0, &table) || !ReadNumber(row, 1, &field) ||
              !ReadInteger(row, 2, 0, static_cast<int>(FieldType::kBlob), &type)) {
            return false;
          }
          stored.fieldTypes[{table, field}] = static_cast<int32_t>(type);
          return true;
        });
  }
  if (status.ok()) {
    status = Select(db, "SELECT id, name FROM talmo_companies", [&](sqlite3_stmt* row) {
      int64_t id = 0;
      if (!ReadInteger(row, 0, 1, INT64_MAX, &id) || !IsText(row, 1)) return false;
      stored.companies.push_back(id);
      return true;
    });
  }
  if (status.ok()) {
    status = Select(db, "SELECT name FROM talmo_users",
                    [&](sqlite3_stmt* row) { return IsText(row, 0); });
  }
  if (!status.ok()) return status;
  sql::CatalogueUpgrade upgrade;
  status = sql::PlanUpgrade(stored, schema, &upgrade);
  // Accepted: from here on the file may be written.
  if (status.ok()) status = UpgradeUsersTable(db);
  if (!status.ok() || !upgrade.needed) return status;
  const auto& companies = stored.companies;
  const auto& new_tables = upgrade.newTables;
  const auto& new_fields = upgrade.newFields;
  return InTransaction(db, [&] {
    Status result;
    for (const TableDef* table : new_tables) {
      if (result.ok()) result = RecordTable(db, *table);
      for (int64_t company : companies) {
        if (result.ok()) result = CreateTable(db, *table, company);
      }
    }
    for (const auto& [table, index] : new_fields) {
      if (result.ok()) result = RecordTable(db, *table);
      for (int64_t company : companies) {
        if (!result.ok()) break;
        result = Exec(db, "ALTER TABLE " + TableName(company, table->number) + " ADD COLUMN " +
                              sql::ColumnDefinition(sql::kSqliteDialect, *table, index));
      }
    }
    // Keys added to existing tables become indexes.
    for (const TableDef& table : schema.tables()) {
      if (!IsStoredTable(table)) continue;
      for (int64_t company : companies) {
        if (result.ok()) result = CreateIndexes(db, table, company);
      }
    }
    if (result.ok()) result = SetVersion(db, schema.version());
    return result;
  });
}

Status CreateCompanyTables(sqlite3* db, const Schema& schema, int64_t company) {
  for (const TableDef& table : schema.tables()) {
    if (!IsStoredTable(table)) continue;
    Status status = CreateTable(db, table, company);
    if (!status.ok()) return status;
  }
  return Status();
}

}  // namespace dbclient::sqlite
