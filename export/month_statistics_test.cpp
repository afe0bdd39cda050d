#include "export/month_statistics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using V = std::optional<std::int16_t>;

// Days giving the hour 0 the values `values` (tenths of MHz).
std::vector<DayHours> days_of(const std::vector<int>& values) {
    std::vector<DayHours> days(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) days[i][0] = static_cast<std::int16_t>(values[i]);
    return days;
}

TEST(MonthStatistics, ByRankAsBulletinsGiveThem) {
    const struct {
        const char* what;
        std::vector<int> values;  // in any order
        int count;
        V median, lower_quartile, upper_quartile, lower_decile, upper_decile;
    } cases[] = {
        {"no values", {}, 0, {}, {}, {}, {}, {}},
        {"four values: a count, nothing else", {70, 60, 80, 50}, 4, {}, {}, {}, {}, {}},
        {"five: the median is the 3rd, quartiles the 2nd from each end, deciles the ends", {90, 50, 70, 60, 80}, 5, 70, 60,
         80, 50, 90},
        {"six: the lower of the two middle values", {67, 68, 61, 62, 73, 74}, 6, 67, 62, 73, 61, 74},
        {"seven", {1, 2, 3, 4, 5, 6, 7}, 7, 4, 2, 6, 1, 7},
        {"eleven: deciles of rank 2", {11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, 11, 6, 3, 9, 2, 10},
        {"equal values", {55, 55, 55, 55, 55, 55}, 6, 55, 55, 55, 55, 55},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto hours = month_statistics(days_of(c.values));
        const HourStatistics& h = hours[0];
        EXPECT_EQ(h.count, c.count);
        EXPECT_EQ(h.median, c.median);
        EXPECT_EQ(h.lower_quartile, c.lower_quartile);
        EXPECT_EQ(h.upper_quartile, c.upper_quartile);
        EXPECT_EQ(h.lower_decile, c.lower_decile);
        EXPECT_EQ(h.upper_decile, c.upper_decile);
        EXPECT_EQ(hours[1].count, 0) << "the other hours have no values";
    }
}

TEST(MonthStatistics, EachHourIsItsOwn) {
    std::vector<DayHours> days(6);
    for (int d = 0; d < 6; ++d) {
        days[d][5] = static_cast<std::int16_t>(100 + d);
        if (d < 4) days[d][23] = 90;
    }
    const auto hours = month_statistics(days);
    EXPECT_EQ(hours[5].count, 6);
    EXPECT_EQ(hours[5].median, 102);
    EXPECT_EQ(hours[23].count, 4);
    EXPECT_EQ(hours[23].median, std::nullopt);
}

TEST(MonthStatistics, TheHourFromTheSoundingNearestToIt) {
    const struct {
        const char* what;
        std::vector<ObservedValue> soundings;
        int hour;
        V value;
    } cases[] = {
        {"on the hour", {{600, 123}}, 10, 123},
        {"nearer wins", {{595, 100}, {603, 110}, {606, 120}}, 10, 110},
        {"of two equally near, the earlier", {{604, 110}, {596, 100}}, 10, 100},
        {"7 minutes before and after are in", {{593, 100}}, 10, 100},
        {"7 minutes after", {{607, 100}}, 10, 100},
        {"8 minutes off is out", {{592, 100}, {608, 100}}, 10, std::nullopt},
        {"the nearest without value: no value", {{600, std::nullopt}, {605, 100}}, 10, std::nullopt},
        {"the nearest at 0.0: no value", {{601, 0}, {605, 100}}, 10, std::nullopt},
        {"the nearest below 0: no value", {{601, -5}, {595, 100}}, 10, std::nullopt},
        {"hour 0 from 00:00 to 00:07 of the day", {{1435, 100}, {7, 90}}, 0, 90},
        {"not from the day's last minutes", {{1435, 100}}, 0, std::nullopt},
        {"hour 23 from 22:53", {{1373, 77}}, 23, 77},
        {"the same minute twice: the first", {{600, 80}, {600, 90}}, 10, 80},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const DayHours hours = hourly_values(c.soundings);
        EXPECT_EQ(hours[c.hour], c.value);
        int others = 0;
        for (int h = 0; h < 24; ++h) others += h != c.hour && hours[h].has_value();
        EXPECT_EQ(others, 0);
    }
}

TEST(MonthStatistics, PercentOfTheForecastRoundedTiesToEven) {
    const struct {
        int median, forecast;
        std::optional<long> tenths_of_percent;
    } cases[] = {
        {148, 142, 42},     // 4.225 %
        {142, 142, 0},      // never -0.0
        {100, 80, 250},     // 25 % exactly
        {60, 80, -250},     // -25 %
        {201, 160, 256},    // 25.625 %
        {1, 8, -875},       // -87.5 %
        {101, 200, -495},   // -49.5 %, exact
        {10005, 10000, 0},  // 0.05 %: a tie, to even
        {10015, 10000, 2},  // 0.15 %
        {50, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.median) + " against " + std::to_string(c.forecast));
        EXPECT_EQ(percent_of_forecast(static_cast<std::int16_t>(c.median), static_cast<std::int16_t>(c.forecast)),
                  c.tenths_of_percent);
    }
    // Ties: 100 x 1 / 16 = 6.25 % gives 6.2, 100 x 3 / 16 = 18.75 % gives 18.8.
    EXPECT_EQ(percent_of_forecast(17, 16), 62);
    EXPECT_EQ(percent_of_forecast(19, 16), 188);
    EXPECT_EQ(percent_of_forecast(15, 16), -62);
    EXPECT_EQ(percent_of_forecast(13, 16), -188);
    // The mean of the hours' figures likewise.
    EXPECT_EQ(mean_tenths(std::vector<long>{1, 2}), 2);  // 1.5 to 2
    EXPECT_EQ(mean_tenths(std::vector<long>{1, 4}), 2);  // 2.5 to 2
    EXPECT_EQ(mean_tenths(std::vector<long>{-1, -4}), -2);
    EXPECT_EQ(mean_tenths(std::vector<long>{}), std::nullopt);
}

}  // namespace
