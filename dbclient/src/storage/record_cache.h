// Records kept by primary key, so that a key look-up the connection has answered before costs
// no request to the database: the record's stored fields, or the knowledge that no record has
// that key. Entries carry the generation their table had when they were stored and count only
// while it holds; each backend decides when a generation ends (another client's commit, a
// rollback, a change of many records at once). The cache holds at most about its capacity in
// bytes; the records used least recently go first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <unordered_map>
#include <vector>

#include "dbclient/record.h"
#include "engine/storage.h"

namespace dbclient {

struct TableId {
  int64_t company = 0;
  int32_t table = 0;
  bool operator==(const TableId&) const = default;
};

struct TableIdHash {
  size_t operator()(const TableId& id) const noexcept {
    return std::hash<int64_t>()(id.company * 1000003 + id.table);
  }
};

// The primary-key values of a record.
std::vector<Value> PrimaryKeyOf(const Record& rec);

// Whether `kept`, the record under `from`'s primary key, is what a look-up of `from` by the
// query's key fields and filters finds.
bool MatchesLookUp(const Query& query, const Record& kept, const Record& from);

class RecordCache {
 public:
  explicit RecordCache(size_t capacityBytes) : capacity_(capacityBytes) {}

  // What the cache knows of a key under the table's current generation.
  enum class Knowledge { kNothing, kMissing, kRecord };
  // `*record` is set for kRecord (valid until the next change of the cache).
  Knowledge Find(TableId table, const std::vector<Value>& key, uint64_t generation,
                 const Record** record);
  // Stores what the table holds under `rec`'s key (its stored fields; the others as initial
  // values), or that no record has `key`. Nothing is stored for generation 0.
  void Put(TableId table, const Record& rec, uint64_t generation);
  void PutMissing(TableId table, std::vector<Value> key, uint64_t generation);
  // Forgets a key (its record exists, but its fields are not known).
  void Forget(TableId table, const std::vector<Value>& key);

  size_t bytes() const noexcept { return bytes_; }

 private:
  struct Key {
    TableId table;
    std::vector<Value> values;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& key) const noexcept;
  };
  struct Entry {
    Key key;
    uint64_t generation;
    std::optional<Record> record;  // none: no record has the key
    size_t bytes;
  };

  void Store(Entry entry);
  void Erase(std::list<Entry>::iterator entry);

  size_t capacity_;
  size_t bytes_ = 0;
  std::list<Entry> entries_;  // most recently used first
  std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> index_;
};

}  // namespace dbclient
