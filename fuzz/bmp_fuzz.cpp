// The converter's BMP reader on any bytes: decode_bmp must refuse what it
// cannot read without reading outside the bytes, and give a picture of the
// size its header declares when it accepts.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "export/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Image image;
    if (decode_bmp(std::span<const std::uint8_t>(data, size), image)) {
        if (image.width <= 0 || image.height <= 0 ||
            image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
            std::abort();
        // What the writer makes of it, the reader takes back unchanged.
        Image again;
        if (!decode_bmp(encode_bmp(image), again) || again.pixels != image.pixels) std::abort();
    }
    return 0;
}
