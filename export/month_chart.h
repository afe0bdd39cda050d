#pragma once
// The month's chart, yyyy-mm.gif: on the frame and the forecast that a
// day's chart has, each hour's median as a red dot at the whole hour,
// joined by red segments between consecutive hours that both have one, a
// red vertical bar three pixels wide from the lower to the upper quartile,
// and the stamp "Median: mm/yyyy". And the same as a vector picture,
// yyyy-mm.svg.

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "canvas/surface.h"
#include "export/month_files.h"

// A median's dot or one of the three lines of a quartile bar: the surface's
// operation that drew it.
struct MonthMark {
    std::size_t operation = 0;
    int hour = 0;
    bool median = false;  // its dot; else its quartile bar
};

// Draws the medians, the bars and the stamp over what the surface holds
// (the frame and the forecast); the marks drawn, in order.
std::vector<MonthMark> draw_month_medians(Surface& surface, std::chrono::year_month month, const MonthFigures& figures);

// The SVG of the chart the surface logged: titled "MUF(3000)F2 medians,
// March 2024", described as month_description says, each dot and bar
// with a title of its hour and values.
std::string month_chart_svg(const Surface& surface, const MonthData& data, const MonthFigures& figures,
                            const std::vector<MonthMark>& marks);
