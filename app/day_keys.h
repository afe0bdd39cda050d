#pragma once
// The keys by which a day's chart finds its input files, names its output
// files and labels itself.

#include <chrono>
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
