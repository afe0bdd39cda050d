// The converter's BMP reader on any bytes: decode_bmp must refuse what it
// cannot read without reading outside the bytes, and give a picture of the
// size its header declares when it accepts.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "export/bmp.h"
#include "export/gif.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Image image;
    if (decode_bmp(std::span<const std::uint8_t>(data, size), image)) {
        if (image.width <= 0 || image.height <= 0 ||
            image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) ||
            image.palette.empty() || image.palette.size() > Image::max_colours || !image.indices_within_palette())
            std::abort();
        // What the writer makes of it, the reader takes back unchanged,
        // indices and palette alike; and it makes a GIF file.
        Image again;
        if (!decode_bmp(encode_bmp(image), again) || again.pixels != image.pixels || again.palette != image.palette)
            std::abort();
        std::vector<std::uint8_t> gif;
        if (!encode_gif(image, gif)) std::abort();
    }
    return 0;
}
