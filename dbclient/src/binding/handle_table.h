// Numbered handles of the client's objects: tables, record buffers and decimal work values.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <utility>

namespace dbclient::binding {

// Hands out the positive 32-bit numbers that stand for the client's objects. One counter
// serves every kind of handle, so a record handle can never be mistaken for a table handle
// or a decimal value. Safe to share between threads.
class HandleCounter {
 public:
  // `first` (positive) is the first number handed out.
  constexpr explicit HandleCounter(int32_t first = 1) noexcept : next_(first > 0 ? first : 1) {}

  // The next unused number, or 0 once every positive 32-bit number has been handed out.
  int32_t Next() noexcept {
    int32_t handle = next_.load(std::memory_order_relaxed);
    while (handle != 0 && !next_.compare_exchange_weak(handle, handle == INT32_MAX ? 0 : handle + 1,
                                                       std::memory_order_relaxed)) {
    }
    return handle;
  }

 private:
  std::atomic<int32_t> next_;
};

// The live objects of one kind, by handle. Lookups of a stale or unknown handle give null;
// the caller turns that into a client error.
template <class T>
class HandleTable {
 public:
  // Numbers come from `counter`; `live` counts the objects of this kind that every table of
  // the process holds, so the figure needs no list of tables (and none that could be gone
  // before the last table when the process exits).
  HandleTable(HandleCounter& counter, std::atomic<int64_t>& live)
      : counter_(counter), live_(live) {}
  ~HandleTable() { Clear(); }
  HandleTable(const HandleTable&) = delete;
  HandleTable& operator=(const HandleTable&) = delete;

  // Stores `object` under a new handle; 0 when the numbers have run out (nothing stored).
  // Objects stay at one address until removed.
  int32_t Add(T object) {
    const int32_t handle = counter_.Next();
    if (handle != 0) {
      items_.emplace(handle, std::move(object));
      live_.fetch_add(1, std::memory_order_relaxed);
    }
    return handle;
  }

  // Calls come in runs on a few objects at a time (the buffers a rule reads in turn, the
  // steps of one scan), so the objects found last are remembered, by the low bits of their
  // handles.
  T* Find(int32_t handle) noexcept {
    Recent& recent = recent_[static_cast<uint32_t>(handle) % kRecent];
    if (recent.handle == handle && handle != 0) return recent.object;
    const auto it = items_.find(handle);
    if (it == items_.end()) return nullptr;
    recent = {handle, &it->second};
    return recent.object;
  }

  // Destroys the object of `handle`; false when there is none.
  bool Remove(int32_t handle) { return Take(handle).has_value(); }
  // Hands out the object of `handle` and forgets the handle; nothing when there is none.
  std::optional<T> Take(int32_t handle) {
    Recent& recent = recent_[static_cast<uint32_t>(handle) % kRecent];
    if (recent.handle == handle) recent = {};
    auto node = items_.extract(handle);
    if (node.empty()) return std::nullopt;
    live_.fetch_sub(1, std::memory_order_relaxed);
    return std::optional<T>(std::move(node.mapped()));
  }

  void Clear() noexcept {
    recent_ = {};
    live_.fetch_sub(static_cast<int64_t>(items_.size()), std::memory_order_relaxed);
    items_.clear();
  }
  size_t size() const noexcept { return items_.size(); }

 private:
  HandleCounter& counter_;
  std::atomic<int64_t>& live_;
  struct Recent {
    int32_t handle = 0;  // 0: none remembered
    T* object = nullptr;
  };
  static constexpr size_t kRecent = 16;
  std::unordered_map<int32_t, T> items_;
  std::array<Recent, kRecent> recent_{};
};

}  // namespace dbclient::binding
