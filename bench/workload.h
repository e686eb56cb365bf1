// What every workload shares: the context it runs in, the figures it reports and the check
// that makes a wrong result fail the run.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "environment.h"
#include "options.h"

namespace talmo_bench {

// One side of one workload: operations done and the time they took.
struct SideResult {
  int64_t operations = 0;
  double seconds = 0;
  double Rate() const { return seconds > 0 ? operations / seconds : 0; }
};

// Calls of each DbClient member (index: member number).
using CallCounts = std::array<uint64_t, 128>;

// One line of the report.
struct Measurement {
  explicit Measurement(std::string name) : name(std::move(name)) {}

  // Records the DbClient calls the Talmo side made for `operations` operations.
  void SetClientCalls(const CallCounts& before, const CallCounts& after, int64_t operations);

  std::string name;
  SideResult talmo;
  SideResult raw;
  double clientCallsPerOperation = 0;
  // (member, calls per operation), the most called first.
  std::vector<std::pair<int32_t, double>> callsByMember;
  std::string note;
};

struct Context {
  const BenchOptions& options;
  Environment& environment;
};

// A result that is not what the workload must produce. The run fails with it.
class VerificationFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline void Verify(bool condition, const std::string& what) {
  if (!condition) throw VerificationFailure(what);
}

// Keeps the faster of two runs of one side.
inline void KeepBest(SideResult& best, const SideResult& run) {
  if (best.seconds == 0 || run.Rate() > best.Rate()) best = run;
}

class Stopwatch {
 public:
  Stopwatch() : start_(std::chrono::steady_clock::now()) {}
  double Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_;
};

// The workloads; each runs `options.repeat` rounds on fresh copies and verifies every round.
std::vector<Measurement> RunOrders(Context& context);
std::vector<Measurement> RunGetRec(Context& context);
std::vector<Measurement> RunScan(Context& context);
std::vector<Measurement> RunLedger(Context& context);
std::vector<Measurement> RunFields(Context& context);
// The same orders, getrec and scan on a database server, beside a raw libpq program.
std::vector<Measurement> RunServerOrders(Context& context);
std::vector<Measurement> RunServerGetRec(Context& context);
std::vector<Measurement> RunServerScan(Context& context);
// A line giving the server's round-trip time as the raw side meets it (a prepared SELECT 1,
// the median of many).
std::string DescribeRoundTrip(Context& context);

}  // namespace talmo_bench
