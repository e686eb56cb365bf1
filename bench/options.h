// The command line of talmo-bench.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace talmo_bench {

struct BenchOptions {
  int32_t orders = 300;             // sample orders of each orders workload
  int32_t lookups = 50000;          // key look-ups of getrec
  int32_t scanPasses = 10;          // passes over the "K0*" items
  int32_t ledgerPasses = 1;         // full runs over the item ledger, 20 entries a step
  int32_t fieldRounds = 100000;     // gets and puts of each field type
  int32_t repeat = 3;               // each workload runs this often; the best rate counts
  uint32_t seed = 20240611;         // of every random choice
  std::vector<int32_t> memoryRuns;  // orders of each memory run, in order
  std::vector<std::string> only;    // workloads to run; empty: all
  std::filesystem::path folder;     // parent of the working folder; empty: DefaultFolder()
  bool showCalls = false;           // print the DbClient members each workload called
  std::filesystem::path server;     // a server's folder (tools/pg-server.sh): run on it
  std::string error;                // a usage error; empty when the line is valid
};

// Reads the arguments after the program name.
BenchOptions ParseOptions(std::span<const std::string_view> args);

extern const char* const kUsage;

// The names of the workloads, in the order they run.
extern const std::vector<std::string_view> kWorkloadNames;

bool Selected(const BenchOptions& options, std::string_view workload);

// Where the working folder goes by default: /dev/shm when there is one, so that the disk's
// flush latency (every INI save and checkpoint syncs) does not swamp the figures; else the
// temp folder.
std::filesystem::path DefaultFolder();

}  // namespace talmo_bench
