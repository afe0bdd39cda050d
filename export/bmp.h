#pragma once
// Windows bitmaps: the scratch file of each chart. The writer makes a plain
// 24-bit bottom-up BMP; the reader takes the uncompressed 24-bit and 8-bit
// layouts and rejects anything malformed or truncated.

#include <cstdint>
#include <span>
#include <vector>

#include "canvas/image.h"
#include "platform/status.h"

std::vector<std::uint8_t> encode_bmp(const Image& image);

// Decodes `bytes` into `image`; never reads outside `bytes`.
Status decode_bmp(std::span<const std::uint8_t> bytes, Image& image);
