#include "export/chart_csv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::chrono;

ChartPoint point(ChartPoint::Series series, int minute, std::optional<std::int16_t> tenths, std::string file) {
    return {series, minute, tenths, std::move(file), 0};
}

constexpr auto forecast = ChartPoint::Series::forecast;
constexpr auto observed = ChartPoint::Series::observed;

TEST(ChartCsv, RowsInTimeOrderTheForecastFirstValuesAsDrawn) {
    ChartData data;
    // In the order the chart draws them: the forecast, then the soundings
    // of an hour from minute 01 to 59 and its minute 00 last.
    data.points = {point(forecast, 0, 61, "032024.txt"),          point(forecast, 600, 142, "032024.txt"),
                   point(observed, 615, 123, "RM041_2024063101500.TXT"), point(observed, 630, std::nullopt, "RM041_2024063103000.TXT"),
                   point(observed, 600, 0, "RM041_2024063100000.TXT"),   point(observed, 601, -5, "RM041_2024063100100.TXT")};
    EXPECT_EQ(chart_csv(data, 2024y / March / 3),
              "time_utc,series,muf3000f2_mhz,file\r\n"
              "2024-03-03T00:00:00Z,forecast,6.1,032024.txt\r\n"
              "2024-03-03T10:00:00Z,forecast,14.2,032024.txt\r\n"
              "2024-03-03T10:00:00Z,observed,0.0,RM041_2024063100000.TXT\r\n"
              "2024-03-03T10:01:00Z,observed,-0.5,RM041_2024063100100.TXT\r\n"
              "2024-03-03T10:15:00Z,observed,12.3,RM041_2024063101500.TXT\r\n"
              "2024-03-03T10:30:00Z,observed,,RM041_2024063103000.TXT\r\n");
}

TEST(ChartCsv, FieldsAreQuotedWhereTheyMustBeAndStayAscii) {
    ChartData data;
    data.points = {point(forecast, 0, 61, "a,b.txt"), point(forecast, 60, 62, "say \"x\".txt"),
                   point(forecast, 120, 63, "pubblicit\xe0.txt"), point(forecast, 180, 64, "two\r\nlines")};
    const std::string csv = chart_csv(data, 2024y / March / 3);
    EXPECT_NE(csv.find(",6.1,\"a,b.txt\"\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",6.2,\"say \"\"x\"\".txt\"\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",6.3,pubblicit?.txt\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",6.4,\"two\r\nlines\"\r\n"), std::string::npos) << csv;

    // And read back as written.
    const auto back = read_chart_csv(csv);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->points.size(), 4u);
    EXPECT_EQ(back->points[0].file, "a,b.txt");
    EXPECT_EQ(back->points[1].file, "say \"x\".txt");
    EXPECT_EQ(back->points[3].file, "two\r\nlines");
    EXPECT_EQ(back->points[3].minute, 180);
    EXPECT_EQ(back->points[3].tenths, 64);
}

TEST(ChartCsv, ReadsBackWhatItWroteAndNothingElse) {
    ChartData data;
    data.points = {point(forecast, 0, 61, "032024.txt"), point(observed, 1439, -123, "x.TXT"),
                   point(observed, 17, std::nullopt, "y.TXT")};
    const auto back = read_chart_csv(chart_csv(data, 2024y / March / 3));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->points.size(), 3u);
    EXPECT_TRUE(back->forecast_drawn);
    EXPECT_EQ(back->points[1].minute, 17);
    EXPECT_EQ(back->points[1].tenths, std::nullopt);
    EXPECT_EQ(back->points[2].tenths, -123);
    EXPECT_EQ(back->points[2].series, observed);
    // The soundings alone, as a month reads them.
    const auto values = read_observed_values(chart_csv(data, 2024y / March / 3));
    ASSERT_TRUE(values);
    ASSERT_EQ(values->size(), 2u);
    EXPECT_EQ((*values)[0].minute, 17);
    EXPECT_EQ((*values)[0].tenths, std::nullopt);
    EXPECT_EQ((*values)[1].minute, 1439);
    EXPECT_EQ((*values)[1].tenths, -123);

    const std::string header = "time_utc,series,muf3000f2_mhz,file\r\n";
    for (const std::string& text : {
             std::string(""), std::string("time_utc,series\r\n"), header + "2024-03-03T10:15:00Z,observed,12.3,x\n",
             header + "2024-03-03T10:15:00Z,observed,12.3\r\n", header + "2024-03-03T25:15:00Z,observed,12.3,x\r\n",
             header + "2024-03-03T10:15:00Z,seen,12.3,x\r\n", header + "2024-03-03T10:15:00Z,observed,12.35,x\r\n",
             header + "2024-03-03T10:15:00Z,observed,twelve,x\r\n", header + "2024-03-03T10:00:00Z,forecast,,x\r\n",
             header + "2024-03-03T10:15:00Z,observed,12.3,\"x\r\n",
             header + "2024-03-03T10:15:00Z,observed,12.3,x,y\r\n", header + "2024-03-03T10:15:00Z,observed,12.3,\"x\",y\r\n",
             header + "\"2024-03-03T10:15:00Z\"0,observed,12.3,x\r\n",
             header + "2024-03-03T10:15:00Z,observed,\"12.3000000000000000000000000\",x\r\n"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(read_chart_csv(text));
        EXPECT_FALSE(read_observed_values(text));
    }
}

TEST(ChartCsv, ReadsQuotedAndOddFieldsAsAnyCsvReaderWould) {
    // As an operator's spreadsheet may save a day's CSV: any field quoted,
    // a quote or a line feed within a name.
    const std::string text = "time_utc,series,muf3000f2_mhz,file\r\n"
                             "\"2024-03-03T10:15:00Z\",\"observed\",\"12.3\",\"a,b\"\"c\"\r\n"
                             "2024-03-03T10:20:00Z,observed,4.5,two\nlines\r\n"
                             "2024-03-03T10:25:00Z,observed,,say\"x\"\r\n"
                             "2024-03-03T10:30:00Z,\"forecast\",\"7.0\",\"\"\r\n"
                             "2024-03-03T10:35:00Z,observed,\"\",\"\r\n\"\r\n";
    const auto back = read_chart_csv(text);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->points.size(), 5u);
    const std::vector<std::string> files = {"a,b\"c", "two\nlines", "say\"x\"", "", "\r\n"};
    const std::vector<std::optional<std::int16_t>> tenths = {123, 45, std::nullopt, 70, std::nullopt};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(back->points[i].minute, 615 + 5 * static_cast<int>(i));
        EXPECT_EQ(back->points[i].tenths, tenths[i]);
        EXPECT_EQ(back->points[i].file, files[i]);
    }
    EXPECT_EQ(back->points[3].series, forecast);
    const auto values = read_observed_values(text);
    ASSERT_TRUE(values);
    ASSERT_EQ(values->size(), 4u);
    EXPECT_EQ((*values)[0].tenths, 123);
    EXPECT_EQ((*values)[1].minute, 620);
    EXPECT_EQ((*values)[3].minute, 635);
}

}  // namespace
