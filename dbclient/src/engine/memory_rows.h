// Records kept in memory and read through the same queries as stored ones: the virtual tables,
// which are answered from the schema rather than from storage.
#pragma once

#include <vector>

#include "dbclient/record.h"
#include "engine/storage.h"

namespace dbclient {

class MemoryRows {
 public:
  // `rows` must be sorted by the table's primary key.
  explicit MemoryRows(std::vector<Record> rows) : rows_(std::move(rows)) {}

  // As Storage::Seek, Storage::Step and Storage::Count, over these rows.
  void Seek(const Query& query, SeekMode mode, const Record& from, Record* out, bool* found) const;
  void Step(const Query& query, const Record& from, int32_t steps, Record* out,
            int32_t* moved) const;
  int64_t Count(const Query& query) const;

 private:
  // Indexes of the rows within the filters, in the query's order.
  std::vector<size_t> Ordered(const Query& query) const;
  // Whether `row` sorts before (<0), with (0) or after (>0) `key` in the query's order.
  static int CompareByOrder(const Query& query, const Record& row, const Record& key);

  std::vector<Record> rows_;
};

}  // namespace dbclient
