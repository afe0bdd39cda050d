#pragma once
// Windows bitmaps: the scratch file of each chart. The writer makes a plain
// 8-bit bottom-up BMP of the picture's indices and palette; the reader takes
// the uncompressed 24-bit and 8-bit layouts and rejects anything malformed
// or truncated, and a 24-bit file of more than 256 colours, which no
// picture holds.

#include <cstdint>
#include <span>
#include <vector>

#include "canvas/image.h"
#include "platform/status.h"

std::vector<std::uint8_t> encode_bmp(const Image& image);

// Decodes `bytes` into `image`; never reads outside `bytes`. An 8-bit
// file's pixels and colour table come back as they are; a 24-bit file's
// colours become a palette in order of first appearance from the top row.
Status decode_bmp(std::span<const std::uint8_t> bytes, Image& image);
