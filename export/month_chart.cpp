#include "export/month_chart.h"

#include <optional>
#include <string_view>

#include "app/date_text.h"
#include "canvas/font.h"
#include "export/chart_svg.h"
#include "export/markup.h"

namespace {

// Pixels from the first character's origin to the end of the last one.
int text_width(std::string_view text) {
    int width = 0;
    for (const char ch : text) {
        const int code = static_cast<unsigned char>(ch);
        width += font::glyphs[(code >= font::first_char && code <= font::last_char ? code : ' ') - font::first_char]
                     .advance;
    }
    return width;
}

// `text` in the surface's text colour, as the frame's labels are, broken
// into lines of at most `width` pixels at its spaces, the first line's top
// left corner at (x, y); each line below the one before. A word wider than
// a line has a line of its own.
void print_lines(Surface& s, std::string_view text, float x, float y, int width) {
    s.CurrentY = y;
    while (!text.empty()) {
        std::size_t end = text.size();
        while (text_width(text.substr(0, end)) > width) {
            const std::size_t space = text.rfind(' ', end - 1);
            if (space == std::string_view::npos || space == 0) break;
            end = space;
        }
        s.CurrentX = x;
        s.Print(text.substr(0, end));  // moves CurrentY a line down
        text.remove_prefix(end);
        while (text.starts_with(' ')) text.remove_prefix(1);
    }
}

}  // namespace

std::vector<MonthMark> draw_month_medians(Surface& s, std::chrono::year_month month, const MonthFigures& figures) {
    std::vector<MonthMark> marks;
    std::optional<std::int16_t> previous;  // the median of the hour before
    for (int h = 0; h < 24; ++h) {
        const HourStatistics& hour = figures.hours[h];
        const auto x = static_cast<float>(10 * h);
        if (hour.lower_quartile && hour.upper_quartile) {
            // Three pixels wide, the hour's column and one either side (a
            // unit of x is a pixel), over the forecast's white.
            for (const float column : {x - 1, x, x + 1}) {
                s.Line(column, *hour.lower_quartile, column, *hour.upper_quartile, colours::red);
                marks.push_back({s.operations() - 1, h, false});
            }
        }
        if (hour.median) {
            s.FillStyle = Surface::Fill::solid;
            s.FillColor = colours::red;
            s.Circle(x, *hour.median, 2, colours::red);
            marks.push_back({s.operations() - 1, h, true});
            if (previous) s.Line(x - 10, *previous, x, *hour.median, colours::red);
        }
        previous = hour.median;
    }
    // Without medians, the chart says why, inside the plot area between
    // the 50 and the 35 MHz grid lines.
    if (const std::string few = too_few_for_medians(figures); !few.empty()) print_lines(s, few, 8, 490, 225);
    s.CurrentX = 75;
    s.CurrentY = 600;
    s.Print("Median: " + month_slash_year(month));
    return marks;
}

std::string month_chart_svg(const Surface& surface, const MonthData& data, const MonthFigures& figures,
                            const std::vector<MonthMark>& marks) {
    const DrawingLog& operations = surface.log();
    std::vector<const MonthMark*> mark_of(operations.size(), nullptr);
    for (const MonthMark& mark : marks)
        if (mark.operation < mark_of.size()) mark_of[mark.operation] = &mark;
    const std::string title = "MUF(3000)F2 medians, " + month_year(data.month);
    // "13:00 UT: median 14.8 MHz of 27 days", "13:00 UT: quartiles 13.9 to 15.6 MHz"
    return svg_picture(operations, surface.BackColor, Surface::width, Surface::height, title,
                       month_description(data, figures), [&](std::size_t i, std::string* out) {
                           const MonthMark* mark = mark_of[i];
                           if (!mark) return false;
                           if (!out) return true;
                           const HourStatistics& hour = figures.hours[mark->hour];
                           *out += "<title>";
                           append_two_digits(*out, mark->hour);
                           if (mark->median) {
                               *out += ":00 UT: median ";
                               append_tenths(*out, *hour.median);
                               *out += " MHz of " + counted(hour.count, "day");
                           } else {
                               *out += ":00 UT: quartiles ";
                               append_tenths(*out, *hour.lower_quartile);
                               *out += " to ";
                               append_tenths(*out, *hour.upper_quartile);
                               *out += " MHz";
                           }
                           *out += "</title>";
                           return true;
                       });
}
