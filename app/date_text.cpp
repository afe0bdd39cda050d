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

namespace {

std::string two_digits(unsigned n) { return zero_padded(static_cast<int>(n), 2); }
std::string four_digit_year(std::chrono::year year) { return zero_padded(static_cast<int>(year), 4); }

}  // namespace

std::string iso_date(std::chrono::year_month_day date) {
    return iso_month(date.year() / date.month()) + "-" + two_digits(static_cast<unsigned>(date.day()));
}

std::string iso_month(std::chrono::year_month month) {
    return four_digit_year(month.year()) + "-" + two_digits(static_cast<unsigned>(month.month()));
}

std::string month_slash_year(std::chrono::year_month month) {
    return two_digits(static_cast<unsigned>(month.month())) + "/" + four_digit_year(month.year());
}

std::chrono::year_month_day first_of_six_days(std::chrono::year_month_day last) {
    return std::chrono::year_month_day{std::chrono::sys_days{last} - std::chrono::days{5}};
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

std::string_view short_weekday_name(std::chrono::weekday day) { return weekday_name(day).substr(0, 3); }

std::string month_year(std::chrono::year_month month) {
    return std::string(month_name(month.month())) + " " + std::to_string(static_cast<int>(month.year()));
}

std::string day_month_year(std::chrono::year_month_day date) {
    return std::to_string(static_cast<unsigned>(date.day())) + " " + month_year(date.year() / date.month());
}

std::string long_date(std::chrono::year_month_day date) {
    return std::string(weekday_name(std::chrono::weekday{std::chrono::sys_days{date}})) + " " + day_month_year(date);
}

std::string short_weekday_date(std::chrono::year_month_day date) {
    return std::string(short_weekday_name(std::chrono::weekday{std::chrono::sys_days{date}})) + " " + day_month_year(date);
}

namespace {

// "2024-03-03", then `between` and "23:45".
std::string date_then_minute(std::chrono::sys_seconds time, char between) {
    using namespace std::chrono;
    const sys_days day = floor<days>(time);
    const hh_mm_ss clock{time - day};
    return iso_date(year_month_day{day}) + between + zero_padded(static_cast<int>(clock.hours().count()), 2) + ":" +
           zero_padded(static_cast<int>(clock.minutes().count()), 2);
}

}  // namespace

std::string date_and_minute(std::chrono::sys_seconds time) { return date_then_minute(time, ' '); }

std::string rfc3339_time(std::chrono::sys_seconds time) {
    using namespace std::chrono;
    const auto seconds_into = (time - floor<minutes>(time)).count();
    return date_then_minute(time, 'T') + ":" + zero_padded(static_cast<int>(seconds_into), 2) + "Z";
}
