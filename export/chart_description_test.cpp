#include "export/chart_description.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono;

TEST(ChartDescription, SaysWhatTheChartShows) {
    const auto observed = ChartPoint::Series::observed, forecast = ChartPoint::Series::forecast;
    const struct {
        const char* what;
        std::vector<ChartPoint> points;
        const char* sentence;
    } cases[] = {
        {"a day of both",
         {{forecast, 0, 52, "f", 0}, {forecast, 60, 146, "f", 0}, {observed, 10, 41, "s", 0}, {observed, 20, 153, "s", 0},
          {observed, 30, std::nullopt, "s", 0}},
         "MUF(3000)F2 on Sunday 3 March 2024: 3 soundings, 1 without a value; observed 4.1 to 15.3 MHz; "
         "forecast 5.2 to 14.6 MHz"},
        {"nothing", {}, "MUF(3000)F2 on Sunday 3 March 2024: no soundings; no forecast"},
        {"one sounding, the forecast flat",
         {{forecast, 0, 70, "f", 0}, {forecast, 60, 70, "f", 0}, {observed, 10, 90, "s", 0}},
         "MUF(3000)F2 on Sunday 3 March 2024: 1 sounding, none without a value; observed 9.0 MHz; forecast 7.0 MHz"},
        {"ticks alone",
         {{observed, 10, std::nullopt, "s", 0}, {observed, 20, std::nullopt, "s", 0}},
         "MUF(3000)F2 on Sunday 3 March 2024: 2 soundings, 2 without a value; no forecast"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ChartData data;
        data.points = c.points;
        EXPECT_EQ(chart_description(data, 2024y / March / 3), c.sentence);
    }
}

}  // namespace
