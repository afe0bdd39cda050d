#pragma once
// The surface's bitmap font: a proportional face close to MS Sans Serif
// 8 point (Adobe Helvetica 8 point at 100 dpi), printable ASCII 32..126.
// The table in font_table.cpp is made by tools/make_font.py.

#include <cstdint>

namespace font {

struct Glyph {
    std::uint8_t advance;     // pixels from this character's origin to the next one's
    std::int8_t left;         // first inked column, relative to the origin
    std::int8_t top;          // first inked row, relative to the top of the line
    std::uint8_t width;       // inked columns
    std::uint8_t height;      // inked rows
    std::uint16_t offset;     // first row of the glyph in `rows`
};

constexpr int first_char = 32;
constexpr int last_char = 126;
constexpr int line_height = 13;  // pixels from one text line to the next

// Glyph of character c, first_char <= c <= last_char.
extern const Glyph glyphs[last_char - first_char + 1];

// One entry per inked row of a glyph: bit 0 is the glyph's left column.
extern const std::uint16_t rows[];

}  // namespace font
