#include "export/chart_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "app/day_keys.h"

namespace {

using namespace std::chrono;

TEST(ArchivedChartName, ReadsTheDayOfAChartName) {
    const struct {
        const char* name;
        year_month_day day;
    } cases[] = {
        {"2024063.gif", 2024y / March / 3},    {"2024001.gif", 2024y / January / 1},
        {"2024060.gif", 2024y / February / 29}, {"2023060.gif", 2023y / March / 1},
        {"2024366.gif", 2024y / December / 31}, {"2023365.gif", 2023y / December / 31},
        {"2000366.gif", 2000y / December / 31}, {"0987001.gif", 987y / January / 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(archived_chart_day(c.name), c.day);
        EXPECT_EQ(archived_chart_name(c.day), c.name);
    }
    // A run names it from the day's keys: the year of the month-year key
    // and the day of the year.
    EXPECT_EQ(archived_chart_name("032024", "063"), "2024063.gif");
    EXPECT_EQ(archived_chart_name("122024", "366"), "2024366.gif");
}

TEST(ArchivedChartName, RejectsEveryOtherName) {
    const std::string_view cases[] = {
        "2024400.gif",  "2023366.gif",     "2024000.gif",      "2024063.gif.tmp", "<script>.gif",  "2024063.GIF",
        "12024063.gif", "2024367.gif",     "1900366.gif",      "2100366.gif",     "9999999.gif",   "",
        ".gif",         "2024063",         "2024063.gi",       "2024063.gif ",    " 2024063.gif",  "024063.gif",
        "2024-63.gif",  "202406 .gif",     "+024063.gif",      "-024063.gif",     "2024063.jpg",   "2024063_gif",
        "2024063.Gif",  "202406a.gif",     "2024063/.gif",     "../2024063.gif",  "2024063.gif/",
        "\xef\xbc\x92\xef\xbc\x90\xef\xbc\x92\xef\xbc\x94" "063.gif",  // full-width digits
        std::string_view("2024063.gif\0", 12), std::string_view("2024\0" "63.gif", 11),
    };
    for (const std::string_view name : cases) {
        SCOPED_TRACE(std::string(name));
        EXPECT_EQ(archived_chart_day(name), std::nullopt);
    }
}

TEST(ArchivedChartName, EveryDayOfAYearRoundTripsThroughItsName) {
    for (const int y : {0, 1900, 2000, 2023, 2024, 2100, 9999}) {
        int day_of_year = 1;
        for (sys_days day = sys_days{year{y} / January / 1}; day <= sys_days{year{y} / December / 31};
             ++day, ++day_of_year) {
            char expected[32];
            std::snprintf(expected, sizeof expected, "%04d%03d.gif", y, day_of_year);
            SCOPED_TRACE(expected);
            ASSERT_EQ(archived_chart_name(year_month_day{day}), expected);
            ASSERT_EQ(archived_chart_day(expected), year_month_day{day});
            // A run's day keys name the same file.
            const DayKeys keys = day_keys(year_month_day{day});
            ASSERT_EQ(archived_chart_name(keys.mese_anno, keys.giorno_anno), expected);
        }
        // The number after the year's last day names no day.
        char beyond[32];
        std::snprintf(beyond, sizeof beyond, "%04d%03d.gif", y, day_of_year);
        EXPECT_EQ(archived_chart_day(beyond), std::nullopt) << beyond;
    }
}

TEST(PublishedChartName, IsPlotMufAndTheDaysIndex) {
    EXPECT_EQ(published_chart_name(1), "plotMUF1.gif");
    EXPECT_EQ(published_chart_name(6), "plotMUF6.gif");
}

}  // namespace
