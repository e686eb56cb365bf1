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
