// A long run of sample orders, one per write transaction as the demo's Test run makes them,
// that reports the process's resident memory and the client's open handles every tenth of
// the way: neither may grow with the number of orders.
#pragma once

#include <cstdint>
#include <ostream>

#include "workload.h"

namespace talmo_bench {

// Fails (VerificationFailure) when the client holds more handles at the end than after the
// first tenth, when any is left after the connection closed, or when an order is missing.
void RunMemory(Context& context, int32_t orders, std::ostream& out);

}  // namespace talmo_bench
