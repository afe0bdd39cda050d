#pragma once
// The chart as a vector picture, NAME.svg beside NAME.gif: drawn from the
// operations that drew the bitmap, one unit of the picture a pixel of the
// bitmap, so that it is the same picture and sharp at any size. Lines and
// circles have the bitmap's end points, centres and radii, without
// smoothing; texts are in a sans-serif font at the bitmap's places. Each
// dot and tick carries its time and value as a title, which a browser shows
// under the pointer, and the picture is described for screen readers.
// Self-contained and inert: no script, no external reference; UTF-8 XML.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "canvas/drawing_log.h"
#include "series/chart_data.h"

std::string chart_svg(const DrawingLog& operations, Rgb background, int width, int height, const ChartData& data,
                      std::chrono::year_month_day day);

// The picture of `operations` as chart_svg draws it, with its title and
// description. `title_of(i, out)` tells whether operation i carries a title
// of its own, and when `out` is not null appends it there as a <title>
// element.
using OperationTitle = std::function<bool(std::size_t operation, std::string* out)>;
std::string svg_picture(const DrawingLog& operations, Rgb background, int width, int height, std::string_view title,
                        std::string_view description, const OperationTitle& title_of);
