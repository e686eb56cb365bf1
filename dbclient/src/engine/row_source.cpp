#include "engine/row_source.h"

#include <cassert>

namespace dbclient {

RowSource::RowSource(std::recursive_mutex* lock, std::vector<int> columns)
    : lock_(lock), columns_(std::move(columns)), fetchedIn_(columns_.size(), 0) {
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (columns_[i] < 0) unheld_.push_back(i);
  }
}

RowSource::~RowSource() {
  // A derived source that left its loan running would leave the buffer with fields it never
  // got; at least the buffer must not point here any more.
  assert(record_ == nullptr);
  Withdraw();
}

void RowSource::Lend(Record& rec) {
  assert((record_ == nullptr || record_ == &rec) && rec.values_.size() == columns_.size());
  if (record_ == &rec) {  // a renewal, made under the lock already
    Renew();
    return;
  }
  rec.Settle();  // a loan from another source ends first
  const Locked locked(lock_);
  record_ = &rec;
  Renew();
  rec.sourceLock_ = lock_;
  rec.source_.store(this, std::memory_order_release);
}

void RowSource::Renew() {
  ++loan_;
  for (size_t i : unheld_) record_->ResetAt(i);
  record_->initial_ = false;
}

void RowSource::Return() {
  const Locked locked(lock_);
  if (record_ != nullptr) ReturnLocked();
}

void RowSource::ReturnLocked() {
  for (size_t i = 0; i < columns_.size(); ++i) Fetch(i);
  Unlink();
}

void RowSource::Withdraw() {
  const Locked locked(lock_);
  if (record_ != nullptr) Unlink();
}

void RowSource::Fetch(size_t index) {
  if (columns_[index] < 0 || fetchedIn_[index] == loan_) return;
  ReadColumn(columns_[index], &record_->values_[index]);
  fetchedIn_[index] = loan_;
}

void RowSource::Unlink() {
  record_->source_.store(nullptr, std::memory_order_release);
  record_ = nullptr;
}

// The buffer's side. Its lock pointer is only read while a loan runs, and the storage that
// owns the lock outlives every loan of its sources.

void Record::FetchFromSource(size_t index) const {
  const RowSource::Locked locked(sourceLock_);
  RowSource* source = source_.load(std::memory_order_relaxed);
  if (source != nullptr) source->Fetch(index);
}

void Record::SettleFromSource() const {
  const RowSource::Locked locked(sourceLock_);
  RowSource* source = source_.load(std::memory_order_relaxed);
  if (source != nullptr) source->ReturnLocked();
}

void Record::SettleFromSource(size_t index) {
  const RowSource::Locked locked(sourceLock_);
  RowSource* source = source_.load(std::memory_order_relaxed);
  if (source != nullptr && source->ColumnOf(index) >= 0) source->ReturnLocked();
}

void Record::EndLoan() {
  if (source_.load(std::memory_order_acquire) == nullptr) return;
  const RowSource::Locked locked(sourceLock_);
  RowSource* source = source_.load(std::memory_order_relaxed);
  if (source != nullptr) source->Unlink();
}

}  // namespace dbclient
