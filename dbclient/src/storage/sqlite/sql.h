// Values in and out of SQLite statements, and the functions the backend's SQL calls. The SQL
// texts themselves are built in storage/sql_text.h with the SQLite dialect.
#pragma once

#include <sqlite3.h>

#include "dbclient/value.h"
#include "storage/sql_text.h"

namespace dbclient::sqlite {

using sql::ColumnName;
using sql::IsStored;
using sql::StoredFields;
using sql::TableName;

inline const char* ColumnType(FieldType type) { return sql::kSqliteDialect.columnType(type); }
inline std::string Literal(const Value& value) { return sql::Literal(sql::kSqliteDialect, value); }

// Reads column `column` into a value of `type`.
Value Read(sqlite3_stmt* statement, int column, FieldType type);
// Reads column `column` into `*value`, of the column's type; a text reuses the value's storage.
void ReadInto(sqlite3_stmt* statement, int column, Value* value);

// Registers talmo_fold, the case-insensitive form of a text that @ filters compare.
int RegisterFunctions(sqlite3* db);

}  // namespace dbclient::sqlite
