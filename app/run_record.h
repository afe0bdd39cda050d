#pragma once
// What a run did, day by day, for the figures it gives to monitoring: the
// days exported and failed, and what each day drawn showed.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct DayRecord {
    std::chrono::year_month_day date;
    int soundings = 0;                  // dots and ticks drawn
    int without_value = 0;              // ticks alone
    std::optional<int> newest_minute;   // of the day, UT, of the latest sounding drawn
    bool forecast_drawn = false;        // its month's forecast file was read
    // The latest sounding drawn with a value above 0: its minute of the
    // day, UT, and its value in tenths of MHz.
    std::optional<int> newest_valued_minute;
    std::int16_t newest_value = 0;
    // The forecast drawn at each whole hour, in tenths of MHz; none without one.
    std::optional<std::array<std::int16_t, 24>> forecast;
    // The day against its forecast in words, for the feed; empty for none.
    std::string against_forecast;
    bool published = false;             // its chart published whole by this run
};

struct RunRecord {
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    std::chrono::sys_seconds written{};  // the run's clock, UTC, as its pages and feed give it
    std::string working_folder;  // as messages name it, in UTF-8
    std::vector<DayRecord> days;  // each day drawn
    int exported = 0;             // days whose export was whole
    int failed = 0;               // days whose export failed, or that could not be drawn

    // The latest sounding drawn on any day, by the time in its name; none
    // when no day drew one.
    std::optional<std::chrono::sys_seconds> newest_sounding() const {
        std::optional<std::chrono::sys_seconds> newest;
        for (const DayRecord& day : days) {
            if (!day.newest_minute) continue;
            const std::chrono::sys_seconds t = std::chrono::sys_days{day.date} + std::chrono::minutes{*day.newest_minute};
            if (!newest || t > *newest) newest = t;
        }
        return newest;
    }
};
