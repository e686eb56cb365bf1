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

// Runs a query and hands each row to `row`.
template <typename Row>
Status Select(sqlite3* db, const char* sql, Row row) {
  sqlite3_stmt* statement = nullptr;
  int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  if (rc == SQLITE_OK) {
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) row(statement);
  }
  sqlite3_finalize(statement);
  if (rc == SQLITE_DONE) return Status();
  if ((rc & 0xFF) == SQLITE_NOTADB) return Status::Error(errc::kNotADatabase);
  // A file without our catalogue tables is some other SQLite database.
  if ((rc & 0xFF) == SQLITE_ERROR) return Status::Error(errc::kNotADatabase, sqlite3_errmsg(db));
  return Status::Error(errc::kStorageError, sqlite3_errmsg(db));
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
                         "CREATE TABLE talmo_users(name TEXT PRIMARY KEY, salt BLOB NOT NULL,"
                         " hash BLOB NOT NULL) WITHOUT ROWID;"
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
    const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(row, 0));
    if (name == "format") {
      stored.format = reinterpret_cast<const char*>(sqlite3_column_text(row, 1));
    }
    if (name == "schema_version") stored.version = sqlite3_column_int64(row, 1);
  });
  if (status.ok()) {
    status = Select(db, "SELECT table_no, primary_key FROM talmo_tables", [&](sqlite3_stmt* row) {
      stored.primaryKeys[sqlite3_column_int(row, 0)] =
          reinterpret_cast<const char*>(sqlite3_column_text(row, 1));
    });
  }
  if (status.ok()) {
    status =
        Select(db, "SELECT table_no, field_no, type FROM talmo_fields", [&](sqlite3_stmt* row) {
          stored.fieldTypes[{sqlite3_column_int(row, 0), sqlite3_column_int(row, 1)}] =
              sqlite3_column_int(row, 2);
        });
  }
  if (status.ok()) {
    status = Select(db, "SELECT id FROM talmo_companies", [&](sqlite3_stmt* row) {
      stored.companies.push_back(sqlite3_column_int64(row, 0));
    });
  }
  if (!status.ok()) return status;
  sql::CatalogueUpgrade upgrade;
  status = sql::PlanUpgrade(stored, schema, &upgrade);
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
