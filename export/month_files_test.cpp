#include "export/month_files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::chrono;

// February 2024 with hour 13 given on `n` days (value 140 + day) and hour 0
// on day 2 only; the forecast 142 at hour 13, 50 elsewhere.
MonthData february(int n, bool forecast = true) {
    MonthData data;
    data.month = 2024y / February;
    data.days.resize(29);
    for (int d = 0; d < n; ++d) data.days[d][13] = static_cast<std::int16_t>(140 + d);
    data.days[1][0] = 61;
    if (forecast) {
        std::array<std::int16_t, 24> f;
        f.fill(50);
        f[13] = 142;
        data.forecast = f;
    }
    return data;
}

TEST(MonthFiles, TablesAsBulletinsPrintThem) {
    const MonthData data = february(6);
    const MonthFigures figures = month_figures(data);
    EXPECT_EQ(figures.days_with_values, 6);

    const std::string hourly = month_hourly_csv(data);
    EXPECT_TRUE(hourly.starts_with("date,00,01,02,03,04,05,06,07,08,09,10,11,12,13,14,15,16,17,18,19,20,21,22,23\r\n"
                                   "2024-02-01,,,,,,,,,,,,,,14.0,,,,,,,,,,\r\n"
                                   "2024-02-02,6.1,,,,,,,,,,,,,14.1,,,,,,,,,,\r\n"))
        << hourly;
    EXPECT_TRUE(hourly.ends_with("\r\n2024-02-29,,,,,,,,,,,,,,,,,,,,,,,,\r\n")) << hourly;

    const std::string summary = month_summary_csv(data, figures);
    EXPECT_TRUE(summary.starts_with("hour_utc,count,median_mhz,lower_quartile_mhz,upper_quartile_mhz,lower_decile_mhz,"
                                    "upper_decile_mhz,forecast_mhz,median_minus_forecast_percent\r\n"
                                    "00,1,,,,,,5.0,\r\n01,0,,,,,,5.0,\r\n"))
        << summary;
    // 14.0 to 14.5: the median 14.2 (the lower middle one), 0.0 % of 14.2.
    EXPECT_NE(summary.find("\r\n13,6,14.2,14.1,14.4,14.0,14.5,14.2,0.0\r\n"), std::string::npos) << summary;
    EXPECT_TRUE(summary.ends_with("\r\n23,0,,,,,,5.0,\r\n"));

    // Read back, they give the same month.
    const auto days = read_month_hourly_csv(hourly, data.month);
    ASSERT_TRUE(days);
    EXPECT_EQ(*days, data.days);
    const auto forecast = read_month_forecast(summary);
    ASSERT_TRUE(forecast);
    EXPECT_EQ(*forecast, data.forecast);
    EXPECT_FALSE(read_month_hourly_csv(hourly, 2024y / March)) << "another month's days";
    EXPECT_FALSE(read_month_hourly_csv(hourly.substr(0, hourly.size() - 2), data.month));
    EXPECT_FALSE(read_month_forecast(summary.substr(0, 300)));

    // Without a forecast, its column is empty.
    const MonthData unforecast = february(6, false);
    const std::string without = month_summary_csv(unforecast, month_figures(unforecast));
    EXPECT_NE(without.find("\r\n13,6,14.2,14.1,14.4,14.0,14.5,,\r\n"), std::string::npos) << without;
    const auto none = read_month_forecast(without);
    ASSERT_TRUE(none);
    EXPECT_FALSE(*none);
}

