#include "export/chart_csv.h"

#include <algorithm>
#include <array>
#include <vector>

#include "app/date_text.h"
#include "export/markup.h"

namespace {

constexpr std::string_view header = "time_utc,series,muf3000f2_mhz,file";
constexpr std::string_view series_names[] = {"forecast", "observed"};

// A field as RFC 4180 wants it: ASCII only (other bytes become "?"), and
// quoted, its quotes doubled, when it holds a comma, a quote or a line end.
void append_field(std::string& out, std::string_view text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos;
    if (quote) out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"') out += '"';
        out += (byte >= 0x20 && byte < 0x7F) || c == '\r' || c == '\n' ? c : '?';
    }
    if (quote) out += '"';
}

// Decimal digits, and nothing else, as a number.
std::optional<int> digits(std::string_view text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::string chart_csv(const ChartData& data, std::chrono::year_month_day day) {
    std::vector<const ChartPoint*> rows;
    rows.reserve(data.points.size());
    for (const ChartPoint& point : data.points) rows.push_back(&point);
    // The sounding of minute 00 is tried after minute 59 of its hour, and
    // the forecast is drawn before the soundings: time order, the forecast
    // first at the same time.
    std::stable_sort(rows.begin(), rows.end(), [](const ChartPoint* a, const ChartPoint* b) {
        return a->minute != b->minute ? a->minute < b->minute : a->series < b->series;
    });
    const std::string date = iso_date(day) + "T";
    std::string csv(header);
    csv.reserve(header.size() + 2 + 64 * rows.size());
    csv += "\r\n";
    for (const ChartPoint* point : rows) {
        csv += date;
        append_two_digits(csv, point->minute / 60);
        csv += ':';
        append_two_digits(csv, point->minute % 60);
        csv += ":00Z,";
        csv += series_names[static_cast<int>(point->series)];
        csv += ',';
        if (point->tenths) append_tenths(csv, *point->tenths);
        csv += ',';
        append_field(csv, point->file);
        csv += "\r\n";
    }
    return csv;
}

namespace {

// The first three fields of a line as they stand, or undone into `undone`
// where they hold a quote (longer ones are no time, series or value).
struct Fields {
    std::string_view first[3];
    std::array<std::array<char, 24>, 3> undone;
};

// The next line of `text`, taken off it, without its CR LF: a line ends at
// the first CR LF outside quotes, each quote opening or closing them.
// `quoted`: whether the line holds a quote. False when no line end comes.
inline bool next_line(std::string_view& text, std::string_view& line, bool& quoted) {
    std::size_t end = 0, quotes = 0;
    for (std::size_t from = 0;; from = end + 1) {
        end = text.find('\n', from);
        if (end == std::string_view::npos) return false;
        const std::string_view part = text.substr(from, end - from);
        for (std::size_t q = part.find('"'); q != std::string_view::npos; q = part.find('"', q + 1)) ++quotes;
        if (quotes % 2 == 0 && end > 0 && text[end - 1] == '\r') break;
    }
    line = text.substr(0, end - 1);
    text.remove_prefix(end + 1);
    quoted = quotes > 0;
    return true;
}

// The field of `line` that begins at `from` and holds a quote, the
// `count`th of its line, undone: a quote opens a quoted part where nothing
// is in the field yet, and inside, two quotes are one and one closes it.
// Kept as Fields::first[count] (count < 3) or in `file` (count 3, when not
// null). Where the comma after it is, npos at the line's end; nullopt for a
// quote left open or a field too long to be kept.
std::optional<std::size_t> undo_quoted_field(std::string_view line, std::size_t from, std::size_t count, Fields& fields,
                                             std::string* file) {
    if (count == 3 && file) file->clear();
    std::size_t length = 0;  // of the field so far
    const auto add = [&](char c) {
        if (count < 3) {
            if (length == fields.undone[count].size()) return false;
            fields.undone[count][length] = c;
        } else if (count == 3 && file) {
            *file += c;
        }
        ++length;
        return true;
    };
    bool quoted = false;
    std::size_t i = from;
    for (; i < line.size() && (quoted || line[i] != ','); ++i) {
        const char c = line[i];
        bool kept = true;
        if (quoted) {
            if (c != '"') kept = add(c);
            else if (i + 1 < line.size() && line[i + 1] == '"') kept = add('"'), ++i;
            else quoted = false;
        } else if (c == '"' && length == 0) {
            quoted = true;
        } else {
            kept = add(c);
        }
        if (!kept) return std::nullopt;
    }
    if (quoted) return std::nullopt;
    if (count < 3) fields.first[count] = {fields.undone[count].data(), length};
    return i < line.size() ? i : std::string_view::npos;
}

// Splits `line` at its commas outside quotes into `fields`, and the fourth
// field, the file's, into `file` when it is not null. A field without a
// quote is read in place. The number of commas; nullopt for a fault of a
// quoted field.
inline std::optional<std::size_t> split_fields(std::string_view line, bool quoted_line, Fields& fields,
                                               std::string* file) {
    for (std::size_t count = 0, from = 0;; ++count) {
        std::size_t comma = line.find(',', from);
        const std::string_view piece = line.substr(from, comma == std::string_view::npos ? comma : comma - from);
        if (quoted_line && piece.find('"') != std::string_view::npos) {
            const std::optional<std::size_t> after = undo_quoted_field(line, from, count, fields, file);
            if (!after) return std::nullopt;
            comma = *after;
        } else if (count < 3) {
            fields.first[count] = piece;
        } else if (count == 3 && file) {
            *file = piece;
        }
        if (comma == std::string_view::npos) return count;
        from = comma + 1;
    }
}

// The point of a row's first three fields, into `point` (its file left as
// it is); false for any text chart_csv does not write there.
inline bool read_point(const Fields& fields, ChartPoint& point) {
    // 2024-03-03T12:15:00Z
    const std::string_view time = fields.first[0];
    if (time.size() != 20 || time[10] != 'T' || time.substr(16) != ":00Z") return false;
    const auto hour = digits(time.substr(11, 2)), minute = digits(time.substr(14, 2));
    if (!hour || !minute || time[13] != ':' || *hour > 23 || *minute > 59) return false;
    point.minute = *hour * 60 + *minute;
    if (fields.first[1] == series_names[0]) point.series = ChartPoint::Series::forecast;
    else if (fields.first[1] != series_names[1]) return false;
    if (!fields.first[2].empty()) {
        point.tenths = read_tenths(fields.first[2]);
        if (!point.tenths) return false;
    } else if (point.series == ChartPoint::Series::forecast) {
        return false;
    }
    return true;
}

// Calls `row` with each point of a CSV that chart_csv wrote, in the file's
// order, and its file name too when `with_files`; false for any other text,
// and then `row` may have been called for the points before the fault.
// Reads the text in place: a month reads back a year of days' CSVs, and a
// row costs a few searches of its bytes, no allocation. Its steps are
// inlined into it (flatten), as a month's read of a year of rows wants.
template <typename Row>
[[gnu::flatten]] bool read_points(std::string_view text, bool with_files, Row&& row) {
    if (!text.starts_with(header) || !text.substr(header.size()).starts_with("\r\n")) return false;
    text.remove_prefix(header.size() + 2);
    std::string file;
    Fields fields;
    while (!text.empty()) {
        std::string_view line;
        bool quoted = false;
        if (!next_line(text, line, quoted)) return false;
        if (split_fields(line, quoted, fields, with_files ? &file : nullptr) != 3) return false;
        ChartPoint point;
        if (!read_point(fields, point)) return false;
        if (with_files) point.file = std::move(file);
        row(std::move(point));
    }
    return true;
}

}  // namespace

std::optional<ChartData> read_chart_csv(std::string_view text) {
    ChartData data;
    if (!read_points(text, true, [&](ChartPoint&& point) { data.points.push_back(std::move(point)); })) return std::nullopt;
    data.forecast_drawn = std::any_of(data.points.begin(), data.points.end(),
                                      [](const ChartPoint& p) { return p.series == ChartPoint::Series::forecast; });
    return data;
}

std::optional<std::vector<ObservedValue>> read_observed_values(std::string_view text) {
    std::vector<ObservedValue> values;
    const bool read = read_points(text, false, [&](ChartPoint&& point) {
        if (point.series == ChartPoint::Series::observed) values.push_back({point.minute, point.tenths});
    });
    if (!read) return std::nullopt;
    return values;
}
