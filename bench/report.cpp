#include "report.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace talmo_bench {
namespace {

std::string Format(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

std::string Pad(std::string text, size_t width, bool right) {
  if (text.size() >= width) return text;
  const std::string fill(width - text.size(), ' ');
  return right ? fill + text : text + fill;
}

}  // namespace

void Measurement::SetClientCalls(const CallCounts& before, const CallCounts& after,
                                 int64_t operations) {
  const double per = operations > 0 ? 1.0 / static_cast<double>(operations) : 0;
  clientCallsPerOperation = 0;
  callsByMember.clear();
  for (size_t member = 0; member < after.size(); ++member) {
    const uint64_t calls = after[member] - before[member];
    if (calls == 0) continue;
    clientCallsPerOperation += static_cast<double>(calls) * per;
    callsByMember.emplace_back(static_cast<int32_t>(member), static_cast<double>(calls) * per);
  }
  std::stable_sort(callsByMember.begin(), callsByMember.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
}

void PrintCallProfile(std::ostream& out, const std::vector<Measurement>& rows) {
  out << "\nDbClient calls per operation of the Talmo side, by member number:\n";
  for (const Measurement& row : rows) {
    out << "  " << row.name << ":";
    for (const auto& [member, calls] : row.callsByMember) {
      out << " " << member << "=" << Format(calls >= 10 ? "%.0f" : "%.1f", calls);
    }
    out << "\n";
  }
}

void PrintTable(std::ostream& out, const std::vector<Measurement>& rows) {
  size_t nameWidth = 8;
  for (const Measurement& row : rows) nameWidth = std::max(nameWidth, row.name.size());
  out << Pad("workload", nameWidth, false) << "  " << Pad("ops", 8, true) << "  "
      << Pad("Talmo ops/s", 12, true) << "  " << Pad("raw ops/s", 12, true) << "  "
      << Pad("Talmo/raw", 9, true) << "  " << Pad("calls/op", 8, true) << "  note\n";
  out << std::string(nameWidth + 63, '-') << "\n";
  for (const Measurement& row : rows) {
    const double ratio = row.raw.Rate() > 0 ? row.talmo.Rate() / row.raw.Rate() : 0;
    out << Pad(row.name, nameWidth, false) << "  "
        << Pad(std::to_string(row.talmo.operations), 8, true) << "  "
        << Pad(Format("%.0f", row.talmo.Rate()), 12, true) << "  "
        << Pad(Format("%.0f", row.raw.Rate()), 12, true) << "  "
        << Pad(Format("%.1f %%", ratio * 100), 9, true) << "  "
        << Pad(Format("%.1f", row.clientCallsPerOperation), 8, true) << "  " << row.note << "\n";
  }
}

}  // namespace talmo_bench
