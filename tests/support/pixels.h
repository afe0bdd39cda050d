#pragma once
// Test support: what a picture holds.

#include <algorithm>
#include <vector>

#include "canvas/image.h"

// Pixels of `colour` in `image`.
inline int count_colour(const Image& image, Rgb colour) {
    return static_cast<int>(std::count(image.pixels.begin(), image.pixels.end(), colour));
}

// The colours of `image`, each once, in order of first appearance.
inline std::vector<Rgb> colours_in(const Image& image) {
    std::vector<Rgb> found;
    for (const Rgb& p : image.pixels) {
        if (std::find(found.begin(), found.end(), p) == found.end()) found.push_back(p);
    }
    return found;
}
