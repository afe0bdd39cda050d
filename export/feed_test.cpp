#include "export/feed.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Feed, StringsAreEscapedForJsonAndForAPage) {
    const struct {
        std::string text, json;
    } cases[] = {
        {"Rome", "\"Rome\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"<&'>", "\"\\u003c\\u0026\\u0027\\u003e\""},
        {std::string("\x01\n\x1F", 3), "\"\\u0001\\u000a\\u001f\""},
        {"\xC3\xA9 \xE2\x80\xA8 \xE2\x80\xA9 \xE2\x80\xA6", "\"\xC3\xA9 \\u2028 \\u2029 \xE2\x80\xA6\""},
    };
    for (const auto& c : cases) {
        std::string out;
        append_json_string(out, c.text);
        EXPECT_EQ(out, c.json) << c.text;
    }
}

TEST(Feed, TheForecastAlongTheWhiteLine) {
    HourForecast forecast{};
    forecast[10] = 100;
    forecast[11] = 117;
    forecast[23] = 80;
    EXPECT_EQ(forecast_at(forecast, 10 * 60), 100);
    EXPECT_EQ(forecast_at(forecast, 10 * 60 + 30), 108) << "10.85 to even";
    EXPECT_EQ(forecast_at(forecast, 10 * 60 + 6), 102) << "10.17";
    EXPECT_EQ(forecast_at(forecast, 11 * 60 + 30), 58) << "down to 0 at 12 UT: 5.85 to even";
    EXPECT_EQ(forecast_at(forecast, 23 * 60 + 59), 80) << "hour 23's value after 23:00";
    forecast[0] = -5;
    EXPECT_EQ(forecast_at(forecast, 30), -2) << "-2.5 to even";
}

}  // namespace
