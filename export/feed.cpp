#include "export/feed.h"

#include "app/date_text.h"
#include "export/markup.h"
#include "export/month_statistics.h"

namespace {

void append_time(std::string& out, std::chrono::sys_seconds time) {
    out += '"';
    out += rfc3339_time(time);
    out += '"';
}

void append_optional_time(std::string& out, const std::optional<std::chrono::sys_seconds>& time) {
    if (time) append_time(out, *time);
    else out += "null";
}

void append_optional_string(std::string& out, std::string_view text) {
    if (text.empty()) out += "null";
    else append_json_string(out, text);
}

// A number in tenths with one decimal, or null.
void append_optional_tenths(std::string& out, std::optional<long> tenths) {
    if (tenths) append_tenths(out, *tenths);
    else out += "null";
}

}  // namespace

std::int16_t forecast_at(const HourForecast& forecast, int minute) {
    const int h = minute / 60, into = minute % 60;
    if (h >= 23) return forecast[23];
    // 60 times the value on the line, in tenths.
    const long sixtieths = 60L * forecast[h] + static_cast<long>(forecast[h + 1] - forecast[h]) * into;
    return static_cast<std::int16_t>(round_half_even(sixtieths, 60));
}

void append_json_string(std::string& out, std::string_view text) {
    constexpr const char* hex = "0123456789abcdef";
    out += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == '<' || c == '>' || c == '&' || c == '\'') {
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else if (c == 0xE2 && i + 2 < text.size() && text[i + 1] == '\x80' &&
                   (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
            out += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
}

std::string feed_json(const FeedFigures& f) {
    std::string json = "{\n  \"station\": {\"name\": ";
    append_optional_string(json, f.station_name);
    json += ", \"code\": ";
    append_optional_string(json, f.station_code);
    // The station's files carry no confidence score: -1, "unknown".
    json += "},\n  \"cs\": -1,\n  \"time\": ";
    append_optional_time(json, f.time);
    json += ",\n  \"mufd\": ";
    std::optional<std::int16_t> forecast;
    if (f.time) {
        append_tenths(json, f.mufd);
        const auto into_day = *f.time - std::chrono::floor<std::chrono::days>(*f.time);
        if (f.forecast) forecast = forecast_at(*f.forecast, static_cast<int>(into_day / std::chrono::minutes{1}));
    } else {
        json += "null";
    }
    json += ",\n  \"forecast_mhz\": ";
    append_optional_tenths(json, forecast);
    json += ",\n  \"departure_percent\": ";
    // Of the two numbers as the feed gives them; tenths of a percent.
    const std::optional<long> departure =
        forecast && *forecast > 0 ? percent_of_forecast(f.mufd, *forecast) : std::nullopt;
    append_optional_tenths(json, departure);
    json += ",\n  \"today\": ";
    append_optional_string(json, f.today);
    json += ",\n  \"newest_sounding\": ";
    append_optional_time(json, f.newest_sounding);
    json += ",\n  \"soundings_today\": ";
    append_number(json, f.soundings_today);
    json += ",\n  \"without_value_today\": ";
    append_number(json, f.without_value_today);
    json += ",\n  \"written\": ";
    append_time(json, f.written);
    json += ",\n  \"charts\": [";
    for (std::size_t i = 0; i < f.charts.size(); ++i) {
        if (i > 0) json += ", ";
        append_json_string(json, f.charts[i]);
    }
    json += "],\n  \"generator\": ";
    append_json_string(json, f.generator);
    json += "\n}\n";
    return json;
}
