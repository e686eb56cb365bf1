// The few ways the SQL of the backends differs. Everything else about a statement (names,
// key order, keyset conditions, filters, parameter order) is built once in sql_text.h from
// one of these tables.
#pragma once

#include <string>
#include <vector>

#include "dbclient/schema.h"
#include "engine/filter.h"

namespace dbclient::sql {

struct Dialect {
  // "?" (SQLite) or "$n" (PostgreSQL): whether parameters carry their position.
  bool numberedParameters;
  // Column type of a stored field; Text and Code compare by code point in both ("C").
  const char* (*columnType)(FieldType type);
  // A wildcard filter: operand + matchOperator + parameter + matchSuffix, with the pattern
  // bound as matchPattern makes it.
  const char* matchOperator;
  const char* matchSuffix;
  std::string (*matchPattern)(const std::vector<PatternChar>& pattern);
  // Literals of DEFAULT clauses.
  const char* falseLiteral;
  const char* trueLiteral;
  std::string (*blobLiteral)(const std::string& bytes);
  // Appended to CREATE TABLE.
  const char* tableOptions;

  // The placeholder of parameter `position` (1-based).
  std::string Parameter(int position) const {
    return numberedParameters ? "$" + std::to_string(position) : "?";
  }
};

extern const Dialect kSqliteDialect;
extern const Dialect kPostgresDialect;

}  // namespace dbclient::sql
