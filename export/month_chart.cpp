#include "export/month_chart.h"

#include <optional>

#include "app/date_text.h"
#include "export/chart_svg.h"
#include "export/markup.h"

std::vector<MonthMark> draw_month_medians(Surface& s, std::chrono::year_month month, const MonthFigures& figures) {
    std::vector<MonthMark> marks;
    std::optional<std::int16_t> previous;  // the median of the hour before
    for (int h = 0; h < 24; ++h) {
        const HourStatistics& hour = figures.hours[h];
        const auto x = static_cast<float>(10 * h);
        if (hour.lower_quartile && hour.upper_quartile) {
            s.Line(x, *hour.lower_quartile, x, *hour.upper_quartile, colours::red);
            marks.push_back({s.operations() - 1, h, false});
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
