// SQL texts of the record engine's storage, shared by every SQL backend. Names in SQL text
// are made only from numbers (company id, table and field numbers); every value, filter
// values and key values alike, is a bound parameter. The few differences between the
// backends come from their Dialect.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "dbclient/record.h"
#include "dbclient/schema.h"
#include "engine/storage.h"
#include "storage/sql_dialect.h"

namespace dbclient::sql {

std::string TableName(int64_t company, int32_t tableNo);  // c3_t18
std::string ColumnName(int32_t fieldNo);                  // f5
std::string Literal(const Dialect& dialect, const Value& value);  // for DEFAULT clauses only

bool IsStored(const FieldDef& field);
// Indexes (into table.fields) of the stored fields, in field order: the column order of
// every SELECT and INSERT.
std::vector<size_t> StoredFields(const TableDef& table);
// For each field of the table (in field order), its column in the rows of every SELECT, or -1
// for a field that is not stored.
std::vector<int> StoredColumns(const TableDef& table);

// Appends the condition of `filter` to `sql`, ready to be joined with others by AND, numbering
// its parameters from `*position` on, and its values to `parameters` in the same order.
void AppendFilter(const Dialect& dialect, const FieldFilter& filter, int* position,
                  std::string* sql, std::vector<Value>* parameters);
// Appends only the parameters AppendFilter would, in its order.
void AppendFilterParameters(const Dialect& dialect, const FieldFilter& filter,
                            std::vector<Value>* parameters);

// The statements a query runs; their SQL texts are built once per query plan.
enum class QueryStatement {
  kFirst,          // first record in order
  kLast,           // last record in order
  kEqual,          // the record whose order fields equal the parameters
  kForward,        // the record `offset` places after the key, forward
  kBackward,       // likewise backward
  kFirstRows,      // the first records in order, up to a limit
  kLastRows,       // the last ones, backward
  kForwardRows,    // the records after the key, forward, up to a limit
  kBackwardRows,   // those before it, backward
  kCountForward,   // how many records (up to a limit) follow the key
  kCountBackward,  // how many precede it
  kCount,          // every record
  kExists,         // whether there is one
  kDelete,         // delete every record
  kEnd
};

// The SQL texts of the queries of one shape: the same company, table, order and filter
// condition. Filter values are parameters, so queries that differ only in their values (a
// range set for each record in turn, a flow field of each record) share one set of texts.
struct QueryTexts {
  const Dialect* dialect = nullptr;
  std::string columns;    // "f1,f2,..." of the stored fields
  std::string table;      // "c1_t18"
  std::string condition;  // the filters joined by AND, markers numbered from 1; "" for none
  int filterCount = 0;    // markers in `condition`
  std::string texts[static_cast<int>(QueryStatement::kEnd)];
  std::map<std::pair<int32_t, bool>, std::string> sums;  // see QueryPlan::Sum
  // How many records a backend reads ahead when it finds the first or last record of a query
  // of this shape: its own choice, 0 until it makes one.
  int32_t edgeRows = 0;
};

// What a backend derives from a query once: SQL texts and the filter parameters.
struct QueryPlan {
  std::shared_ptr<QueryTexts> shape;
  std::vector<Value> parameters;  // the filters' values, in the order of their markers
  // What a backend keeps of the query's records between calls (the server's read-ahead).
  std::shared_ptr<void> records;

  // The SQL text of a statement. Parameters: the key's values (kEqual and the keyset
  // statements), then `parameters`, then the offset or limit.
  const std::string& Text(const Query& query, QueryStatement statement);

  // The sum of a field over the query's records, "SELECT coalesce(sum(f5),0) FROM ...", or
  // with `each` every value to sum, "SELECT f5 FROM ..."; the filters' markers numbered from 1.
  const std::string& Sum(int32_t fieldNo, bool each);
};

// The statements that change one record by its primary key.
struct TableStatements {
  std::string insert;  // inserts nothing when the key exists
  std::string update;  // empty when every stored field is a key field
  std::string exists;
  std::string remove;
  std::vector<size_t> stored;  // column order of insert
  std::vector<size_t> nonKey;  // SET order of update, before the key's parameters
  std::vector<size_t> key;     // primary-key fields, WHERE order
};
TableStatements BuildTableStatements(const Dialect& dialect, int64_t company,
                                     const TableDef& table);

// The texts a backend runs, built once per query and per table and kept.
class StatementTexts {
 public:
  explicit StatementTexts(const Dialect& dialect) : dialect_(dialect) {}

  // The plan of `query`, made on first use and kept in query.plan, with new parameters when
  // query.newValues says only values changed. Plans of unfiltered queries depend only on
  // table and order, so cursors opened for one look-up each (the component's key look-ups)
  // share them instead of building their own; filtered queries share the texts of their shape.
  QueryPlan& Plan(const Query& query);
  const TableStatements& Table(int64_t company, const TableDef& table);

 private:
  const Dialect& dialect_;
  std::map<std::pair<int64_t, const TableDef*>, TableStatements> tables_;
  static constexpr size_t kMaxShapes = 512;
  using ShapeKey = std::tuple<int64_t, const TableDef*, std::vector<int32_t>, std::string>;
  std::map<std::tuple<int64_t, const TableDef*, std::vector<int32_t>>, std::shared_ptr<void>>
      sharedPlans_;
  // Bounded: filters typed by users may each have a shape of their own.
  std::map<ShapeKey, std::shared_ptr<QueryTexts>> shapes_;
};

// Storage::Step by offsets from the key: `fetchAt(offset, &found)` reads the record `offset`
// places past the key into the output; `countAhead(limit, &count)` counts at most `limit`
// records past it. One request when enough records follow, three at the end.
template <class FetchAt, class CountAhead>
Status StepByOffsets(int32_t steps, FetchAt fetchAt, CountAhead countAhead, int32_t* moved) {
  *moved = 0;
  if (steps == 0) return Status();
  const int64_t wanted = steps > 0 ? steps : -static_cast<int64_t>(steps);
  bool found = false;
  Status status = fetchAt(wanted - 1, &found);
  if (!status.ok()) return status;
  int64_t passed = wanted;
  if (!found) {
    // Fewer records than steps remain: count them and stop on the last one.
    status = countAhead(wanted, &passed);
    if (!status.ok() || passed == 0) return status;
    status = fetchAt(passed - 1, &found);
    if (!status.ok() || !found) return status;  // not found cannot happen in one snapshot
  }
  *moved = static_cast<int32_t>(steps > 0 ? passed : -passed);
  return Status();
}

// The value of a count or exist flow field from the number the storage counted.
Status CountValue(Aggregate aggregate, int64_t number, const FieldDef* field, Value* out);
// The value of an Integer sum; beyond 32 bits kNumberOutOfRange.
Status IntegerSumValue(int64_t sum, const FieldDef& field, Value* out);

// Schema texts. A column holds the field's initial value as default, so records written
// before a field was added read that value.
std::string ColumnDefinition(const Dialect& dialect, const TableDef& table, size_t index);
// CREATE TABLE of a company table with its primary key; a key field that is not stored is
// kSchemaIncompatible.
Status CreateTableText(const Dialect& dialect, const TableDef& table, int64_t company,
                       std::string* out);
// CREATE INDEX IF NOT EXISTS of each secondary key: its fields, then the primary-key fields
// not among them, which is exactly the order a cursor on that key reads in.
std::vector<std::string> CreateIndexTexts(const TableDef& table, int64_t company);
// The fields of a key as "1,2,3", as catalogues record primary keys.
std::string KeyText(const KeyDef& key);

}  // namespace dbclient::sql
