#pragma once
// Test support: GIF files read back with giflib, a decoder independent of
// ours, so that tests look at the pixels a viewer would show.

#include <cstdint>
#include <span>
#include <string>

#include "canvas/image.h"
#include "platform/status.h"

// What giflib saw of the file besides the pixels.
struct GifFacts {
    int images = 0;               // image descriptors in the file
    int global_colours = 0;       // entries of the global colour table; 0 when there is none
    bool local_table = false;     // the first image has its own colour table
    bool interlaced = false;      // the first image is interlaced
};

// Decodes the first image of a GIF file held in `bytes`. Fails, with
// giflib's reason, when giflib rejects the file, and when the first image
// does not cover the whole logical screen.
Status decode_gif(std::span<const std::uint8_t> bytes, Image& image, GifFacts* facts = nullptr);

// The same for the GIF file at `path`.
Status decode_gif_file(const std::string& path, Image& image, GifFacts* facts = nullptr);
