#include "storage/record_cache.h"

#include <algorithm>
#include <functional>
#include <string_view>

#include "storage/sql_text.h"

namespace dbclient {
namespace {

size_t HashOf(const Value& value) {
  switch (value.type()) {
    case FieldType::kText:
    case FieldType::kCode:
      return std::hash<std::u16string_view>()(value.text());
    case FieldType::kDecimal:
      // 0.0 and -0.0 are equal values.
      return value.decimal() == 0 ? 0 : std::hash<double>()(value.decimal());
    case FieldType::kBoolean:
      return value.boolean() ? 1 : 0;
    case FieldType::kBlob:
      return std::hash<std::string_view>()(value.blob());
    default:
      return std::hash<int32_t>()(value.integer());
  }
}

// What a value takes in memory, roughly.
size_t BytesOf(const Value& value) {
  switch (value.type()) {
    case FieldType::kText:
    case FieldType::kCode:
      return sizeof(Value) + value.text().size() * sizeof(char16_t);
    case FieldType::kBlob:
      return sizeof(Value) + value.blob().size();
    default:
      return sizeof(Value);
  }
}

// The list node, the index node and its bucket.
constexpr size_t kEntryOverhead = 128;

}  // namespace

std::vector<Value> PrimaryKeyOf(const Record& rec) {
  std::vector<Value> key;
  for (int32_t field : rec.table().PrimaryKey().fields) key.push_back(*rec.Find(field));
  return key;
}

bool MatchesLookUp(const Query& query, const Record& kept, const Record& from) {
  for (int32_t field : query.order) {
    if (!(*kept.Find(field) == *from.Find(field))) return false;
  }
  return std::all_of(query.filters.begin(), query.filters.end(), [&](const FieldFilter& filter) {
    return filter.Matches(*kept.Find(filter.fieldNo()));
  });
}

size_t RecordCache::KeyHash::operator()(const Key& key) const noexcept {
  size_t hash = TableIdHash()(key.table);
  for (const Value& value : key.values) hash = hash * 31 + HashOf(value);
  return hash;
}

RecordCache::Knowledge RecordCache::Find(TableId table, const std::vector<Value>& key,
                                         uint64_t generation, const Record** record) {
  if (generation == 0) return Knowledge::kNothing;
  const auto it = index_.find(Key{table, key});
  if (it == index_.end()) return Knowledge::kNothing;
  const auto entry = it->second;
  if (entry->generation != generation) {
    Erase(entry);
    return Knowledge::kNothing;
  }
  entries_.splice(entries_.begin(), entries_, entry);
  if (!entry->record) return Knowledge::kMissing;
  *record = &*entry->record;
  return Knowledge::kRecord;
}

void RecordCache::Put(TableId table, const Record& rec, uint64_t generation) {
  if (generation == 0) return;
  Entry entry{{table, PrimaryKeyOf(rec)}, generation, rec, 0};
  for (size_t i = 0; i < rec.size(); ++i) {
    if (!sql::IsStored(rec.table().fields[i])) entry.record->InitAt(i);
  }
  Store(std::move(entry));
}

void RecordCache::PutMissing(TableId table, std::vector<Value> key, uint64_t generation) {
  if (generation != 0) Store(Entry{{table, std::move(key)}, generation, std::nullopt, 0});
}

void RecordCache::Forget(TableId table, const std::vector<Value>& key) {
  const auto it = index_.find(Key{table, key});
  if (it != index_.end()) Erase(it->second);
}

void RecordCache::Store(Entry entry) {
  Forget(entry.key.table, entry.key.values);
  entry.bytes = kEntryOverhead;
  for (const Value& value : entry.key.values) entry.bytes += BytesOf(value);
  if (entry.record) {
    for (size_t i = 0; i < entry.record->size(); ++i) entry.bytes += BytesOf(entry.record->at(i));
  }
  if (entry.bytes > capacity_) return;
  bytes_ += entry.bytes;
  entries_.push_front(std::move(entry));
  index_.emplace(entries_.front().key, entries_.begin());
  while (bytes_ > capacity_) Erase(std::prev(entries_.end()));
}

void RecordCache::Erase(std::list<Entry>::iterator entry) {
  bytes_ -= entry->bytes;
  index_.erase(entry->key);
  entries_.erase(entry);
}

}  // namespace dbclient
