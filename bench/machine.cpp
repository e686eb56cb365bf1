#include "machine.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string_view>

namespace talmo_bench {
namespace {

// The value after "key:" on the first line of `file` that starts with `key`.
std::string ValueOf(const char* file, std::string_view key) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, key.size(), key) != 0) continue;
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const size_t start = line.find_first_not_of(" \t", colon + 1);
    return start == std::string::npos ? std::string() : line.substr(start);
  }
  return {};
}

int64_t KiBOf(const std::string& text) { return text.empty() ? 0 : std::stoll(text); }

}  // namespace

std::string DescribeMachine() {
  const std::string model = ValueOf("/proc/cpuinfo", "model name");
  const double memoryGiB =
      static_cast<double>(KiBOf(ValueOf("/proc/meminfo", "MemTotal"))) / (1024.0 * 1024.0);
  char memory[32];
  std::snprintf(memory, sizeof memory, "%.1f GiB", memoryGiB);
  return "machine: " + std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " processors, " +
         (model.empty() ? "unknown CPU" : model) + ", " + memory + " memory, SQLite " +
         sqlite3_libversion();
}

ProcessMemory ReadProcessMemory() {
  const int64_t resident = KiBOf(ValueOf("/proc/self/status", "VmRSS"));
  // The kernel's counters are approximate; the peak is never shown below the current size.
  return {resident, std::max(resident, KiBOf(ValueOf("/proc/self/status", "VmHWM")))};
}

}  // namespace talmo_bench
