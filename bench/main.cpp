// talmo-bench: each workload through the Talmo component (as a client uses it) and, in the
// same run, as a raw SQLite program on the same data; prints both rates and their ratio.
// Every workload checks what it read or wrote; a wrong result fails the run (exit 1).
#include <iostream>
#include <span>
#include <string_view>
#include <vector>

#include "automation/automation_error.h"
#include "automation/text.h"
#include "environment.h"
#include "machine.h"
#include "memory_run.h"
#include "options.h"
#include "report.h"
#include "workload.h"

namespace {

using namespace talmo_bench;

struct Workload {
  std::string_view name;
  std::vector<Measurement> (*run)(Context&);
};

constexpr Workload kWorkloads[] = {{"orders", RunOrders},
                                   {"getrec", RunGetRec},
                                   {"scan", RunScan},
                                   {"ledger", RunLedger},
                                   {"fields", RunFields}};

// The workloads of a run on a database server.
constexpr Workload kServerWorkloads[] = {
    {"orders", RunServerOrders}, {"getrec", RunServerGetRec}, {"scan", RunServerScan}};

int Run(const BenchOptions& options) {
  Environment environment(options.folder, options.server);
  Context context{options, environment};
  std::cout << DescribeMachine() << std::endl;
  if (environment.onServer()) std::cout << DescribeRoundTrip(context) << std::endl;
  std::vector<Measurement> rows;
  const std::span<const Workload> workloads =
      environment.onServer() ? std::span<const Workload>(kServerWorkloads) : kWorkloads;
  for (const Workload& workload : workloads) {
    if (!Selected(options, workload.name)) continue;
    std::cerr << "running " << workload.name << " ..." << std::endl;
    for (Measurement& row : workload.run(context)) rows.push_back(std::move(row));
  }
  if (!rows.empty()) PrintTable(std::cout, rows);
  if (!rows.empty() && options.showCalls) PrintCallProfile(std::cout, rows);
  for (int32_t orders : options.memoryRuns) {
    std::cerr << "running a memory run of " << orders << " orders ..." << std::endl;
    RunMemory(context, orders, std::cout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  for (const std::string_view arg : args) {
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
  }
  const BenchOptions options = ParseOptions(args);
  if (!options.error.empty()) {
    std::cerr << options.error << "\n" << kUsage;
    return 2;
  }
  try {
    return Run(options);
  } catch (const VerificationFailure& failure) {
    std::cerr << "VERIFICATION FAILED: " << failure.what() << "\n";
  } catch (const automation::AutomationError& error) {
    std::cerr << "automation error " << error.number() << ": "
              << automation::ToUtf8(error.description()) << "\n";
  } catch (const std::exception& error) {
    std::cerr << "error: " << error.what() << "\n";
  }
  return 1;
}
