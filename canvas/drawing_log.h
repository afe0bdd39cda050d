#pragma once
// The drawing operations of one chart as the surface carried them out, in
// pixels of the surface: what a vector picture of the same chart is made
// of, so that it shows what the bitmap shows.

#include <optional>
#include <string>
#include <vector>

#include "canvas/image.h"

struct DrawnOperation {
    enum class Kind { line, circle, text };
    Kind kind = Kind::line;
    // line: its first end; circle: its centre; text: the top-left corner of
    // its first character cell.
    int column = 0, row = 0;
    int end_column = 0, end_row = 0;  // line: its second end (both ends are painted)
    int radius = 0;                   // circle: in pixels
    Rgb colour;                       // line, circle outline, text
    std::optional<Rgb> fill;          // circle: the fill of a solid one
    std::string text;                 // text
};

using DrawingLog = std::vector<DrawnOperation>;
