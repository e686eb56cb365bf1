#include "clock.h"

#include <chrono>
#include <ctime>

namespace talmo_demo {
namespace {

constexpr double kSecondsPerDay = 86400.0;
// Days from 1899-12-30 (the automation date epoch) to 1970-01-01.
constexpr double kUnixEpochSerial = 25569.0;

}  // namespace

double NowDateSerial() {
  using std::chrono::duration_cast;
  using std::chrono::milliseconds;
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const double unixMillis =
      static_cast<double>(duration_cast<milliseconds>(now.time_since_epoch()).count());
  const double localSeconds = unixMillis / 1000.0 + static_cast<double>(local.tm_gmtoff);
  return kUnixEpochSerial + localSeconds / kSecondsPerDay;
}

}  // namespace talmo_demo
