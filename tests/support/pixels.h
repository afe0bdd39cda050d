#pragma once
// Test support: what a picture holds, by colour, whatever its palette.

#include <algorithm>
#include <cstddef>
#include <vector>

#include "canvas/image.h"

// Pixels of `colour` in `image`.
inline int count_colour(const Image& image, Rgb colour) {
    std::vector<bool> is(image.palette.size());
    for (std::size_t i = 0; i < image.palette.size(); ++i) is[i] = image.palette[i] == colour;
    return static_cast<int>(std::count_if(image.pixels.begin(), image.pixels.end(),
                                          [&](std::uint8_t p) { return p < is.size() && is[p]; }));
}

// The colour of each pixel, row by row from the top.
inline std::vector<Rgb> colours_of(const Image& image) {
    std::vector<Rgb> found;
    found.reserve(image.pixels.size());
    for (std::uint8_t p : image.pixels) found.push_back(image.palette.at(p));
    return found;
}

// The colours of `image`, each once, in order of first appearance.
inline std::vector<Rgb> colours_in(const Image& image) {
    std::vector<Rgb> found;
    for (const Rgb& p : colours_of(image)) {
        if (std::find(found.begin(), found.end(), p) == found.end()) found.push_back(p);
    }
    return found;
}

// Pixel `i` (row by row from the top) becomes `colour`, added to the
// palette when new; false when the palette is full.
inline bool paint(Image& image, std::size_t i, Rgb colour) {
    const int index = image.index_of(colour);
    if (index < 0) return false;
    image.pixels.at(i) = static_cast<std::uint8_t>(index);
    return true;
}

// A picture of `width` x `height` pixels of `colour`.
inline Image blank_image(int width, int height, Rgb colour = colours::black) {
    return Image{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height, 0), {colour}};
}

// A picture of the colours `pixels`, row by row from the top, its palette in
// order of first appearance (at most 256 colours).
inline Image image_of(int width, int height, const std::vector<Rgb>& pixels) {
    Image image{width, height, std::vector<std::uint8_t>(pixels.size(), 0), {}};
    for (std::size_t i = 0; i < pixels.size(); ++i) paint(image, i, pixels[i]);
    return image;
}
