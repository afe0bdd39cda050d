#include "canvas/font.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const font::Glyph& glyph(char c) { return font::glyphs[c - font::first_char]; }

std::string name(int c) { return std::string("'") + char(c) + "'"; }

// Every row of c's inked box, or-ed together: bit i set when column i has ink.
unsigned inked_columns(char c) {
    unsigned all = 0;
    for (int r = 0; r < glyph(c).height; ++r) all |= font::rows[glyph(c).offset + r];
    return all;
}

int bottom(char c) { return glyph(c).top + glyph(c).height; }

TEST(Font, EveryGlyphIsATightInkBoxInsideItsLineAndCell) {
    int next_offset = 0;
    for (int c = font::first_char; c <= font::last_char; ++c) {
        SCOPED_TRACE(name(c));
        const font::Glyph& g = font::glyphs[c - font::first_char];
        EXPECT_GT(g.advance, 0);
        if (c == ' ') {
            EXPECT_EQ(g.width * g.height, 0);
            continue;
        }
        ASSERT_GT(g.width, 0);
        ASSERT_GT(g.height, 0);
        ASSERT_LE(g.width, 16);
        EXPECT_GE(g.top, 0);
        EXPECT_LE(g.top + g.height, font::line_height);
        // Ink may lean one pixel left of the origin (the tails of 'j' and
        // 'y') but never runs into the next character's cell.
        EXPECT_GE(g.left, -1);
        EXPECT_LE(g.left + g.width, g.advance);
        // Each glyph has rows of its own, and they follow the previous one's.
        EXPECT_GE(g.offset, next_offset);
        next_offset = g.offset + g.height;

        const unsigned fits = (1u << g.width) - 1;
        for (int r = 0; r < g.height; ++r)
            EXPECT_EQ(font::rows[g.offset + r] & ~fits, 0u) << "row " << r;
        // The box is tight: ink in its first and last rows and columns.
        EXPECT_NE(font::rows[g.offset], 0);
        EXPECT_NE(font::rows[g.offset + g.height - 1], 0);
        EXPECT_EQ(inked_columns(char(c)) & 1u, 1u);
        EXPECT_NE(inked_columns(char(c)) >> (g.width - 1), 0u);
    }
}

TEST(Font, IsProportionalWithTabularDigits) {
    const char narrow_wide[][2] = {{'i', 'M'}, {'l', 'W'}, {'.', 'm'}, {'I', 'H'}, {' ', '0'}};
    for (const auto& pair : narrow_wide) {
        SCOPED_TRACE(name(pair[0]) + " < " + name(pair[1]));
        EXPECT_LT(glyph(pair[0]).advance, glyph(pair[1]).advance);
    }
    // Axis labels line up only if every digit takes the same room.
    for (char d = '0'; d <= '9'; ++d) {
        SCOPED_TRACE(name(d));
        EXPECT_EQ(glyph(d).advance, glyph('0').advance);
        EXPECT_LE(glyph(d).left + glyph(d).width, glyph('0').advance);
    }
}

TEST(Font, SitsOnOneBaselineAsMsSansSerifDoes) {
    // Baseline under row 10 of the 13-pixel line, capitals 8 rows high.
    for (char c : std::string("HEMZ0123456789xnm.")) {
        SCOPED_TRACE(name(c));
        EXPECT_EQ(bottom(c), 11);
    }
    for (char c : std::string("HEMZ0bdhkl")) {
        SCOPED_TRACE(name(c));
        EXPECT_EQ(glyph(c).top, 3);
    }
    for (char c : std::string("gjpqy")) {
        SCOPED_TRACE(name(c));
        EXPECT_GT(bottom(c), 11);
    }
    EXPECT_GT(glyph('x').top, glyph('H').top);  // a lower-case letter is shorter
}

TEST(Font, GlyphBitsRunLeftToRight) {
    // 'l' is one full-height column.
    const font::Glyph& l = glyph('l');
    ASSERT_EQ(l.width, 1);
    ASSERT_EQ(l.height, 8);
    for (int r = 0; r < l.height; ++r) EXPECT_EQ(font::rows[l.offset + r], 1u);

    // 'L': its stem is the left column (bit 0), its foot the whole last row.
    const font::Glyph& L = glyph('L');
    const unsigned full = (1u << L.width) - 1;
    for (int r = 0; r < L.height - 1; ++r) EXPECT_EQ(font::rows[L.offset + r], 1u) << "row " << r;
    EXPECT_EQ(font::rows[L.offset + L.height - 1], full);

    // '7': a full top bar, then a stroke that ends further left than it starts.
    const font::Glyph& seven = glyph('7');
    EXPECT_EQ(font::rows[seven.offset], (1u << seven.width) - 1);
    EXPECT_GT(font::rows[seven.offset + 1], font::rows[seven.offset + seven.height - 1]);
}

}  // namespace
