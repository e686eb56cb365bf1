// What a connection knows of the data versions of the server's tables, and so which of the
// records and pages it keeps are still the tables' data.
//
// Every committed change of a company table raises the table's version (a trigger, whoever
// changes it; see schema.h). When a read snapshot or a write transaction starts, the client
// reads every version in the same request: a table whose version moved was changed by
// someone, and what the client kept of it goes. Its own writes keep its records current; at
// commit it reads back the versions its transaction raised: exactly one more than it knew
// means nobody else wrote the table meanwhile.
//
// What is kept is tagged with the table's generation when it is stored and is current while
// the generation is. Generations come from one counter, so a dropped one never returns; 0 is
// the generation of a table without a known version, whose data is never kept.
#pragma once

#include <cstdint>
#include <functional>
#include <unordered_map>

#include "storage/postgres/connection.h"
#include "storage/record_cache.h"

namespace dbclient::postgres {

class DataVersions {
 public:
  // Of the table's records (0: keep none).
  uint64_t RecordGeneration(TableId table) const;
  // Of the pages of its queries read ahead; they go also with the connection's own writes.
  uint64_t PageGeneration(TableId table) const;

  // A snapshot or write transaction starts: `versions` holds every table's version (columns
  // company, table number, version).
  void Start(const Result& versions);
  // The open write transaction wrote records of `table` one by one (the writer keeps the
  // records it wrote current) or many at once (which drops every record kept).
  void Wrote(TableId table);
  void WroteMany(TableId table);
  // The open write transaction committed, and `raised` holds the versions it raised (the
  // same columns, read inside it just before the commit); or it rolled back.
  void Committed(const Result& raised);
  void RolledBack();

 private:
  struct State {
    int64_t version = 0;
    bool known = false;  // the version is the table's as of the start of the transaction
    bool written = false;
    uint64_t records = 0;
    uint64_t pages = 0;
  };
  void Drop(State& state) { state.records = state.pages = next_++; }

  std::unordered_map<TableId, State, TableIdHash> tables_;
  uint64_t next_ = 1;
};

}  // namespace dbclient::postgres
