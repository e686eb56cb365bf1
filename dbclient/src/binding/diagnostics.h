// Process-wide figures of the database client for leak checks and benchmarks: the handles
// that every DbClient object of the process holds and how often each member was called.
// Members 100 and 101 report them (102 the round trips to database servers), so a program can watch the client that a component
// created inside it without a reference to that object.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "automation/dispatch.h"

namespace dbclient::binding::diagnostics {

struct HandleCounts {
  int64_t tables = 0;
  int64_t records = 0;
  int64_t decimals = 0;
};

// The member calls of one DbClient object, by member number (0 to 127). Only the thread
// that uses the object counts, with a plain load and store (no locked instruction on the
// call path); any thread may read. While alive it is part of the process's figures, and when
// it goes its counts stay in them.
class CallCounter {
 public:
  CallCounter();
  ~CallCounter();
  CallCounter(const CallCounter&) = delete;
  CallCounter& operator=(const CallCounter&) = delete;

  void Count(automation::DispId id) noexcept {
    std::atomic<uint64_t>& count = counts_[static_cast<size_t>(id) & 127];
    count.store(count.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
  }
  uint64_t Calls(automation::DispId id) const noexcept {
    return counts_[static_cast<size_t>(id) & 127].load(std::memory_order_relaxed);
  }

 private:
  std::array<std::atomic<uint64_t>, 128> counts_{};
};

// Calls of member `id` made on any DbClient object of the process so far.
uint64_t Calls(automation::DispId id) noexcept;

}  // namespace dbclient::binding::diagnostics
