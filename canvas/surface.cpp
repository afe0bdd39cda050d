#include "canvas/surface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "canvas/font.h"

Surface::Surface() {
    image_.width = width;
    image_.height = height;
    image_.pixels.assign(static_cast<std::size_t>(width) * height, 0);
    image_.palette.assign(1, BackColor);
}

void Surface::Scale(float x1, float y1, float x2, float y2) {
    left_ = x1;
    top_ = y1;
    units_x_ = x2 - x1;
    units_y_ = y2 - y1;
}

// Positions far outside the surface are clamped before the conversion to
// int, so even a wild value only draws off the edge.
static int to_pixel(float position) {
    const float clamped = std::fmax(-1.0e6f, std::fmin(1.0e6f, position));
    return static_cast<int>(std::floor(clamped + 0.5f));
}

int Surface::column(float x) const { return to_pixel((x - left_) * (width / units_x_)); }

int Surface::row(float y) const { return to_pixel((y - top_) * (height / units_y_)); }

void Surface::plot(int column, int row, std::uint8_t index) {
    if (column < 0 || column >= width || row < 0 || row >= height) return;  // cut off at the edges
    image_.pixels[static_cast<std::size_t>(row) * width + column] = index;
}

DrawnOperation* Surface::note(DrawnOperation::Kind kind, int column, int row, Rgb colour) {
    ++operations_;
    if (!logging_) return nullptr;
    DrawnOperation& operation = log_.emplace_back();
    operation.kind = kind;
    operation.column = column;
    operation.row = row;
    operation.colour = colour;
    return &operation;
}

void Surface::Line(float x1, float y1, float x2, float y2, Rgb colour) {
    // Bresenham between the two end pixels, both painted.
    const int index = index_of(colour);
    int c = column(x1), r = row(y1);
    const int c_end = column(x2), r_end = row(y2);
    if (DrawnOperation* op = note(DrawnOperation::Kind::line, c, r, colour)) {
        op->end_column = c_end;
        op->end_row = r_end;
    }
    const int dc = std::abs(c_end - c), dr = -std::abs(r_end - r);
    const int step_c = c < c_end ? 1 : -1, step_r = r < r_end ? 1 : -1;
    int error = dc + dr;
    for (;;) {
        if (index >= 0) plot(c, r, static_cast<std::uint8_t>(index));
        if (c == c_end && r == r_end) break;
        const int twice = 2 * error;
        if (twice >= dr) {
            error += dr;
            c += step_c;
        }
        if (twice <= dc) {
            error += dc;
            r += step_r;
        }
    }
    CurrentX = x2;
    CurrentY = y2;
}

void Surface::span(int row, int from, int to, int index) {
    if (index < 0 || row < 0 || row >= height) return;
    from = std::max(from, 0);
    to = std::min(to, width - 1);
    std::uint8_t* const pixels = image_.pixels.data() + static_cast<std::size_t>(row) * width;
    for (int c = from; c <= to; ++c) pixels[c] = static_cast<std::uint8_t>(index);
}

const std::vector<Surface::DiscPixel>& Surface::disc(int rp) {
    if (rp == disc_radius_) return disc_;
    disc_.clear();
    const long limit = static_cast<long>(rp) * rp + rp;
    const auto inside = [limit](long dc, long dr) { return dc * dc + dr * dr <= limit; };
    for (int dr = -rp; dr <= rp; ++dr) {
        for (int dc = -rp; dc <= rp; ++dc) {
            if (!inside(dc, dr)) continue;
            const bool edge = !inside(dc - 1, dr) || !inside(dc + 1, dr) || !inside(dc, dr - 1) || !inside(dc, dr + 1);
            disc_.push_back({dr * width + dc, edge});
        }
    }
    disc_radius_ = rp;
    return disc_;
}

void Surface::Circle(float x, float y, float radius, Rgb colour) {
    // The radius is in x units, so a circle is round in pixels however the
    // y scale is stretched. A pixel belongs to the disc when its distance
    // from the centre is within radius + 1/2; it is on the outline when one
    // of its four neighbours is not.
    const int outline = index_of(colour);
    const int fill = FillStyle == Fill::solid ? index_of(FillColor) : -1;
    const int c0 = column(x), r0 = row(y);
    const int rp = to_pixel(std::fabs(radius * (width / units_x_)));
    if (DrawnOperation* op = note(DrawnOperation::Kind::circle, c0, r0, colour)) {
        op->radius = rp;
        if (FillStyle == Fill::solid) op->fill = FillColor;
    }
    // A dot wholly inside the surface, as every dot of a chart is: its
    // pixels, worked out once for its radius, painted one by one.
    if (rp <= max_stencil_radius && c0 - rp >= 0 && c0 + rp < width && r0 - rp >= 0 && r0 + rp < height) {
        std::uint8_t* const centre = image_.pixels.data() + static_cast<std::size_t>(r0) * width + c0;
        for (const DiscPixel& pixel : disc(rp)) {
            const int index = pixel.edge ? outline : fill;
            if (index >= 0) centre[pixel.offset] = static_cast<std::uint8_t>(index);
        }
        CurrentX = x;
        CurrentY = y;
        return;
    }
    // Row dr of the disc spans the columns -half(dr) to half(dr); -1 for a
    // row outside it. A pixel of a row is on the outline at either end of
    // its row, and where the row above or below is narrower than it.
    const long long limit = static_cast<long long>(rp) * rp + rp;
    const auto half = [&](long long dr) {
        if (dr < -rp || dr > rp) return -1LL;
        long long w = rp;
        while (w * w + dr * dr > limit) --w;
        return w;
    };
    long long above = -1, here = half(-rp);
    for (long long dr = -rp; dr <= rp; ++dr) {
        const long long below = half(dr + 1);
        const int r = static_cast<int>(std::clamp<long long>(r0 + dr, -1, height));
        const long long inner = std::min({above, below, here - 1});  // the columns within it that are no outline
        const auto at = [&](long long dc) { return static_cast<int>(std::clamp<long long>(c0 + dc, -1, width)); };
        if (inner >= 0) {
            span(r, at(-inner), at(inner), fill);
            span(r, at(-here), at(-inner - 1), outline);
            span(r, at(inner + 1), at(here), outline);
        } else {
            span(r, at(-here), at(here), outline);
        }
        above = here;
        here = below;
    }
    CurrentX = x;
    CurrentY = y;
}

void Surface::Print(std::string_view text) {
    const int index = index_of(ForeColor);
    int origin = column(CurrentX);
    const int top = row(CurrentY);
    if (DrawnOperation* op = note(DrawnOperation::Kind::text, origin, top, ForeColor)) op->text = text;
    for (const char ch : text) {
        const int code = static_cast<unsigned char>(ch);
        const font::Glyph& glyph =
            font::glyphs[(code >= font::first_char && code <= font::last_char ? code : ' ') - font::first_char];
        for (int r = 0; r < glyph.height; ++r) {
            const unsigned bits = font::rows[glyph.offset + r];
            for (int c = 0; c < glyph.width; ++c) {
                if ((bits & (1u << c)) && index >= 0)
                    plot(origin + glyph.left + c, top + glyph.top + r, static_cast<std::uint8_t>(index));
            }
        }
        origin += glyph.advance;
    }
    // The next text line starts at the left edge, one line lower.
    CurrentX = left_;
    CurrentY += font::line_height * (units_y_ / height);
}

void Surface::Cls() {
    image_.palette.assign(1, BackColor);
    image_.fill(0);
    operations_ = 0;
    log_.clear();
    CurrentX = 0;
    CurrentY = 0;
}
