// SQL text and parameter helpers of the SQLite backend. Every name in SQL text is made from
// numbers (company id, table and field numbers); every value is a bound parameter.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

#include "dbclient/record.h"
#include "dbclient/schema.h"
#include "engine/storage.h"

namespace dbclient::sqlite {

std::string TableName(int64_t company, int32_t tableNo);  // c3_t18
std::string ColumnName(int32_t fieldNo);                  // f5
const char* ColumnType(FieldType type);                   // TEXT, INTEGER, REAL, BLOB
std::string Literal(const Value& value);                  // for DEFAULT clauses only

bool IsStored(const FieldDef& field);
// Indexes (into table.fields) of the stored fields, in field order: the column order of
// every SELECT and INSERT.
std::vector<size_t> StoredFields(const TableDef& table);

int Bind(sqlite3_stmt* statement, int index, const Value& value);
// Reads column `column` into a value of `type`.
Value Read(sqlite3_stmt* statement, int column, FieldType type);

// The statements a query runs; their SQL texts are built once per query plan.
enum class QueryStatement {
  kFirst,          // first record in order
  kLast,           // last record in order
  kEqual,          // the record whose order fields equal the parameters
  kForward,        // the record `offset` places after the key, forward
  kBackward,       // likewise backward
  kCountForward,   // how many records (up to a limit) follow the key
  kCountBackward,  // how many precede it
  kCount,          // every record
  kExists,         // whether there is one
  kDelete,         // delete every record
  kEnd
};

// What the backend derives from a query once: SQL texts and the filter parameters.
struct QueryPlan {
  std::string columns;            // "f1,f2,..." of the stored fields
  std::string table;              // "c1_t18"
  std::string condition;          // the filters joined by AND, "" for none
  std::vector<Value> parameters;  // the filters' values, in order of their ? marks
  std::string texts[static_cast<int>(QueryStatement::kEnd)];

  // The SQL text of a statement; key markers come first, then the filters' parameters, then
  // the offset or limit.
  const std::string& Text(const Query& query, QueryStatement statement);
};

// The plan of a query, built on first use and kept in query.plan.
QueryPlan& PlanOf(const Query& query);

// Appends the filter's condition to `sql`, ready to be joined with others by AND, and its
// values to `parameters`.
void AppendFilter(const FieldFilter& filter, std::string* sql, std::vector<Value>* parameters);

// Registers talmo_fold, the case-insensitive form of a text that @ filters compare.
int RegisterFunctions(sqlite3* db);

// GLOB pattern of a wildcard pattern: * and ? stay wildcards, literal * ? [ are bracketed.
std::string GlobPattern(const std::vector<PatternChar>& pattern);

}  // namespace dbclient::sqlite
