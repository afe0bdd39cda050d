#include "export/month_files.h"

#include "app/date_text.h"
#include "export/day_against_forecast.h"
#include "export/markup.h"

using namespace std::chrono;

namespace {

constexpr std::string_view summary_header =
    "hour_utc,count,median_mhz,lower_quartile_mhz,upper_quartile_mhz,lower_decile_mhz,upper_decile_mhz,"
    "forecast_mhz,median_minus_forecast_percent";

void append_optional(std::string& out, const std::optional<std::int16_t>& tenths) {
    if (tenths) append_tenths(out, *tenths);
}

std::string hourly_header() {
    std::string header = "date";
    for (int h = 0; h < 24; ++h) {
        header += ',';
        append_two_digits(header, h);
    }
    return header;
}

// The lines of `text`, each ended by CR LF; nullopt when the last has none.
std::optional<std::vector<std::string_view>> lines_of(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        if (end == std::string_view::npos) return std::nullopt;
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 2);
    }
    return lines;
}

// The comma-separated fields of a line (the month's files quote none).
std::vector<std::string_view> fields_of(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) return fields;
        start = comma + 1;
    }
}

}  // namespace

MonthFigures month_figures(const MonthData& data) {
    MonthFigures figures;
    figures.hours = month_statistics(data.days);
    for (const DayHours& day : data.days) {
        for (const auto& value : day) {
            if (value) {
                ++figures.days_with_values;
                break;
            }
        }
    }
    if (data.forecast) {
        for (int h = 0; h < 24; ++h)
            if (figures.hours[h].median) figures.percent[h] = percent_of_forecast(*figures.hours[h].median, (*data.forecast)[h]);
    }
    return figures;
}

std::string month_file_name(year_month month, std::string_view suffix) { return iso_month(month) + std::string(suffix); }

std::optional<year_month> month_file_month(std::string_view name, std::string_view suffix) {
    constexpr std::string_view pattern = "dddd-dd";
    if (name.size() != pattern.size() + suffix.size() || !name.ends_with(suffix)) return std::nullopt;
    int year = 0, month = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = name[i];
        if (pattern[i] != 'd') {
            if (c != pattern[i]) return std::nullopt;
        } else if (c < '0' || c > '9') {
            return std::nullopt;
        } else if (i < 4) {
            year = year * 10 + (c - '0');
        } else {
            month = month * 10 + (c - '0');
        }
    }
    if (month < 1 || month > 12) return std::nullopt;
    return std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)};
}

bool month_own_file(std::string_view name) {
    for (const std::string_view suffix : month_own_suffixes)
        if (month_file_month(name, suffix)) return true;
    return false;
}

std::string month_hourly_csv(const MonthData& data) {
    std::string csv = hourly_header() + "\r\n";
    csv.reserve(csv.size() + data.days.size() * 128);
    for (std::size_t d = 0; d < data.days.size(); ++d) {
        csv += iso_date(data.month / day{static_cast<unsigned>(d + 1)});
        for (const auto& value : data.days[d]) {
            csv += ',';
            append_optional(csv, value);
        }
        csv += "\r\n";
    }
    return csv;
}

std::string month_summary_csv(const MonthData& data, const MonthFigures& figures) {
    std::string csv(summary_header);
    csv += "\r\n";
    for (int h = 0; h < 24; ++h) {
        const HourStatistics& s = figures.hours[h];
        append_two_digits(csv, h);
        csv += ',';
        append_number(csv, s.count);
        for (const auto* value : {&s.median, &s.lower_quartile, &s.upper_quartile, &s.lower_decile, &s.upper_decile}) {
            csv += ',';
            append_optional(csv, *value);
        }
        csv += ',';
        if (data.forecast) append_tenths(csv, (*data.forecast)[h]);
        csv += ',';
        if (figures.percent[h]) append_tenths(csv, *figures.percent[h]);
        csv += "\r\n";
    }
    return csv;
}

