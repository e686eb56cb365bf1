// Process-wide figures of the database client for leak checks and benchmarks: the handles
// that every DbClient object of the process holds and how often each member was called.
// Members 100 and 101 report them (102 the round trips to database servers), so a program can watch the client that a component
// created inside it without a reference to that object.
#pragma once

#include <cstdint>

#include "automation/dispatch.h"

namespace dbclient::binding::diagnostics {

struct HandleCounts {
  int64_t tables = 0;
  int64_t records = 0;
  int64_t decimals = 0;
};

// Counts one call of member `id` (ids outside the member table are not counted).
void CountCall(automation::DispId id) noexcept;
// Calls of member `id` made on any DbClient object of the process so far.
uint64_t Calls(automation::DispId id) noexcept;

}  // namespace dbclient::binding::diagnostics
