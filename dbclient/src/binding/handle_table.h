// Numbered handles of one connection: tables, record buffers and decimal work values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <utility>

namespace dbclient::binding {

// Hands out the positive 32-bit numbers that stand for the client's objects. One counter
// serves every kind of handle of a connection, so a number is never reused and a record
// handle can never be mistaken for a table handle or a decimal value.
class HandleCounter {
 public:
  // `first` (positive) is the first number handed out.
  explicit HandleCounter(int32_t first = 1) noexcept : next_(first > 0 ? first : 1) {}

  // The next unused number, or 0 once every positive 32-bit number has been handed out.
  int32_t Next() noexcept {
    const int32_t handle = next_;
    if (handle != 0) next_ = handle == INT32_MAX ? 0 : handle + 1;
    return handle;
  }

 private:
  int32_t next_;
};

// The live objects of one kind, by handle. Lookups of a stale or unknown handle give null;
// the caller turns that into a client error.
template <class T>
class HandleTable {
 public:
  explicit HandleTable(HandleCounter& counter) : counter_(counter) {}

  // Stores `object` under a new handle; 0 when the numbers have run out (nothing stored).
  // Objects stay at one address until removed.
  int32_t Add(T object) {
    const int32_t handle = counter_.Next();
    if (handle != 0) items_.emplace(handle, std::move(object));
    return handle;
  }

  T* Find(int32_t handle) noexcept {
    const auto it = items_.find(handle);
    return it == items_.end() ? nullptr : &it->second;
  }

  // Destroys the object of `handle`; false when there is none.
  bool Remove(int32_t handle) { return items_.erase(handle) != 0; }

  void Clear() noexcept { items_.clear(); }
  size_t size() const noexcept { return items_.size(); }

 private:
  HandleCounter& counter_;
  std::unordered_map<int32_t, T> items_;
};

}  // namespace dbclient::binding
