#pragma once
// The keys by which a day's chart finds its input files, names its output
// files and labels itself, and the few ways a date is written as text.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

struct DayKeys {
    std::string mese_anno;    // month then four-digit year: "032024"
    std::string giorno_anno;  // three-digit day of the year: "063"
    std::string data_giorno;  // "03/03/2024"
};

DayKeys day_keys(std::chrono::year_month_day date);

// The year of a month-year key: its characters 3 to 6 ("2024" of "032024").
std::string_view key_year(std::string_view mese_anno);

// `n` in decimal, with zeros put in front up to `digits` digits.
std::string zero_padded(int n, std::size_t digits);

// 1 for 1 January, up to 365, or 366 on 31 December of a leap year.
int day_of_year(std::chrono::year_month_day date);

// "2024-03-03"
std::string iso_date(std::chrono::year_month_day date);

// "March"
std::string_view month_name(std::chrono::month month);
// "Sunday"; weeks start on Monday.
std::string_view weekday_name(std::chrono::weekday day);
// "Sunday 3 March 2024"
std::string long_date(std::chrono::year_month_day date);
