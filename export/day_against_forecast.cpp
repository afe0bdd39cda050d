#include "export/day_against_forecast.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "export/markup.h"

namespace {

// How hour h departs: -1 depressed (p <= -15), +1 enhanced (p >= +15), 0
// between; none without a departure. Compared exactly, in the tenths the
// values are kept in: p <= -15 is 100 v <= 85 f.
std::optional<int> way(std::optional<std::int16_t> value, std::int16_t forecast) {
    if (!value || *value <= 0 || forecast <= 0) return std::nullopt;
    const long v = *value, f = forecast;
    if (100 * v <= (100 - spell_percent) * f) return -1;
    if (100 * v >= (100 + spell_percent) * f) return +1;
    return 0;
}

// |p| of the hour, rounded to a whole percent.
long percent_away(std::int16_t value, std::int16_t forecast) {
    return round_half_even(100 * std::labs(static_cast<long>(value) - forecast), forecast);
}

void append_hour(std::string& out, int hour) { append_two_digits(out, hour); }

}  // namespace

std::vector<Spell> spells(const DayHours& hours, const HourForecast& forecast) {
    std::vector<Spell> found;
    int start = 0;  // of the run of hours departing the same way that ends before h
    std::optional<int> running;
    for (int h = 0; h <= 24; ++h) {
        const std::optional<int> w = h < 24 ? way(hours[h], forecast[h]) : std::nullopt;
        const bool goes_on = w && running && *w == *running;
        if (goes_on) continue;
        // The run before h ends here: a spell when long enough.
        if (running && *running != 0 && h - start >= fewest_spell_hours) {
            const long first = percent_away(*hours[start], forecast[start]);
            Spell spell{.enhanced = *running > 0, .first_hour = start, .last_hour = h - 1, .least_percent = first,
                        .greatest_percent = first};
            for (int k = start + 1; k < h; ++k) {
                const long p = percent_away(*hours[k], forecast[k]);
                spell.least_percent = std::min(spell.least_percent, p);
                spell.greatest_percent = std::max(spell.greatest_percent, p);
            }
            found.push_back(spell);
        }
        running = w;
        start = h;
    }
    return found;
}

std::string against_forecast(const DayHours& hours, const std::optional<HourForecast>& forecast) {
    if (!forecast) return "";
    bool departs = false;
    for (int h = 0; h < 24 && !departs; ++h) departs = way(hours[h], (*forecast)[h]).has_value();
    if (!departs) return "";
    const std::vector<Spell> found = spells(hours, *forecast);
    if (found.empty()) return std::string(near_forecast);
    std::string words;
    for (const Spell& spell : found) {
        if (!words.empty()) words += "; ";
        words += spell.enhanced ? "enhanced " : "depressed ";
        append_number(words, spell.least_percent);
        if (spell.greatest_percent != spell.least_percent) {
            words += " to ";
            append_number(words, spell.greatest_percent);
        }
        words += " % from ";
        append_hour(words, spell.first_hour);
        words += " to ";
        append_hour(words, spell.last_hour);
        words += " UT";
    }
    return words;
}

std::string against_forecast(const ChartData& data) {
    if (!data.forecast_drawn) return "";
    std::vector<ObservedValue> soundings;
    soundings.reserve(data.points.size());
    HourForecast forecast{};
    for (const ChartPoint& point : data.points) {
        if (point.series == ChartPoint::Series::observed) {
            soundings.push_back({point.minute, point.tenths});
        } else if (point.tenths && point.minute % 60 == 0 && point.minute / 60 < 24) {
            forecast[point.minute / 60] = *point.tenths;
        }
    }
    return against_forecast(hourly_values(soundings), forecast);
}
