#include "options.h"

#include <algorithm>
#include <charconv>

namespace talmo_bench {

const char* const kUsage =
    "usage: talmo-bench [--quick] [--only NAME[,NAME...]] [--orders N] [--lookups N]\n"
    "                   [--scan-passes N] [--ledger-passes N] [--field-rounds N] [--repeat N]\n"
    "                   [--seed N] [--memory N]... [--dir FOLDER] [--calls] [--server DIR]\n"
    "                   [--help]\n"
    "  workloads: orders getrec scan ledger fields (none: only the memory runs)\n"
    "  --quick       small sizes, one round: checks that every workload runs and verifies\n"
    "  --memory N    after the workloads, N orders one per transaction (N <= 100000),\n"
    "                reporting resident memory and the client's open handles as it goes\n"
    "  --dir FOLDER  where the working folder (sample database and its copies) is made;\n"
    "                /dev/shm when there is one, else the temp folder\n"
    "  --calls       also list the DbClient members the Talmo side called per operation\n"
    "  --server DIR  orders, getrec and scan on the PostgreSQL server of DIR (started by\n"
    "                tools/pg-server.sh), beside a raw libpq program, with round trips/op\n";

const std::vector<std::string_view> kWorkloadNames = {"orders", "getrec", "scan", "ledger",
                                                      "fields"};

namespace {

// The demo's document numbers run from OBJ00001 to OBJ99999 and one beyond; a longer run
// would make the demo insert a document number twice.
constexpr int32_t kMaxOrders = 100000;

bool ReadCount(std::string_view text, int32_t low, int32_t high, int32_t* out) {
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    return false;
  }
  *out = value;
  return true;
}

}  // namespace

BenchOptions ParseOptions(std::span<const std::string_view> args) {
  BenchOptions options;
  const auto fail = [&options](std::string message) {
    options.error = std::move(message);
    return options;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--calls") {
      options.showCalls = true;
      continue;
    }
    if (arg == "--quick") {
      options.orders = 5;
      options.lookups = 500;
      options.scanPasses = 1;
      options.ledgerPasses = 1;
      options.fieldRounds = 200;
      options.repeat = 1;
      continue;
    }
    if (i + 1 >= args.size()) return fail(std::string(arg) + ": unknown option or value missing");
    const std::string_view value = args[++i];
    int32_t number = 0;
    const auto count = [&](int32_t low, int32_t high, int32_t* out) {
      if (!ReadCount(value, low, high, out)) {
        options.error = std::string(arg) + ": expected a number from " + std::to_string(low) +
                        " to " + std::to_string(high) + ", got \"" + std::string(value) + "\"";
        return false;
      }
      return true;
    };
    if (arg == "--orders") {
      if (!count(1, kMaxOrders, &options.orders)) return options;
    } else if (arg == "--lookups") {
      if (!count(1, 100000000, &options.lookups)) return options;
    } else if (arg == "--scan-passes") {
      if (!count(1, 100000, &options.scanPasses)) return options;
    } else if (arg == "--ledger-passes") {
      if (!count(1, 100000, &options.ledgerPasses)) return options;
    } else if (arg == "--field-rounds") {
      if (!count(1, 100000000, &options.fieldRounds)) return options;
    } else if (arg == "--repeat") {
      if (!count(1, 100, &options.repeat)) return options;
    } else if (arg == "--seed") {
      if (!count(0, INT32_MAX, &number)) return options;
      options.seed = static_cast<uint32_t>(number);
    } else if (arg == "--memory") {
      if (!count(1, kMaxOrders, &number)) return options;
      options.memoryRuns.push_back(number);
    } else if (arg == "--server") {
      options.server = std::string(value);
    } else if (arg == "--dir") {
      options.folder = std::string(value);
    } else if (arg == "--only") {
      size_t start = 0;
      while (start <= value.size()) {
        const size_t comma = std::min(value.find(',', start), value.size());
        const std::string_view name = value.substr(start, comma - start);
        if (name == "none") {
          options.only.emplace_back(name);  // selects nothing: only the memory runs
        } else if (std::find(kWorkloadNames.begin(), kWorkloadNames.end(), name) ==
                   kWorkloadNames.end()) {
          return fail("--only: unknown workload \"" + std::string(name) + "\"");
        }
        options.only.emplace_back(name);
        start = comma + 1;
      }
    } else {
      return fail(std::string(arg) + ": unknown option");
    }
  }
  return options;
}

std::filesystem::path DefaultFolder() {
  std::error_code error;
  if (std::filesystem::is_directory("/dev/shm", error)) return "/dev/shm";
  return std::filesystem::temp_directory_path();
}

bool Selected(const BenchOptions& options, std::string_view workload) {
  return options.only.empty() ||
         std::find(options.only.begin(), options.only.end(), workload) != options.only.end();
}

}  // namespace talmo_bench
