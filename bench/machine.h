// The machine and process figures a report shows: processors, CPU model, memory, the SQLite
// version, and this process's resident memory.
#pragma once

#include <cstdint>
#include <string>

namespace talmo_bench {

// One line: online processors, the CPU model, total memory, SQLite's version.
std::string DescribeMachine();

struct ProcessMemory {
  int64_t residentKiB = 0;  // VmRSS
  int64_t peakKiB = 0;      // VmHWM, the peak resident size so far
};

// From /proc/self/status; zeros where it cannot be read.
ProcessMemory ReadProcessMemory();

}  // namespace talmo_bench
