// The newest sounding of the measurement folder, by the time in its name,
// for a run that is to tell a sounder that stopped.

#include <cmath>
#include <string>

#include "app/date_text.h"
#include "app/day_keys.h"
#include "app/form1.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "series/sounding_names.h"

std::optional<Form1::Newest> Form1::newest_sounding(int days_back) const {
    if (!measurement_listing || recognised_station < 1 || recognised_station > 6) return std::nullopt;
    const auto& scheme = series::sounding_schemes[static_cast<std::size_t>(recognised_station)];
    const std::chrono::sys_days today{data_corrente};
    for (int back = 0; back <= days_back; ++back) {
        const std::chrono::sys_days day = today - std::chrono::days{back};
        const DayKeys keys = day_keys(std::chrono::year_month_day{day});
        const std::string start = measurement_name_start(recognised_station, keys.mese_anno, keys.giorno_anno);
        // Where the listing cannot tell the day's minutes, each name is
        // looked for, as the series then opens each.
        const series::MinuteSlots* slots = measurement_listing->minutes(start);
        for (int slot = 24 * 60 - 1; slot >= 0; --slot) {
            const int h = slot / 60, minute = slot % 60;
            const std::string name =
                start + etichette_ore[static_cast<std::size_t>(h)] + zero_padded(minute, 2) + std::string(scheme.suffix);
            if (slots ? !slots->holds(h, minute) : platform::names_nothing(cartella_autoscalati + name)) continue;
            return Newest{std::chrono::sys_seconds{day} + std::chrono::minutes{slot}, name};
        }
    }
    return std::nullopt;
}

std::optional<std::string> Form1::stale_sounding() const {
    if (!settings_.stale_after) return std::nullopt;
    const int limit = *settings_.stale_after;
    const auto now = std::chrono::sys_seconds{std::chrono::seconds{static_cast<long long>(std::floor(platform::unix_time_now()))}};
    const std::string after = "--stale-after " + std::to_string(limit);
    const std::optional<Newest> newest = newest_sounding(days_listed_back());
    if (!newest) {
        const auto since = std::chrono::sys_days{data_corrente} - std::chrono::days{days_listed_back()};
        return "no sounding in " + platform::native_path(cartella_autoscalati) + " since " +
               sounding_time_text(std::chrono::sys_seconds{since}) + ": older than " + after;
    }
    const auto age = std::chrono::duration_cast<std::chrono::minutes>(now - newest->time).count();
    if (age <= limit) return std::nullopt;
    return "the newest sounding, " + newest->file + ", is of " + sounding_time_text(newest->time) + ", " + std::to_string(age) +
           " minutes ago: older than " + after;
}

std::string Form1::sounding_time_text(std::chrono::sys_seconds time) { return date_and_minute(time) + " UT"; }
