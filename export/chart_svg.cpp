#include "export/chart_svg.h"

#include <optional>
#include <string_view>
#include <vector>

#include "app/day_keys.h"
#include "export/chart_csv.h"
#include "export/chart_description.h"

// The file:
//   1. The XML declaration and the root, sized in pixels of the bitmap.
//   2. Its title and description, which name the picture.
//   3. The background.
//   4. The drawing operations in their order, consecutive ones of the same
//      colours in one group; lines without a title merged into one path.
//      Coordinates are pixel centres: the group is moved by half a unit.

namespace {

std::string colour(Rgb c) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string text = "#";
    for (const std::uint8_t v : {c.r, c.g, c.b}) {
        text += hex[v >> 4];
        text += hex[v & 15];
    }
    // #rrggbb as #rgb where it can be.
    if (text[1] == text[2] && text[3] == text[4] && text[5] == text[6]) return {'#', text[1], text[3], text[5]};
    return text;
}

std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string time_of(const ChartPoint& point) {
    return zero_padded(point.minute / 60, 2) + ":" + zero_padded(point.minute % 60, 2) + " UT";
}

// "12:15 UT: 12.3 MHz", "12:30 UT: no value", "13:00 UT forecast: 14.2 MHz"
std::string title_of(const ChartPoint& point) {
    const std::string value = point.tenths ? megahertz(*point.tenths) + " MHz" : "no value";
    return time_of(point) + (point.series == ChartPoint::Series::forecast ? " forecast: " : ": ") + value;
}

// Consecutive operations painted alike: lines and circles of one outline
// colour (and, for circles, one fill), or texts of one colour.
struct Group {
    bool text = false;
    Rgb stroke;                 // lines and circles; for texts, their colour
    std::optional<Rgb> fill;    // the circles' fill; none for outlines alone
    bool fill_known = false;    // a circle has said what the fill is
    std::size_t first = 0, end = 0;
};

std::vector<Group> groups_of(const DrawingLog& operations) {
    std::vector<Group> groups;
    for (std::size_t i = 0; i < operations.size(); ++i) {
        const DrawnOperation& op = operations[i];
        const bool text = op.kind == DrawnOperation::Kind::text;
        const bool circle = op.kind == DrawnOperation::Kind::circle;
        if (!groups.empty()) {
            Group& g = groups.back();
            const bool fits = g.text == text && g.stroke == op.colour &&
                              (!circle || !g.fill_known || g.fill == op.fill);
            if (fits) {
                if (circle && !g.fill_known) g.fill = op.fill, g.fill_known = true;
                g.end = i + 1;
                continue;
            }
        }
        groups.push_back({text, op.colour, circle ? op.fill : std::nullopt, circle, i, i + 1});
    }
    return groups;
}

// The path data of a line from its first end to its second.
std::string line_data(const DrawnOperation& op) {
    std::string d = "M" + std::to_string(op.column) + " " + std::to_string(op.row);
    if (op.end_row == op.row && op.end_column != op.column) return d + "H" + std::to_string(op.end_column);
    if (op.end_column == op.column) return d + "V" + std::to_string(op.end_row);
    return d + " " + std::to_string(op.end_column) + " " + std::to_string(op.end_row);
}

}  // namespace

std::string chart_svg(const DrawingLog& operations, Rgb background, int width, int height, const ChartData& data,
                      std::chrono::year_month_day day) {
    std::vector<const ChartPoint*> point_of(operations.size(), nullptr);
    for (const ChartPoint& point : data.points)
        if (point.operation < point_of.size()) point_of[point.operation] = &point;

    // 1. The root
    const std::string w = std::to_string(width), h = std::to_string(height);
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
                      "\" viewBox=\"0 0 " + w + " " + h + "\" role=\"img\" aria-labelledby=\"title desc\">\n";
    // 2. Title and description
    svg += "<title id=\"title\">" + escaped("MUF(3000)F2, " + long_date(day)) + "</title>\n";
    svg += "<desc id=\"desc\">" + escaped(chart_description(data, day)) + "</desc>\n";
    // 3. The background
    svg += "<rect width=\"" + w + "\" height=\"" + h + "\" fill=\"" + colour(background) + "\"/>\n";
    // 4. The drawing
    svg += "<g transform=\"translate(.5 .5)\" shape-rendering=\"crispEdges\" stroke-linecap=\"square\" "
           "font-family=\"Helvetica, Arial, sans-serif\" font-size=\"11\">\n";
    for (const Group& g : groups_of(operations)) {
        if (g.text) svg += "<g fill=\"" + colour(g.stroke) + "\">\n";
        else svg += "<g stroke=\"" + colour(g.stroke) + "\" fill=\"" + (g.fill ? colour(*g.fill) : "none") + "\">\n";
        std::string path;  // lines without a title, merged until something else comes
        const auto end_path = [&] {
            if (!path.empty()) svg += "<path d=\"" + path + "\"/>\n";
            path.clear();
        };
        for (std::size_t i = g.first; i < g.end; ++i) {
            const DrawnOperation& op = operations[i];
            const ChartPoint* point = point_of[i];
            const std::string title = point ? "<title>" + escaped(title_of(*point)) + "</title>" : "";
            switch (op.kind) {
                case DrawnOperation::Kind::line:
                    if (!point) {
                        path += line_data(op);
                        continue;
                    }
                    end_path();
                    svg += "<path d=\"" + line_data(op) + "\">" + title + "</path>\n";
                    break;
                case DrawnOperation::Kind::circle:
                    end_path();
                    svg += "<circle cx=\"" + std::to_string(op.column) + "\" cy=\"" + std::to_string(op.row) +
                           "\" r=\"" + std::to_string(op.radius) + (point ? "\">" + title + "</circle>\n" : "\"/>\n");
                    break;
                case DrawnOperation::Kind::text:
                    // The baseline lies 11 rows below the top of the text's cell.
                    svg += "<text x=\"" + std::to_string(op.column) + "\" y=\"" + std::to_string(op.row + 11) + "\">" +
                           escaped(op.text) + "</text>\n";
                    break;
            }
        }
        end_path();
        svg += "</g>\n";
    }
    return svg + "</g>\n</svg>\n";
}
