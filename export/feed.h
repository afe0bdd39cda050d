#pragma once
// latest.json, the feed for dashboards: one JSON object (UTF-8, LF line
// ends) with the station's newest value, its time, the forecast at that
// time and the departure from it, the last day against its forecast in
// words, and the charts published. Pure text: the caller gathers the
// figures and writes the file. Its JSON Schema is docs/latest.schema.json.
//
//   {
//     "station": {"name": "Rome", "code": "RO041"},
//     "cs": -1,
//     "time": "2024-03-03T23:45:00Z",
//     "mufd": 9.8,
//     ...

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/day_against_forecast.h"

inline constexpr std::string_view feed_name = "latest.json";

struct FeedFigures {
    std::string station_name, station_code;  // empty for none (null)
    // The newest sounding of the days drawn with a value above 0, its value
    // in tenths of MHz, and the forecast of its day; none without one.
    std::optional<std::chrono::sys_seconds> time;
    std::int16_t mufd = 0;
    std::optional<HourForecast> forecast;
    std::string today;  // the last day drawn against its forecast; empty for none
    // The newest sounding of the days drawn, with a value or not.
    std::optional<std::chrono::sys_seconds> newest_sounding;
    int soundings_today = 0, without_value_today = 0;  // of the last day drawn
    std::chrono::sys_seconds written{};                 // the run's clock
    std::vector<std::string> charts;                    // published, relative to the feed
    std::string generator;                              // "plotmuf 1.0.0"
};

std::string feed_json(const FeedFigures& figures);

// The forecast at `minute` of the day (0 to 1439) along the chart's white
// line, straight between the whole hours and hour 23's value after 23:00,
// in tenths of MHz rounded to the nearest, ties to even.
std::int16_t forecast_at(const HourForecast& forecast, int minute);

// `text` as a JSON string, quotes included: besides what JSON must escape,
// < > & ' and the line and paragraph separators as \u escapes, so that the
// text is safe inside a page too.
void append_json_string(std::string& out, std::string_view text);
