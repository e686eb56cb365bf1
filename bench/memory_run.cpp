#include "memory_run.h"

#include <cstdio>
#include <optional>

#include "automation/text.h"
#include "machine.h"
#include "raw_sqlite.h"
#include "scenarios.h"
#include "talmo_client.h"
#include "util/cls_ini_file.h"

namespace talmo_bench {
namespace {

constexpr int32_t kSalesHeaderTable = 36;
constexpr int kCheckpoints = 10;

std::string MiB(int64_t kib) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(kib) / 1024.0);
  return text;
}

}  // namespace

void RunMemory(Context& context, int32_t orders, std::ostream& out) {
  const std::filesystem::path copy = context.environment.FreshCopy("memory");
  ClientDiagnostics client;
  int64_t firstHandles = -1;
  ProcessMemory first, last;
  out << "\nmemory run: " << orders << " orders, one per transaction\n"
      << "  orders   seconds   orders/s   RSS MiB   peak MiB   client handles\n";
  {
    TalmoConnection talmo(ConnectionIniIn(copy));
    talmo::clsIniFile demoIni(automation::FromUtf8(copy.string()), u"TalmoDemo");
    demoIni.SetFileName(u"TalmoDemo.ini");
    talmo_demo::DemoScenarios scenarios(talmo.database(), demoIni, [] {});
    {
      // The count must see the component's handles, or a count of 0 would prove nothing.
      const int64_t before = client.OpenHandles();
      TalmoTable items = talmo.AllocTable(27);
      Verify(client.OpenHandles() >= before + 2,
             "memory: the client's handle count does not see the component's tables");
    }
    Stopwatch watch;
    double lastSeconds = 0;
    int32_t lastDone = 0;
    for (int checkpoint = 1; checkpoint <= kCheckpoints; ++checkpoint) {
      const int32_t target = static_cast<int32_t>(int64_t{orders} * checkpoint / kCheckpoints);
      for (int32_t done = lastDone; done < target; ++done) {
        talmo.BeginWrite();
        scenarios.CreateSampleOrder();
        talmo.EndWrite();
      }
      const double seconds = watch.Seconds();
      const ProcessMemory memory = ReadProcessMemory();
      const int64_t handles = client.OpenHandles();
      if (firstHandles < 0) {
        firstHandles = handles;
        first = memory;
      }
      last = memory;
      char line[128];
      std::snprintf(line, sizeof line, "  %6d  %8.1f  %9.1f  %8s  %9s  %15lld\n", target, seconds,
                    (target - lastDone) / std::max(seconds - lastSeconds, 1e-9),
                    MiB(memory.residentKiB).c_str(), MiB(memory.peakKiB).c_str(),
                    static_cast<long long>(handles));
      out << line << std::flush;
      Verify(handles <= firstHandles, "memory: the client holds " + std::to_string(handles) +
                                          " handles after " + std::to_string(target) + " orders, " +
                                          std::to_string(firstHandles) + " after the first tenth");
      lastSeconds = seconds;
      lastDone = target;
    }
  }
  const ProcessMemory closed = ReadProcessMemory();
  const int64_t left = client.OpenHandles();
  out << "  resident memory from the first tenth to the last: " << MiB(first.residentKiB) << " -> "
      << MiB(last.residentKiB) << " MiB (peak " << MiB(last.peakKiB)
      << " MiB); after disconnecting: " << MiB(closed.residentKiB) << " MiB and " << left
      << " client handles\n";
  Verify(left == 0,
         "memory: " + std::to_string(left) + " client handles left after the connection closed");

  RawDatabase written(DatabaseIn(copy));
  Statement count(written,
                  "SELECT count(*) FROM " + written.Table(kSalesHeaderTable) + " WHERE f1=1");
  Verify(count.Step() && count.Integer(0) == orders, "memory: " + std::to_string(count.Integer(0)) +
                                                         " sales orders stored for " +
                                                         std::to_string(orders));
}

}  // namespace talmo_bench
