#pragma once
// The image-conversion control of the form (wpdlx1): load a BMP file, write
// the loaded picture as GIF files, release it. Every step reports failure.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "canvas/image.h"
#include "platform/status.h"

class ConvertitoreImmagini {
public:
    // Holds the picture of the BMP file at `percorso`, replacing any
    // picture held before. The file is read whole and closed again.
    Status carica_immagine(const std::string& percorso);
    // Writes the held picture as a GIF file, replacing a file of that name
    // in one step. `interlacciata` selects an interlaced file; the run
    // always passes false, and only that is supported.
    Status salva_gif(const std::string& percorso, bool interlacciata);
    // Forgets the held picture.
    Status rilascia_immagine();

    bool tiene_immagine() const { return immagine_.has_value(); }
    // The held picture; null when none is held.
    const Image* immagine() const { return immagine_ ? &*immagine_ : nullptr; }

private:
    std::optional<Image> immagine_;
    std::vector<std::uint8_t> gif_;  // the held picture as a GIF file, once encoded
};
