#include "export/metrics.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <vector>

#include "app/date_text.h"

namespace {

constexpr std::string_view last_success_name = "plotmuf_last_success_timestamp_seconds";

// The length of the UTF-8 sequence at the start of `text`; 0 when none is.
std::size_t utf8_length(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(0);
    std::size_t length = first < 0x80 ? 1 : first >= 0xC2 && first < 0xE0 ? 2 : first >= 0xE0 && first < 0xF0 ? 3
                                                                          : first >= 0xF0 && first < 0xF5 ? 4 : 0;
    if (length == 0 || length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80) return 0;
    // No overlong forms, no surrogates, nothing past U+10FFFF.
    if (length == 3 && ((first == 0xE0 && byte(1) < 0xA0) || (first == 0xED && byte(1) >= 0xA0))) return 0;
    if (length == 4 && ((first == 0xF0 && byte(1) < 0x90) || (first == 0xF4 && byte(1) >= 0x90))) return 0;
    return length;
}

std::string number(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

class Exposition {
public:
    explicit Exposition(std::string_view folder) : folder_("folder=\"" + label_value(folder) + "\"") {}

    // A metric's HELP and TYPE lines; its samples follow.
    void metric(std::string_view name, std::string_view help) {
        name_ = name;
        text_ += "# HELP " + name_ + " " + std::string(help) + "\n# TYPE " + name_ + " gauge\n";
    }
    void sample(const std::string& value, std::string_view more_labels = {}) {
        text_ += name_ + "{" + folder_ + (more_labels.empty() ? "" : "," + std::string(more_labels)) + "} " + value + "\n";
    }
    const std::string& text() const { return text_; }

private:
    std::string folder_, name_, text_;
};

}  // namespace

std::string label_value(std::string_view text) {
    std::string out;
    while (!text.empty()) {
        const std::size_t length = utf8_length(text);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            text.remove_prefix(1);
            continue;
        }
        const char c = text.front();
        if (c == '\\') out += "\\\\";
        else if (c == '"') out += "\\\"";
        else if (c == '\n') out += "\\n";
        else out += text.substr(0, length);
        text.remove_prefix(length);
    }
    return out;
}

std::string metrics_text(const RunRecord& record, const RunTimes& times) {
    std::vector<DayRecord> days = record.days;
    std::sort(days.begin(), days.end(), [](const DayRecord& a, const DayRecord& b) { return a.date < b.date; });

    Exposition out(record.working_folder);
    out.metric("plotmuf_run_end_timestamp_seconds", "When this run of plotmuf ended, as Unix time.");
    out.sample(number(times.ended, 3));
    out.metric("plotmuf_run_duration_seconds", "How long this run of plotmuf took, in seconds.");
    out.sample(number(times.took, 6));
    if (times.last_success) {
        out.metric(last_success_name, "When the latest run of plotmuf that exited 0 ended, as Unix time.");
        out.sample(number(*times.last_success, 3));
    }
    out.metric("plotmuf_charts_exported", "Days whose charts this run exported whole.");
    out.sample(std::to_string(record.exported));
    out.metric("plotmuf_charts_failed", "Days whose charts this run could not draw or export.");
    out.sample(std::to_string(record.failed));
    if (days.empty()) return out.text();

    const auto day_label = [](const DayRecord& d) { return "day=\"" + iso_date(d.date) + "\""; };
    out.metric("plotmuf_soundings", "Soundings drawn on the day's chart: dots and ticks.");
    for (const DayRecord& d : days) out.sample(std::to_string(d.soundings), day_label(d));
    out.metric("plotmuf_soundings_without_value", "Soundings without a value on the day's chart: its ticks.");
    for (const DayRecord& d : days) out.sample(std::to_string(d.without_value), day_label(d));

    // The newest sounding drawn: the latest slot of the latest day that has one.
    if (const auto newest = record.newest_sounding()) {
        out.metric("plotmuf_newest_sounding_timestamp_seconds",
                   "The time (UT) of the newest sounding this run drew, as Unix time.");
        out.sample(number(static_cast<double>(newest->time_since_epoch().count()), 0));
    }

    // A month counts as loaded when every day of it drawn read its forecast.
    std::map<std::chrono::year_month, bool> loaded;
    for (const DayRecord& d : days) {
        const auto month = loaded.try_emplace(d.date.year() / d.date.month(), true).first;
        month->second = month->second && d.forecast_drawn;
    }
    out.metric("plotmuf_forecast_loaded", "1 when the month's forecast file was read, 0 when it could not be.");
    for (const auto& [month, read] : loaded)
        out.sample(read ? "1" : "0", "month=\"" + iso_month(month) + "\"");
    return out.text();
}

std::optional<double> last_success_in(std::string_view metrics) {
    while (!metrics.empty()) {
        const std::size_t end = std::min(metrics.find('\n'), metrics.size());
        const std::string_view line = metrics.substr(0, end);
        metrics.remove_prefix(std::min(end + 1, metrics.size()));
        if (!line.starts_with(last_success_name) || line.size() == last_success_name.size()) continue;
        if (line[last_success_name.size()] != '{' && line[last_success_name.size()] != ' ') continue;
        // The value follows the last blank: no timestamp comes after it.
        const std::string_view value = line.substr(line.rfind(' ') + 1);
        double seconds = 0;
        const auto [stop, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
        if (error == std::errc() && stop == value.data() + value.size() && seconds > 0) return seconds;
    }
    return std::nullopt;
}
