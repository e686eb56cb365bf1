// A row a statement has stepped to, lent to the record buffer that asked for it: the buffer
// decodes a stored field from the row the first time the field is read, so a scan that reads
// two fields of each record decodes two, not all of them.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "dbclient/record.h"

namespace dbclient {

// A source lends its current row to at most one buffer at a time. The loan ends
// - before the row goes (the source's next step, its reset or its end): Return() hands the
//   buffer every field it has not read yet; Withdraw() hands it none, where the caller
//   rewrites or restores every field;
// - when a field the row holds changes in the buffer, or the buffer is copied or moved (it
//   takes every field first), or when it is cleared, overwritten or destroyed (it takes none).
//   A field the row does not hold (a flow field being calculated) may change meanwhile.
// So while a buffer holds a loan, the row's fields in it are the row as stepped to: a running
// scan continues from it without comparing keys.
//
// Threads: a storage whose calls run under a lock (another thread may end a read snapshot,
// and with it the statement, between the owner's calls) gives that lock to its sources. Every
// step of a loan takes it, the buffer's reads of lent fields included.
class RowSource {
 public:
  RowSource(const RowSource&) = delete;
  RowSource& operator=(const RowSource&) = delete;

  const Record* borrower() const noexcept { return record_; }

 protected:
  // `columns`: for each field of the table, its column in the rows, or -1 for a field the
  // rows do not hold (the buffer sets it itself).
  RowSource(std::recursive_mutex* lock, std::vector<int> columns);
  // A derived source returns its loan in its own destructor, while its row still exists.
  virtual ~RowSource();

  // Lends the current row to `rec`: the fields the row holds are read from it, the others go
  // back to their initial values (flow fields read 0 until calculated). The source lends
  // nothing else at the time, or `rec` the row it had: a source may step under a running loan
  // when nothing reads the buffer before the row is lent again or withdrawn, which is so
  // within one call made under the lock.
  void Lend(Record& rec);
  void Return();
  void Withdraw();

  int ColumnOf(size_t index) const { return columns_[index]; }
  // Decodes a column of the current row into `value`, which has the field's type.
  virtual void ReadColumn(int column, Value* value) = 0;

 private:
  friend class Record;

  // Holds the source's lock, when it has one.
  class Locked {
   public:
    explicit Locked(std::recursive_mutex* lock) : lock_(lock) {
      if (lock_ != nullptr) lock_->lock();
    }
    ~Locked() {
      if (lock_ != nullptr) lock_->unlock();
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

   private:
    std::recursive_mutex* lock_;
  };

  // Under the lock, with a loan running.
  void Renew();  // the buffer takes the source's current row
  void Fetch(size_t index);
  void ReturnLocked();
  void Unlink();

  std::recursive_mutex* const lock_;
  const std::vector<int> columns_;
  std::vector<size_t> unheld_;  // the fields with no column
  Record* record_ = nullptr;
  uint64_t loan_ = 0;                // loans made so far: the running one's number
  std::vector<uint64_t> fetchedIn_;  // per field, the loan it was last handed over in
};

}  // namespace dbclient
