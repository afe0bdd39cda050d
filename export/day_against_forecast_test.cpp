#include "export/day_against_forecast.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// A day with the values `values` (hour: tenths of MHz) and nothing at the
// other hours.
DayHours day_of(const std::map<int, int>& values) {
    DayHours hours;
    for (const auto& [h, v] : values) hours[h] = static_cast<std::int16_t>(v);
    return hours;
}

HourForecast flat(int tenths) {
    HourForecast forecast;
    forecast.fill(static_cast<std::int16_t>(tenths));
    return forecast;
}

TEST(AgainstForecast, WordsOfCraftedDays) {
    const struct {
        const char* what;
        std::map<int, int> values;
        std::optional<HourForecast> forecast;
        std::string words;
    } cases[] = {
        {"no forecast", {{10, 50}, {11, 50}, {12, 50}}, std::nullopt, ""},
        {"no value at any hour", {}, flat(100), ""},
        {"one hour near", {{5, 100}}, flat(100), "near the forecast"},
        {"one spell, its least and greatest departure", {{9, 100}, {10, 82}, {11, 69}, {12, 75}, {13, 80}, {14, 70}, {15, 95}},
         flat(100), "depressed 18 to 31 % from 10 to 14 UT"},
        {"one departure, written once", {{3, 120}, {4, 120}, {5, 120}}, flat(100), "enhanced 20 % from 03 to 05 UT"},
        {"two spells, in time order",
         {{2, 80}, {3, 80}, {4, 80}, {5, 100}, {19, 130}, {20, 140}, {21, 125}, {22, 80}},
         flat(100), "depressed 20 % from 02 to 04 UT; enhanced 25 to 40 % from 19 to 21 UT"},
        {"a spell broken by a missing hour", {{10, 70}, {11, 70}, {13, 70}, {14, 70}}, flat(100), "near the forecast"},
        {"a sounding without value is a missing hour too", {{10, 70}, {11, 70}, {12, 0}, {13, 70}}, flat(100),
         "near the forecast"},
        {"two hours only", {{22, 60}, {23, 60}}, flat(100), "near the forecast"},
        {"depressed then enhanced is no spell", {{6, 70}, {7, 70}, {8, 130}}, flat(100), "near the forecast"},
        {"exactly -15 % departs", {{6, 85}, {7, 85}, {8, 85}}, flat(100), "depressed 15 % from 06 to 08 UT"},
        {"exactly +15 % departs", {{0, 115}, {1, 115}, {2, 115}, {3, 100}}, flat(100), "enhanced 15 % from 00 to 02 UT"},
        // 100 x (86 - 101) / 101 = -14.85: rounds to 15 %, but is less.
        {"compared before rounding", {{6, 86}, {7, 86}, {8, 86}}, flat(101), "near the forecast"},
        // 15.5, 16.5 and 18.5 % below a forecast of 20.0 MHz.
        {"ties to even", {{6, 169}, {7, 167}, {8, 163}}, flat(200), "depressed 16 to 18 % from 06 to 08 UT"},
        {"the last hours of the day", {{21, 50}, {22, 50}, {23, 50}}, flat(100), "depressed 50 % from 21 to 23 UT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(against_forecast(day_of(c.values), c.forecast), c.words);
    }
}

TEST(AgainstForecast, AnHourWhoseForecastIsNotAbove0HasNoDeparture) {
    HourForecast forecast = flat(100);
    forecast[11] = 0;
    EXPECT_EQ(against_forecast(day_of({{10, 70}, {11, 70}, {12, 70}}), forecast), "near the forecast");
    forecast.fill(0);
    EXPECT_EQ(against_forecast(day_of({{10, 70}, {11, 70}, {12, 70}}), forecast), "");
}

TEST(AgainstForecast, AChartsSoundingsByTheHourlyRule) {
    ChartData data;
    data.forecast_drawn = true;
    for (int h = 0; h < 24; ++h)
        data.points.push_back({.series = ChartPoint::Series::forecast, .minute = 60 * h, .tenths = std::int16_t{100}, .file = "", .operation = 0});
    // 10:00 is taken over 10:05; 11:53 stands for 12:00; 13:08 is too far.
    const auto observed = [&](int minute, std::optional<std::int16_t> v) {
        data.points.push_back({.series = ChartPoint::Series::observed, .minute = minute, .tenths = v, .file = "", .operation = 0});
    };
    observed(9 * 60, 70);
    observed(10 * 60 + 5, 100);
    observed(10 * 60, 70);
    observed(11 * 60, 70);
    observed(11 * 60 + 53, 70);
    EXPECT_EQ(against_forecast(data), "depressed 30 % from 09 to 12 UT");
    observed(13 * 60 + 8, 70);
    EXPECT_EQ(against_forecast(data), "depressed 30 % from 09 to 12 UT");
    data.forecast_drawn = false;
    EXPECT_EQ(against_forecast(data), "");
}

}  // namespace