std::string month_description(const MonthData& data, const MonthFigures& figures) {
    std::string text = "MUF(3000)F2 in " + month_year(data.month) + ": ";
    std::optional<std::int16_t> lowest, highest;
    std::vector<long> percents;
    for (int h = 0; h < 24; ++h) {
        if (const auto& m = figures.hours[h].median) {
            lowest = lowest ? std::min(*lowest, *m) : *m;
            highest = highest ? std::max(*highest, *m) : *m;
        }
        if (figures.percent[h]) percents.push_back(*figures.percent[h]);
    }
    if (figures.days_with_values == 0) {
        text += "no values";
    } else if (!lowest) {
        text += "values of " + counted(figures.days_with_values, "day") + ", too few for hourly medians";
    } else {
        text += "hourly medians of " + counted(figures.days_with_values, "day") + ", ";
        append_tenths(text, *lowest);
        if (*highest != *lowest) {
            text += " to ";
            append_tenths(text, *highest);
        }
        text += " MHz";
    }
    if (!data.forecast) {
        text += "; no forecast";
    } else if (const auto mean = mean_tenths(percents)) {
        if (*mean == 0) {
            text += "; on average as forecast";
        } else {
            text += "; on average ";
            append_tenths(text, *mean < 0 ? -*mean : *mean);
            text += *mean < 0 ? " % below the forecast" : " % above the forecast";
        }
    }
    // The days that depart from the forecast for three hours or more.
    std::vector<unsigned> away;
    for (std::size_t d = 0; d < data.days.size(); ++d) {
        const std::string words = against_forecast(data.days[d], data.forecast);
        if (!words.empty() && words != near_forecast) away.push_back(static_cast<unsigned>(d + 1));
    }
    for (std::size_t i = 0; i < away.size(); ++i) {
        text += i == 0 ? "; away from the forecast on " : i + 1 == away.size() ? " and " : ", ";
        text += std::to_string(away[i]);
    }
    if (!away.empty()) text += " " + std::string(month_name(data.month.month()));
    return text;
}

std::string too_few_for_medians(const MonthFigures& figures) {
    for (const HourStatistics& hour : figures.hours)
        if (hour.count >= fewest_for_statistics) return "";
    const std::string fewest = std::to_string(fewest_for_statistics);
    const std::string days = counted(figures.days_with_values, "day") + " of soundings";
    if (figures.days_with_values < fewest_for_statistics)
        return days + ": too few for hourly medians, which need " + fewest;
    // Enough days, but their soundings at different hours.
    return days + ", but no hour with a value on " + fewest + " of them, which hourly medians need";
}

std::optional<std::vector<DayHours>> read_month_hourly_csv(std::string_view text, year_month month) {
    const auto lines = lines_of(text);
    const unsigned last = static_cast<unsigned>((month / std::chrono::last).day());
    if (!lines || lines->size() != last + 1 || (*lines)[0] != hourly_header()) return std::nullopt;
    std::vector<DayHours> days(last);
    for (unsigned d = 1; d <= last; ++d) {
        const auto fields = fields_of((*lines)[d]);
        if (fields.size() != 25 || fields[0] != iso_date(month / day{d})) return std::nullopt;
        for (int h = 0; h < 24; ++h) {
            if (fields[h + 1].empty()) continue;
            days[d - 1][h] = read_tenths(fields[h + 1]);
            if (!days[d - 1][h]) return std::nullopt;
        }
    }
    return days;
}

std::optional<std::optional<std::array<std::int16_t, 24>>> read_month_forecast(std::string_view summary) {
    const auto lines = lines_of(summary);
    if (!lines || lines->size() != 25 || (*lines)[0] != summary_header) return std::nullopt;
    std::array<std::int16_t, 24> forecast{};
    int given = 0;
    for (int h = 0; h < 24; ++h) {
        const auto fields = fields_of((*lines)[h + 1]);
        std::string hour;
        append_two_digits(hour, h);
        if (fields.size() != 9 || fields[0] != hour) return std::nullopt;
        if (fields[7].empty()) continue;
        const auto value = read_tenths(fields[7]);
        if (!value) return std::nullopt;
        forecast[h] = *value;
        ++given;
    }
    if (given == 0) return std::optional<std::array<std::int16_t, 24>>{};
    if (given != 24) return std::nullopt;
    return std::optional{forecast};
}
