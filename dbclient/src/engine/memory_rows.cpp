#include "engine/memory_rows.h"

#include <algorithm>

namespace dbclient {

int MemoryRows::CompareByOrder(const Query& query, const Record& row, const Record& key) {
  for (int32_t field : query.order) {
    const int c = row.Find(field)->Compare(*key.Find(field));
    if (c != 0) return c;
  }
  return 0;
}

std::vector<size_t> MemoryRows::Ordered(const Query& query) const {
  std::vector<size_t> indexes;
  for (size_t i = 0; i < rows_.size(); ++i) {
    bool inside = true;
    for (const FieldFilter& filter : query.filters) {
      if (!filter.Matches(*rows_[i].Find(filter.fieldNo()))) {
        inside = false;
        break;
      }
    }
    if (inside) indexes.push_back(i);
  }
  if (query.order != query.table->PrimaryKey().fields) {  // the rows are in key order already
    std::stable_sort(indexes.begin(), indexes.end(), [&](size_t a, size_t b) {
      return CompareByOrder(query, rows_[a], rows_[b]) < 0;
    });
  }
  return indexes;
}

void MemoryRows::Seek(const Query& query, SeekMode mode, const Record& from, Record* out,
                      bool* found) const {
  *found = false;
  if (mode == SeekMode::kEqual && query.order == query.table->PrimaryKey().fields) {
    // A key look-up: binary search, then the filters.
    const auto it = std::lower_bound(
        rows_.begin(), rows_.end(), from,
        [&](const Record& row, const Record& key) { return CompareByOrder(query, row, key) < 0; });
    if (it == rows_.end() || CompareByOrder(query, *it, from) != 0) return;
    for (const FieldFilter& filter : query.filters) {
      if (!filter.Matches(*it->Find(filter.fieldNo()))) return;
    }
    out->CopyFrom(*it);
    *found = true;
    return;
  }
  const std::vector<size_t> ordered = Ordered(query);
  if (ordered.empty()) return;
  size_t pick = mode == SeekMode::kFirst ? ordered.front() : ordered.back();
  if (mode == SeekMode::kEqual) {
    const auto it = std::find_if(ordered.begin(), ordered.end(), [&](size_t i) {
      return CompareByOrder(query, rows_[i], from) == 0;
    });
    if (it == ordered.end()) return;
    pick = *it;
  }
  out->CopyFrom(rows_[pick]);
  *found = true;
}

void MemoryRows::Step(const Query& query, const Record& from, int32_t steps, Record* out,
                      int32_t* moved) const {
  *moved = 0;
  const std::vector<size_t> ordered = Ordered(query);
  if (steps > 0) {
    auto it = std::find_if(ordered.begin(), ordered.end(),
                           [&](size_t i) { return CompareByOrder(query, rows_[i], from) > 0; });
    const auto available = static_cast<int64_t>(ordered.end() - it);
    const int64_t passed = std::min<int64_t>(steps, available);
    if (passed == 0) return;
    out->CopyFrom(rows_[*(it + (passed - 1))]);
    *moved = static_cast<int32_t>(passed);
  } else if (steps < 0) {
    auto it = std::find_if(ordered.rbegin(), ordered.rend(),
                           [&](size_t i) { return CompareByOrder(query, rows_[i], from) < 0; });
    const auto available = static_cast<int64_t>(ordered.rend() - it);
    const int64_t passed = std::min<int64_t>(-static_cast<int64_t>(steps), available);
    if (passed == 0) return;
    out->CopyFrom(rows_[*(it + (passed - 1))]);
    *moved = static_cast<int32_t>(-passed);
  }
}

int64_t MemoryRows::Count(const Query& query) const {
  return static_cast<int64_t>(Ordered(query).size());
}

}  // namespace dbclient
