// The few ways a date is written as text.

#include "app/date_text.h"

std::string zero_padded(int n, std::size_t digits) {
    std::string text = std::to_string(n);
    if (text.size() < digits) text.insert(0, digits - text.size(), '0');
    return text;
}

int day_of_year(std::chrono::year_month_day date) {
    using namespace std::chrono;
    return static_cast<int>((sys_days{date} - sys_days{date.year() / January / 1}).count()) + 1;
}

std::string iso_date(std::chrono::year_month_day date) {
    return zero_padded(static_cast<int>(date.year()), 4) + "-" +
           zero_padded(static_cast<int>(static_cast<unsigned>(date.month())), 2) + "-" +
           zero_padded(static_cast<int>(static_cast<unsigned>(date.day())), 2);
}

std::string_view month_name(std::chrono::month month) {
    static constexpr std::string_view names[] = {"January", "February", "March",     "April",   "May",      "June",
                                                 "July",    "August",   "September", "October", "November", "December"};
    return names[(static_cast<unsigned>(month) + 11) % 12];
}

std::string_view weekday_name(std::chrono::weekday day) {
    static constexpr std::string_view names[] = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                                 "Friday", "Saturday", "Sunday"};
    return names[(day.iso_encoding() + 6) % 7];
}

std::string long_date(std::chrono::year_month_day date) {
    return std::string(weekday_name(std::chrono::weekday{std::chrono::sys_days{date}})) + " " +
           std::to_string(static_cast<unsigned>(date.day())) + " " + std::string(month_name(date.month())) + " " +
           std::to_string(static_cast<int>(date.year()));
}
