#pragma once
// The image-conversion control of the form (wpdlx1): load a BMP file, write
// the loaded picture as GIF files, release it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "canvas/image.h"
#include "platform/files.h"
#include "platform/status.h"

class ImageConverter {
public:
    // Holds the picture of the BMP file at `path`, replacing any picture
    // held before. The file is read whole and closed again. A failed load
    // leaves no picture held.
    Status carica_immagine(const std::string& path);
    // Writes the held picture as a GIF file, replacing a file of that name
    // in one step. `interlaced` selects an interlaced file; the run always
    // passes false, and only that is supported.
    Status salva_gif(const std::string& path, bool interlaced);
    // The held picture as the GIF file that salva_gif writes at `path`
    // (which a failure names), for a writer of its own (write_chart). It
    // stays valid while the picture is held.
    Status gif_file(const std::string& path, bool interlaced, std::span<const std::uint8_t>& gif);
    // Forgets the held picture.
    void rilascia_immagine();

    // The held picture; null when none is held.
    const Image* picture() const { return picture_ ? &*picture_ : nullptr; }

private:
    // The held picture as a GIF file, encoded once; `failed` begins the
    // message of a failure.
    Status encoded(const std::string& failed, bool interlaced);

    std::optional<Image> picture_;
    std::vector<std::uint8_t> gif_;  // the held picture as a GIF file, once encoded
};
