#pragma once

#include <chrono>

namespace platform {

// Today's local calendar date, as the system clock and time zone give it.
std::chrono::year_month_day today_local();

// Now, UTC, to the second (the second begun).
std::chrono::sys_seconds utc_now();

// Now, as Unix time in seconds.
double unix_time_now();

}  // namespace platform
