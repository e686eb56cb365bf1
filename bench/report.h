// The printed table of a run.
#pragma once

#include <ostream>
#include <vector>

#include "workload.h"

namespace talmo_bench {

// One line per measurement: operations, both rates, the ratio Talmo/raw and the client calls
// the Talmo side made per operation.
void PrintTable(std::ostream& out, const std::vector<Measurement>& rows);

// For each measurement, the DbClient members the Talmo side called, with calls per operation.
void PrintCallProfile(std::ostream& out, const std::vector<Measurement>& rows);

}  // namespace talmo_bench
