// A record buffer: one value for every field of a table.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "dbclient/schema.h"
#include "dbclient/status.h"
#include "dbclient/value.h"

namespace dbclient {

class RowSource;

// Every field's initial value, in field order: a declared initial value, or the blank value
// of the field's type.
std::vector<Value> InitialValues(const TableDef& table);

// The buffer refers to its table's definition, which must outlive it (the schema does).
// Flow fields hold what the last calculation gave (0 until calculated); flow-filter fields
// hold whatever was assigned; neither is ever stored.
class Record {
 public:
  explicit Record(const TableDef& table);  // every field at its initial value
  // A copy or a move carries every field, those a RowSource still holds included.
  Record(const Record& other);
  Record(Record&& other) noexcept;
  Record& operator=(const Record& other);
  Record& operator=(Record&& other) noexcept;
  ~Record();

  const TableDef& table() const noexcept { return *table_; }

  // Every field back to its initial value: empty text, 0, false, the undefined date.
  void Init();
  void InitAt(size_t index);  // one field, by its position in table().fields

  // The value of a field, or nullptr when the table has no such field.
  const Value* Find(int32_t fieldNo) const {
    const int index = IndexOf(fieldNo);
    return index < 0 ? nullptr : &at(static_cast<size_t>(index));
  }

  // Converts `input` to the field's type and stores it. An unknown field or a value that does
  // not convert is an error and leaves the buffer unchanged.
  Status Set(int32_t fieldNo, const Input& input);

  // Stores a value that already has the field's type; a type mismatch is an error.
  Status SetValue(int32_t fieldNo, Value value);

  // Copies every field of `source`, which must belong to the same table; else an error and
  // nothing changes.
  Status CopyFrom(const Record& source);
  // Exchanges every field with `other`, which must belong to the same table; else an error
  // and nothing changes. Cheaper than a copy where the other buffer is not read again.
  Status SwapWith(Record& other);

  // Positional access in the order of table().fields.
  const Value& at(size_t index) const {
    if (source_.load(std::memory_order_acquire) != nullptr) FetchFromSource(index);
    return values_[index];
  }
  Value& at(size_t index) {
    SettleBefore(index);
    initial_ = false;
    return values_[index];
  }
  size_t size() const noexcept { return values_.size(); }

  // Index of a field in table().fields, or -1.
  int IndexOf(int32_t fieldNo) const noexcept { return table_->IndexOf(fieldNo); }

  // Takes every field a RowSource still holds for the buffer, which then depends on nothing.
  void Settle() const {
    if (source_.load(std::memory_order_acquire) != nullptr) SettleFromSource();
  }

 private:
  friend class RowSource;
  void FetchFromSource(size_t index) const;
  void SettleFromSource() const;
  // Before field `index` changes: a field a RowSource lends ends the loan (taking every field),
  // one it does not lend (a flow field) leaves it running.
  void SettleBefore(size_t index) {
    if (source_.load(std::memory_order_acquire) != nullptr) SettleFromSource(index);
  }
  void SettleFromSource(size_t index);
  void EndLoan();  // forgets the fields a RowSource holds: the buffer's values are replaced
  void ResetAt(size_t index);  // InitAt, loan or not
  const std::vector<Value>& SettledValues() const {
    Settle();
    return values_;
  }
  std::vector<Value>&& TakeSettledValues() {
    Settle();
    return std::move(values_);
  }

  const TableDef* table_;
  // Mutable for the fields a RowSource hands over when they are first read.
  mutable std::vector<Value> values_;
  // While the buffer holds a row lent by a RowSource, the source, and the lock its calls run
  // under (null when none: a storage no other thread calls).
  std::atomic<RowSource*> source_{nullptr};
  std::recursive_mutex* sourceLock_ = nullptr;
  // Every value is still its initial one (set by the constructor and Init, cleared by any
  // access that may change a value), so Init has nothing to do.
  bool initial_ = true;
};

}  // namespace dbclient
