#pragma once
// The drawing surface: the window's persistent 286 x 221 bitmap with the
// chart scale and the few drawing operations the charts are made of.
// Nothing is smoothed: every pixel holds one of the colours drawn. The
// bitmap holds palette indices: after Cls the palette is BackColor alone,
// and each colour is added to it when it is first drawn, up to 256 colours;
// a drawing in a colour beyond them draws nothing.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "canvas/chart_size.h"
#include "canvas/drawing_log.h"
#include "canvas/image.h"

class Surface {
public:
    static constexpr int width = chart_width;
    static constexpr int height = chart_height;

    enum class Fill { solid = 0, transparent = 1 };

    Surface();

    // (x1, y1) becomes the top-left corner, (x2, y2) the bottom-right one.
    void Scale(float x1, float y1, float x2, float y2);
    // A 1-pixel solid line, both end points painted.
    void Line(float x1, float y1, float x2, float y2, Rgb colour);
    // A true circle in pixels; the radius is in x units. Filled with
    // FillColor when FillStyle is solid.
    void Circle(float x, float y, float radius, Rgb colour);
    // Text in ForeColor, its top-left corner at (CurrentX, CurrentY).
    void Print(std::string_view text);
    // Every pixel becomes BackColor; the position goes to (0, 0).
    void Cls();

    float CurrentX = 0;
    float CurrentY = 0;
    Rgb ForeColor = colours::pale_yellow;
    Rgb BackColor = colours::black;
    Rgb FillColor = colours::black;
    Fill FillStyle = Fill::transparent;

    const Image& image() const { return image_; }

    // The drawing operations since the surface was last cleared: how many,
    // and, once logging is on, what each drew.
    std::size_t operations() const { return operations_; }
    void log_operations(bool on) { logging_ = on; }
    const DrawingLog& log() const { return log_; }

    // Pixel column and row of a chart position, rounded to the nearest pixel.
    int column(float x) const;
    int row(float y) const;

private:
    void plot(int column, int row, std::uint8_t index);
    // Columns `from` to `to` of `row` in colour `index` (none when -1), cut
    // off at the edges.
    void span(int row, int from, int to, int index);
    // The pixels of a disc of `radius` pixels, as offsets from its centre in
    // the bitmap, each on its outline or not; kept for the radius last asked.
    struct DiscPixel {
        int offset;
        bool edge;
    };
    static constexpr int max_stencil_radius = 16;
    const std::vector<DiscPixel>& disc(int radius);
    // The palette index of `colour`; -1 when the palette is full.
    int index_of(Rgb colour) { return image_.index_of(colour); }
    // Counts an operation; where operations are logged, its entry, to fill in.
    DrawnOperation* note(DrawnOperation::Kind kind, int column, int row, Rgb colour);

    Image image_;
    std::vector<DiscPixel> disc_;
    int disc_radius_ = -1;
    std::size_t operations_ = 0;
    bool logging_ = false;
    DrawingLog log_;
    float left_ = 0, top_ = 0, units_x_ = width, units_y_ = height;
};
