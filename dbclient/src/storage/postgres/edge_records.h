// The first or last record of queries that select a range of primary keys in primary-key order
// (the last number a number series used, say), kept as the record cache keeps records: under
// the table's record generation, with the connection's own changes applied to them. The next
// search of the same query and direction costs no request.
//
// An edge also tells which keys no record has: those within the query's filters beyond the
// edge record, or every key within them when the query has no record. A look-up or an insert
// of such a key (the next number) costs no request either.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "dbclient/record.h"
#include "engine/filter.h"
#include "engine/storage.h"
#include "storage/record_cache.h"
#include "storage/sql_text.h"

namespace dbclient::postgres {

class EdgeRecords {
 public:
  // Whether edges of `query` are kept: it selects and sorts by primary-key fields alone.
  static bool Keeps(const Query& query);

  // The kept edge of `plan`'s query in the direction (the first record when `ascending`):
  // nullptr when none is kept under `generation`, else the record or an empty optional for a
  // query without records (valid until the next change of the edges).
  const std::optional<Record>* Find(const sql::QueryPlan& plan, bool ascending,
                                    uint64_t generation);
  // Keeps the edge the server gave for a query that Keeps allows.
  void Put(const Query& query, const sql::QueryPlan& plan, bool ascending, uint64_t generation,
           std::optional<Record> edge);

  // The connection's own changes of single records (found and made).
  void Inserted(TableId table, const Record& rec);
  void Updated(TableId table, const Record& rec);
  void Deleted(TableId table, const Record& rec);

  // Whether a kept edge of the table shows that no record has `rec`'s primary key.
  bool ProvesMissing(TableId table, const Record& rec, uint64_t generation) const;

 private:
  struct Edge {
    TableId table;
    std::shared_ptr<sql::QueryTexts> shape;
    std::vector<Value> parameters;  // the filters' values
    bool ascending = true;
    uint64_t generation = 0;
    std::vector<int32_t> order;  // the primary key
    std::vector<FieldFilter> filters;
    std::optional<Record> record;

    bool Serves(const sql::QueryPlan& plan, bool direction) const {
      return shape == plan.shape && ascending == direction && parameters == plan.parameters;
    }
    // Whether `rec` is within the filters and sorts before the edge record (ascending) or
    // after it, or the query has no record.
    bool BeyondEdge(const Record& rec) const;
    // Whether `rec` has the edge record's primary key.
    bool IsEdge(const Record& rec) const;
  };

  // At most this many edges are kept; the one kept longest goes first.
  static constexpr size_t kMaxEdges = 64;
  std::vector<Edge> edges_;
};

}  // namespace dbclient::postgres
