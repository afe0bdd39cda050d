#include "export/chart_svg.h"

#include <optional>
#include <string_view>
#include <vector>

#include "app/date_text.h"
#include "export/chart_description.h"
#include "export/markup.h"

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

// "<title>12:15 UT: 12.3 MHz</title>", "12:30 UT: no value", "13:00 UT forecast: 14.2 MHz"
void append_title(std::string& out, const ChartPoint& point) {
    out += "<title>";
    append_two_digits(out, point.minute / 60);
    out += ':';
    append_two_digits(out, point.minute % 60);
    out += point.series == ChartPoint::Series::forecast ? " UT forecast: " : " UT: ";
    if (point.tenths) {
        out += tenths_text(*point.tenths);
        out += " MHz";
    } else {
        out += "no value";
    }
    out += "</title>";
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
void append_line_data(std::string& out, const DrawnOperation& op) {
    out += 'M';
    append_number(out, op.column);
    out += ' ';
    append_number(out, op.row);
    if (op.end_row == op.row && op.end_column != op.column) {
        out += 'H';
        append_number(out, op.end_column);
    } else if (op.end_column == op.column) {
        out += 'V';
        append_number(out, op.end_row);
    } else {
        out += ' ';
        append_number(out, op.end_column);
        out += ' ';
        append_number(out, op.end_row);
    }
}

// The picture's width and height, with the texts before, between and after them.
void append_size(std::string& svg, int width, int height, std::string_view before, std::string_view between,
                 std::string_view after) {
    svg += before;
    append_number(svg, width);
    svg += between;
    append_number(svg, height);
    svg += after;
}

// 1. The root
void append_root(std::string& svg, int width, int height) {
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"";
    append_size(svg, width, height, " width=\"", "\" height=\"", "\"");
    append_size(svg, width, height, " viewBox=\"0 0 ", " ", "\" role=\"img\" aria-labelledby=\"title desc\">\n");
}

// 2. Title and description
void append_names(std::string& svg, std::string_view title, std::string_view description) {
    svg += "<title id=\"title\">";
    append_escaped(svg, title);
    svg += "</title>\n<desc id=\"desc\">";
    append_escaped(svg, description);
    svg += "</desc>\n";
}

// 3. The background
void append_background(std::string& svg, Rgb background, int width, int height) {
    append_size(svg, width, height, "<rect width=\"", "\" height=\"", "\" fill=\"" + colour(background) + "\"/>\n");
}

// A circle, with its title when it has one.
void append_circle(std::string& svg, const DrawnOperation& op, std::size_t i, bool titled,
                   const OperationTitle& title_of) {
    svg += "<circle cx=\"";
    append_number(svg, op.column);
    svg += "\" cy=\"";
    append_number(svg, op.row);
    svg += "\" r=\"";
    append_number(svg, op.radius);
    if (titled) {
        svg += "\">";
        title_of(i, &svg);
        svg += "</circle>\n";
    } else {
        svg += "\"/>\n";
    }
}

void append_text(std::string& svg, const DrawnOperation& op) {
    // The baseline lies 11 rows below the top of the text's cell.
    svg += "<text x=\"";
    append_number(svg, op.column);
    svg += "\" y=\"";
    append_number(svg, op.row + 11);
    svg += "\">";
    append_escaped(svg, op.text);
    svg += "</text>\n";
}

// 4. One group of the drawing: its operations in their order, the lines
// without a title merged into one path until something else comes.
void append_group(std::string& svg, const DrawingLog& operations, const Group& g, const OperationTitle& title_of) {
    if (g.text) {
        svg += "<g fill=\"" + colour(g.stroke) + "\">\n";
    } else {
        svg += "<g stroke=\"" + colour(g.stroke) + "\" fill=\"" + (g.fill ? colour(*g.fill) : "none") + "\">\n";
    }
    bool in_path = false;
    const auto end_path = [&] {
        if (in_path) svg += "\"/>\n";
        in_path = false;
    };
    for (std::size_t i = g.first; i < g.end; ++i) {
        const DrawnOperation& op = operations[i];
        const bool titled = title_of(i, nullptr);
        switch (op.kind) {
            case DrawnOperation::Kind::line:
                if (!titled) {
                    if (!in_path) svg += "<path d=\"";
                    in_path = true;
                    append_line_data(svg, op);
                    continue;
                }
                end_path();
                svg += "<path d=\"";
                append_line_data(svg, op);
                svg += "\">";
                title_of(i, &svg);
                svg += "</path>\n";
                break;
            case DrawnOperation::Kind::circle:
                end_path();
                append_circle(svg, op, i, titled, title_of);
                break;
            case DrawnOperation::Kind::text:
                append_text(svg, op);
                break;
        }
    }
    end_path();
    svg += "</g>\n";
}

// 4. The drawing
void append_drawing(std::string& svg, const DrawingLog& operations, const OperationTitle& title_of) {
    svg += "<g transform=\"translate(.5 .5)\" shape-rendering=\"crispEdges\" stroke-linecap=\"square\" "
           "font-family=\"Helvetica, Arial, sans-serif\" font-size=\"11\">\n";
    for (const Group& g : groups_of(operations)) append_group(svg, operations, g, title_of);
    svg += "</g>\n";
}

}  // namespace

std::string svg_picture(const DrawingLog& operations, Rgb background, int width, int height, std::string_view title,
                        std::string_view description, const OperationTitle& title_of) {
    std::string svg;
    svg.reserve(4096 + 80 * operations.size());
    append_root(svg, width, height);
    append_names(svg, title, description);
    append_background(svg, background, width, height);
    append_drawing(svg, operations, title_of);
    svg += "</svg>\n";
    return svg;
}

std::string chart_svg(const DrawingLog& operations, Rgb background, int width, int height, const ChartData& data,
                      std::chrono::year_month_day day) {
    std::vector<const ChartPoint*> point_of(operations.size(), nullptr);
    for (const ChartPoint& point : data.points)
        if (point.operation < point_of.size()) point_of[point.operation] = &point;
    return svg_picture(operations, background, width, height, "MUF(3000)F2, " + long_date(day),
                       chart_description(data, day), [&](std::size_t i, std::string* out) {
                           if (!point_of[i]) return false;
                           if (out) append_title(*out, *point_of[i]);
                           return true;
                       });
}
