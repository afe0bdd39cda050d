#pragma once
// A day against its month's forecast, in words, as space-weather services
// word it: each whole hour's value (the month's hourly rule) against the
// forecast of that hour, and the spells of three hours or more that stay
// 15 % or more below it (depressed) or above it (enhanced). Pure.
//
//   near the forecast
//   depressed 18 to 31 % from 10 to 14 UT; enhanced 20 % from 19 to 21 UT

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "export/month_statistics.h"
#include "series/chart_data.h"

// The forecast of each hour UT, in tenths of MHz, as the chart draws it.
using HourForecast = std::array<std::int16_t, 24>;

// Three hours or more in a row, within the day, each with a departure of
// 15 % or more the same way; an hour without a departure ends one.
struct Spell {
    bool enhanced = false;  // above the forecast; else depressed, below it
    int first_hour = 0, last_hour = 0;
    // The least and the greatest departure of its hours, in whole percent
    // (rounded to the nearest, ties to even), as magnitudes.
    long least_percent = 0, greatest_percent = 0;
};

// The shortest spell, in hours, and the least departure of its hours, in
// percent.
inline constexpr int fewest_spell_hours = 3;
inline constexpr int spell_percent = 15;

// The spells of the day, in time order. An hour departs only where it has
// a value and its forecast is above 0.
std::vector<Spell> spells(const DayHours& hours, const HourForecast& forecast);

// The day's words: "near the forecast" when some hour has a departure and
// no spell is found, else each spell's, in time order, joined by "; ";
// empty when no hour has a departure (no forecast, no value at any hour).
std::string against_forecast(const DayHours& hours, const std::optional<HourForecast>& forecast);

// The same for a chart's data: its soundings' hourly values against the
// forecast it drew, if it drew one.
std::string against_forecast(const ChartData& data);

// The words of a day that is near its forecast.
inline constexpr std::string_view near_forecast = "near the forecast";
