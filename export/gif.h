#pragma once
// GIF89a writer: one image, not interlaced, a global colour table of the
// colours used (padded to a power of two), LZW codes up to 12 bits.

#include <cstdint>
#include <vector>

#include "canvas/image.h"
#include "platform/status.h"

// Fails when the picture holds more than 256 colours or is empty.
Status encode_gif(const Image& image, std::vector<std::uint8_t>& gif);
