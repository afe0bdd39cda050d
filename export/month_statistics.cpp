#include "export/month_statistics.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int window_minutes = 7;

}  // namespace

long round_half_even(long n, long d) {
    long q = n / d, r = n % d;
    if (r < 0) r += d, --q;  // floor division: 0 <= r < d
    if (2 * r > d || (2 * r == d && q % 2 != 0)) ++q;
    return q;
}

DayHours hourly_values(std::span<const ObservedValue> soundings) {
    // The sounding nearest to each hour so far: its minute and its value.
    // The earlier of two equally near wins, and of two of the same minute
    // the first.
    struct Nearest {
        int minute = -1;
        int away = window_minutes + 1;
        std::optional<std::int16_t> tenths;
    };
    std::array<Nearest, 24> nearest;
    for (const ObservedValue& s : soundings) {
        if (s.minute < 0 || s.minute >= 24 * 60) continue;
        // The hour whose window holds the minute: the next hour's from :53 on.
        const int h = (s.minute + window_minutes) / 60;
        if (h > 23) continue;
        const int away = std::abs(s.minute - 60 * h);
        if (away > window_minutes) continue;
        Nearest& n = nearest[h];
        if (away < n.away || (away == n.away && s.minute < n.minute)) n = {s.minute, away, s.tenths};
    }
    DayHours hours;
    for (int h = 0; h < 24; ++h)
        if (nearest[h].tenths && *nearest[h].tenths > 0) hours[h] = nearest[h].tenths;
    return hours;
}

std::array<HourStatistics, 24> month_statistics(std::span<const DayHours> days) {
    std::array<HourStatistics, 24> hours;
    std::vector<std::int16_t> values;
    values.reserve(days.size());
    for (int h = 0; h < 24; ++h) {
        values.clear();
        for (const DayHours& day : days)
            if (day[h]) values.push_back(*day[h]);
        HourStatistics& s = hours[h];
        const int n = static_cast<int>(values.size());
        s.count = n;
        if (n < fewest_for_statistics) continue;
        std::sort(values.begin(), values.end());
        // Rank r (1-based) from the lowest, and from the highest.
        const auto low = [&](int r) { return values[r - 1]; };
        const auto high = [&](int r) { return values[n - r]; };
        const int half = (n + 1) / 2, quarter = (n + 3) / 4, tenth = (n + 9) / 10;
        s.median = low(half);
        s.lower_quartile = low(quarter);
        s.upper_quartile = high(quarter);
        s.lower_decile = low(tenth);
        s.upper_decile = high(tenth);
    }
    return hours;
}

std::optional<long> percent_of_forecast(std::int16_t median, std::int16_t forecast) {
    if (forecast == 0) return std::nullopt;
    long n = 1000L * (median - forecast), d = forecast;
    if (d < 0) n = -n, d = -d;
    return round_half_even(n, d);
}

std::optional<long> mean_tenths(std::span<const long> tenths) {
    if (tenths.empty()) return std::nullopt;
    long sum = 0;
    for (const long t : tenths) sum += t;
    return round_half_even(sum, static_cast<long>(tenths.size()));
}
