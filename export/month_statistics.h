#pragma once
// The month's figures, as a station's monthly bulletin gives them: for each
// hour UT the value that each day gave at that hour, then over the days of
// the month the count, the median, the quartiles and the deciles, set
// against the month's forecast in percent. Pure: values in, figures out.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "series/chart_data.h"

// A day's value at each whole hour, in tenths of MHz; none where it has none.
using DayHours = std::array<std::optional<std::int16_t>, 24>;

// The value of hour h: of the soundings within 7 minutes of h:00 UT (for
// hour 0, 00:00 to 00:07 of the same day; for hours 1 to 23, (h-1):53 to
// h:07), the nearest, the earlier of two equally near. Where that sounding
// has no value, or a value of 0.0 or less, the hour has none: another
// sounding does not stand in for it.
DayHours hourly_values(std::span<const ObservedValue> soundings);

// An hour of the month. The five statistics are values of the hour, taken by
// rank from the n values sorted from the lowest, where n is 5 or more: the
// median is the value of rank ceil(n/2) (the lower of the two middle ones
// for an even n); the lower quartile and decile the values of rank ceil(n/4)
// and ceil(n/10) from the lowest, the upper ones the same ranks from the
// highest.
struct HourStatistics {
    int count = 0;  // days with a value at the hour
    std::optional<std::int16_t> median, lower_quartile, upper_quartile, lower_decile, upper_decile;
};

// The fewest values of an hour that give it its statistics.
inline constexpr int fewest_for_statistics = 5;

// The statistics of each hour over `days` (a day without values may be
// left out or given as an empty DayHours: it counts nowhere).
std::array<HourStatistics, 24> month_statistics(std::span<const DayHours> days);

// n / d rounded to the nearest whole number, ties to even; d > 0.
long round_half_even(long n, long d);

// 100 x (median - forecast) / forecast in tenths of a percent, rounded to
// the nearest, ties to even; none for a forecast of 0.
std::optional<long> percent_of_forecast(std::int16_t median, std::int16_t forecast);

// The mean of `tenths`, in tenths, rounded to the nearest, ties to even;
// none for no values.
std::optional<long> mean_tenths(std::span<const long> tenths);