TEST(MonthFiles, DescribeTheMonthInWords) {
    const struct {
        const char* what;
        MonthData data;
        const char* sentence;
    } cases[] = {
        {"medians against the forecast", february(8),
         "MUF(3000)F2 in February 2024: hourly medians of 8 days, 14.3 MHz; on average 0.7 % above the forecast"},
        {"below it", [] { auto d = february(5); (*d.forecast)[13] = 150; return d; }(),
         "MUF(3000)F2 in February 2024: hourly medians of 5 days, 14.2 MHz; on average 5.3 % below the forecast"},
        {"as forecast", february(6), "MUF(3000)F2 in February 2024: hourly medians of 6 days, 14.2 MHz; on average as forecast"},
        {"too few days", february(4), "MUF(3000)F2 in February 2024: values of 4 days, too few for hourly medians"},
        {"no forecast", february(5, false), "MUF(3000)F2 in February 2024: hourly medians of 5 days, 14.2 MHz; no forecast"},
        {"nothing", [] { MonthData d; d.month = 2024y / March; d.days.resize(31); return d; }(),
         "MUF(3000)F2 in March 2024: no values; no forecast"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(month_description(c.data, month_figures(c.data)), c.sentence);
    }
    // 6.6 MHz at 5 UT is 32.0 % above 5.0, 14.4 at 13 UT 1.4 % above 14.2:
    // on average 16.7 %.
    MonthData spread = february(9);
    for (int d = 0; d < 9; ++d) spread.days[d][5] = static_cast<std::int16_t>(62 + d);
    EXPECT_EQ(month_description(spread, month_figures(spread)),
              "MUF(3000)F2 in February 2024: hourly medians of 9 days, 6.6 to 14.4 MHz; on average 16.7 % above "
              "the forecast");

    // Days 2, 4 and 7 depart for three hours (4.0 MHz against 5.0 at 5 UT,
    // and the forecast there at 4 and 6 UT too); day 3 for two only, day 5
    // has a spell broken by a missing hour.
    MonthData away = february(9);
    (*away.forecast)[4] = (*away.forecast)[6] = (*away.forecast)[5];
    for (const int d : {2, 4, 7, 3, 5})
        for (const int h : {4, 5, 6}) away.days[d - 1][h] = std::int16_t{40};
    away.days[3 - 1][6].reset();
    away.days[5 - 1][5].reset();
    const std::string sentence = month_description(away, month_figures(away));
    EXPECT_TRUE(sentence.ends_with("; away from the forecast on 2, 4 and 7 February")) << sentence;
    away.days[7 - 1][6].reset();
    away.days[4 - 1][6].reset();
    EXPECT_TRUE(month_description(away, month_figures(away)).ends_with("; away from the forecast on 2 February"));
    away.forecast.reset();
    EXPECT_EQ(month_description(away, month_figures(away)).find("away"), std::string::npos) << "no forecast, no days";
}

// What the page and the chart say when no hour has values of 5 days.
TEST(MonthFiles, SayWhenTooFewDaysLeaveNoMedian) {
    const auto scattered = [] {  // 6 days, each at an hour of its own
        MonthData d;
        d.month = 2024y / March;
        d.days.resize(31);
        for (int day = 0; day < 6; ++day) d.days[day][day] = 80;
        return d;
    };
    const auto one_day = [] {
        MonthData d;
        d.month = 2024y / March;
        d.days.resize(31);
        d.days[9][13] = 120;
        return d;
    };
    const struct {
        const char* what;
        MonthData data;
        const char* words;
    } cases[] = {
        {"three days", february(3), "3 days of soundings: too few for hourly medians, which need 5"},
        {"four at one hour", february(4), "4 days of soundings: too few for hourly medians, which need 5"},
        {"one day", one_day(), "1 day of soundings: too few for hourly medians, which need 5"},
        {"enough days at no hour", scattered(),
         "6 days of soundings, but no hour with a value on 5 of them, which hourly medians need"},
        {"five at one hour", february(5), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(too_few_for_medians(month_figures(c.data)), c.words);
    }
}

TEST(MonthFileMonth, ReadsBackOnlyTheNamesMonthFileNameWrites) {
    for (const std::string_view suffix : {std::string_view(".html"), std::string_view(".gif"),
                                          std::string_view(".csv"), hourly_suffix})
        for (const year_month month : {2024y / March, 2026y / December, 987y / January, 9999y / December})
            EXPECT_EQ(month_file_month(month_file_name(month, suffix), suffix), month) << month_file_name(month, suffix);
    // A name read with the wrong suffix, a day's file, a temporary: no month.
    const struct {
        const char* name;
        std::string_view suffix;
    } others[] = {
        {"index.html", ".html"},        {"2024-00.html", ".html"},     {"2024-13.html", ".html"},
        {"2024-3.html", ".html"},       {"2024-03.htm", ".html"},      {"2024-03.html.tmp", ".html"},
        {"2024-03.HTML", ".html"},      {"2024_03.html", ".html"},     {"20x4-03.html", ".html"},
        {".2024-03.html", ".html"},     {"2024-03-hourly.csv", ".csv"}, {"2024063.csv", ".csv"},
        {"2024-063.csv", ".csv"},       {"2024-03.csv", hourly_suffix}, {"2024-03x.gif", ".gif"},
    };
    for (const auto& c : others) EXPECT_EQ(month_file_month(c.name, c.suffix), std::nullopt) << c.name;
    EXPECT_TRUE(month_own_file("2024-03-hourly.csv"));
    EXPECT_FALSE(month_own_file("2024-03.html"));
    EXPECT_FALSE(month_own_file("2024-063.csv"));
}

}  // namespace
