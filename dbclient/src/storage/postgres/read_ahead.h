// Read-ahead: the records that follow a position in a query's order, fetched in one request
// and served to the steps that follow, so that a cursor walking through a table asks the
// server once per page instead of once per record.
//
// A page holds consecutive records of its query in one direction: those after (or before) an
// anchor record, or from the query's first (or last) record on. It serves a step while the
// step starts at the record the page stands on (the one it served last, or its anchor) and
// ends within its rows, or at the query's end when the page reached it. Anything else (a
// buffer moved elsewhere, a step past the rows) is for a new page. A page belongs to its
// query's plan, which a change of key or filters replaces; whoever keeps it drops it when the
// table's page generation moves (see data_versions.h).
//
// The row a page stands on is lent to the buffer it was served to: the buffer decodes a field
// from the page's rows when it first reads it. The rows are the server's answer, which
// outlives the read snapshot, so the loan needs no lock: no other thread's call touches a
// page. (A page may also outlive its storage, in the plan of a cursor left open.)
#pragma once

#include <cstdint>
#include <vector>

#include "dbclient/record.h"
#include "engine/row_source.h"
#include "engine/storage.h"
#include "storage/postgres/connection.h"

namespace dbclient::postgres {

class Page final : public RowSource {
 public:
  // `rows` are the records of `query` in the order of its keys (`ascending`) or reversed,
  // up to `asked` of them: after the record whose key values `anchor` holds, or, for an
  // empty `anchor`, from the query's first (last) record on.
  Page(const Query& query, Result rows, int32_t asked, bool ascending, const Record* anchor,
       uint64_t generation);
  ~Page() override { Return(); }

  uint64_t generation() const noexcept { return generation_; }
  int32_t asked() const noexcept { return asked_; }
  // Whether the rows begin at the query's first record (ascending) or its last.
  bool StartsAtEdge(bool ascending) const noexcept { return edge_ && ascending_ == ascending; }

  // The first row of a page that starts at the edge; false when the query has no records.
  bool Edge(Record* out);

  enum class Outcome {
    kServed,   // *out and *moved are the step's
    kRanOut,   // the step starts where the page stands but goes past its rows
    kNotHere,  // the step starts elsewhere
  };
  // A step of `steps` records in the query's order from the key values held in `from`.
  Outcome Step(const Record& from, int32_t steps, Record* out, int32_t* moved);

  // Whether the rows begin at the query's first or last record.
  bool FromEdge() const noexcept { return edge_; }

 private:
  void StandOn(int index, Record* out);
  void ReadColumn(int column, Value* value) override { rows_.ReadInto(position_, column, value); }

  std::vector<int32_t> order_;
  Result rows_;
  int count_;
  int32_t asked_;
  bool ascending_;
  bool edge_;
  bool complete_;  // nothing follows the last row in the page's direction
  uint64_t generation_;
  int position_ = -1;       // the row the page stands on; -1: its anchor (or the edge)
  std::vector<Value> key_;  // that record's values of the order fields
};

}  // namespace dbclient::postgres
