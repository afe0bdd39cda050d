#include "export/chart_description.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

#include "app/date_text.h"
#include "export/day_against_forecast.h"
#include "export/markup.h"

namespace {

// "4.1 to 15.3 MHz", or "4.1 MHz" when both ends are the same.
std::string span(std::pair<std::int16_t, std::int16_t> range) {
    if (range.first == range.second) return tenths_text(range.first) + " MHz";
    return tenths_text(range.first) + " to " + tenths_text(range.second) + " MHz";
}


}  // namespace

std::string chart_description(const ChartData& data, std::chrono::year_month_day day) {
    int soundings = 0, without_value = 0;
    std::optional<std::pair<std::int16_t, std::int16_t>> observed, forecast;
    for (const ChartPoint& point : data.points) {
        const bool is_forecast = point.series == ChartPoint::Series::forecast;
        if (!is_forecast) {
            ++soundings;
            without_value += !point.tenths;
        }
        if (!point.tenths) continue;
        auto& range = is_forecast ? forecast : observed;
        const std::int16_t v = *point.tenths;
        range = range ? std::pair{std::min(range->first, v), std::max(range->second, v)} : std::pair{v, v};
    }

    std::string text = "MUF(3000)F2 on " + long_date(day) + ": ";
    if (soundings == 0) {
        text += "no soundings";
    } else {
        text += counted(soundings, "sounding") + ", ";
        text += without_value == 0 ? "none" : std::to_string(without_value);
        text += " without a value";
    }
    if (observed) text += "; observed " + span(*observed);
    text += forecast ? "; forecast " + span(*forecast) : "; no forecast";
    if (const std::string words = against_forecast(data); !words.empty()) text += "; " + words;
    return text;
}
