#pragma once
// What one day's chart shows, point by point, as the series drew it: the
// numbers behind the pixels, for the files written beside a chart (its
// data, its vector picture) and for the run's figures.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ChartPoint {
    enum class Series : std::uint8_t { forecast, observed };
    Series series = Series::observed;
    int minute = 0;                      // of the day, UT: the slot's hour and minute (0 to 1439)
    std::optional<std::int16_t> tenths;  // the value as drawn, in tenths of MHz; none for a sounding without value
    std::string file;                    // the file it was read from, without folder; for the CSV only
    std::size_t operation = 0;           // the surface's drawing operation that drew its dot or tick
};

// One sounding of a day as its chart shows it, without its file: its
// minute of the day, UT, and its value in tenths of MHz (none for a
// sounding without value). What an archived day gives its month.
struct ObservedValue {
    int minute = 0;
    std::optional<std::int16_t> tenths;
};

struct ChartData {
    std::vector<ChartPoint> points;  // in the order they were drawn
    // The month's forecast file was read and its curve drawn.
    bool forecast_drawn = false;
};
