#pragma once
// What a run did, day by day, for the figures it gives to monitoring: the
// days exported and failed, and what each day drawn showed.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct DayRecord {
    std::chrono::year_month_day date;
    int soundings = 0;                  // dots and ticks drawn
    int without_value = 0;              // ticks alone
    std::optional<int> newest_minute;   // of the day, UT, of the latest sounding drawn
    bool forecast_drawn = false;        // its month's forecast file was read
};

struct RunRecord {
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    std::string working_folder;  // as messages name it, in UTF-8
    std::vector<DayRecord> days;  // each day drawn
    int exported = 0;             // days whose export was whole
    int failed = 0;               // days whose export failed, or that could not be drawn
};
