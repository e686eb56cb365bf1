// The current local date and time as an automation date (days since 1899-12-30, the
// fraction being the time of day).
#pragma once

#include <functional>

namespace talmo_demo {

// Now, to the millisecond, in the local time zone.
double NowDateSerial();

// A source of "now"; tests hand in their own.
using Clock = std::function<double()>;

}  // namespace talmo_demo
