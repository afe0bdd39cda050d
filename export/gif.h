#pragma once
// GIF89a writer: one image, not interlaced, a global colour table of the
// colours the pixels have (padded to a power of two), LZW codes up to 12
// bits, made from the picture's palette indices as they are.

#include <cstdint>
#include <vector>

#include "canvas/image.h"
#include "platform/status.h"

// Fails when the picture is empty, its palette empty or over 256 colours,
// or a pixel beyond its palette.
Status encode_gif(const Image& image, std::vector<std::uint8_t>& gif);
