#include "platform/clock.h"

#include <ctime>

namespace platform {

std::chrono::year_month_day today_local() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return std::chrono::year_month_day{std::chrono::year{local.tm_year + 1900},
                                       std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                                       std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
}

std::chrono::sys_seconds utc_now() {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
}

double unix_time_now() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<double>(now).count();
}

}  // namespace platform
