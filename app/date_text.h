#pragma once
// The few ways a date is written as text.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

// `n` in decimal, with zeros put in front up to `digits` digits.
std::string zero_padded(int n, std::size_t digits);

// 1 for 1 January, up to 365, or 366 on 31 December of a leap year.
int day_of_year(std::chrono::year_month_day date);

// "2024-03-03"
std::string iso_date(std::chrono::year_month_day date);
// "2024-03"
std::string iso_month(std::chrono::year_month month);
// "03/2024"
std::string month_slash_year(std::chrono::year_month month);

// The first of the six days that end on `last`: the days a run draws.
std::chrono::year_month_day first_of_six_days(std::chrono::year_month_day last);

// "March"
std::string_view month_name(std::chrono::month month);
// "Sunday"; weeks start on Monday.
std::string_view weekday_name(std::chrono::weekday day);
// "Sun"
std::string_view short_weekday_name(std::chrono::weekday day);
// "March 2024"
std::string month_year(std::chrono::year_month month);
// "3 March 2024"
std::string day_month_year(std::chrono::year_month_day date);
// "Sunday 3 March 2024"
std::string long_date(std::chrono::year_month_day date);
// "Sun 3 March 2024"
std::string short_weekday_date(std::chrono::year_month_day date);

// A moment, UTC, to the minute: "2024-03-03 23:45".
std::string date_and_minute(std::chrono::sys_seconds time);
// The same to the second in RFC 3339: "2024-03-03T23:45:00Z".
std::string rfc3339_time(std::chrono::sys_seconds time);
