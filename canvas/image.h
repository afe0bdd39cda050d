#pragma once
// A picture as palette indices, one byte a pixel, row 0 at the top: what the
// surface draws into, what the BMP reader gives back and what the GIF writer
// encodes as it is.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The colours of a chart.
namespace colours {
constexpr Rgb black{0, 0, 0};                // the background
constexpr Rgb yellow{255, 255, 0};           // the border
constexpr Rgb grey{100, 100, 100};           // the grid
constexpr Rgb white{255, 255, 255};          // the forecast
constexpr Rgb red{255, 0, 0};                // the observed values
constexpr Rgb green{0, 255, 0};              // soundings without value
constexpr Rgb pale_yellow{255, 255, 128};    // the texts
}  // namespace colours

struct Image {
    static constexpr std::size_t max_colours = 256;

    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * height indices into `palette`, row by row from the top
    // At most max_colours; it may hold colours that no pixel has (one drawn
    // only off the edge, or painted over), and a read file's table may hold
    // a colour twice.
    std::vector<Rgb> palette;

    Rgb at(int column, int row) const { return palette[pixels[static_cast<std::size_t>(row) * width + column]]; }

    // The index of `colour` in the palette, added at its end when it is not
    // there yet; -1 when it is not there and the palette is full.
    int index_of(Rgb colour) {
        for (std::size_t i = 0; i < palette.size(); ++i) {
            if (palette[i] == colour) return static_cast<int>(i);
        }
        if (palette.size() == max_colours) return -1;
        palette.push_back(colour);
        return static_cast<int>(palette.size() - 1);
    }

    // Every pixel the colour of palette entry `index`.
    void fill(std::uint8_t index);

    // Whether every pixel's index is one of the palette's.
    bool indices_within_palette() const;

    // The same size and the same colour at every pixel, whatever the order
    // of the two palettes.
    friend bool operator==(const Image& a, const Image& b) {
        if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size()) return false;
        if (a.palette == b.palette)
            return a.pixels.empty() || std::memcmp(a.pixels.data(), b.pixels.data(), a.pixels.size()) == 0;
        for (std::size_t i = 0; i < a.pixels.size(); ++i) {
            if (a.pixels[i] >= a.palette.size() || b.pixels[i] >= b.palette.size() ||
                !(a.palette[a.pixels[i]] == b.palette[b.pixels[i]]))
                return false;
        }
        return true;
    }
};
