#pragma once
// A picture as plain RGB pixels, row 0 at the top: what the surface holds,
// what the BMP reader gives back and what the GIF writer encodes.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
// Three bytes and no padding, so pixels compare and copy as plain bytes.
static_assert(sizeof(Rgb) == 3);

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
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // width * height, row by row from the top

    Rgb at(int column, int row) const { return pixels[static_cast<std::size_t>(row) * width + column]; }

    // Every pixel `colour`: the first set, then copied in doubling blocks.
    void fill(Rgb colour) {
        if (pixels.empty()) return;
        pixels[0] = colour;
        for (std::size_t done = 1; done < pixels.size(); done *= 2)
            std::memcpy(pixels.data() + done, pixels.data(), std::min(done, pixels.size() - done) * sizeof(Rgb));
    }

    friend bool operator==(const Image& a, const Image& b) {
        return a.width == b.width && a.height == b.height && a.pixels.size() == b.pixels.size() &&
               (a.pixels.empty() || std::memcmp(a.pixels.data(), b.pixels.data(), a.pixels.size() * sizeof(Rgb)) == 0);
    }
};
