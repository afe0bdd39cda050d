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

namespace colori {
constexpr Rgb nero{0, 0, 0};
constexpr Rgb giallo{255, 255, 0};
constexpr Rgb grigio{100, 100, 100};
constexpr Rgb bianco{255, 255, 255};
constexpr Rgb rosso{255, 0, 0};
constexpr Rgb verde{0, 255, 0};
constexpr Rgb giallo_chiaro{255, 255, 128};  // the surface's text colour
}  // namespace colori

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
