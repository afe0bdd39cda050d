#include "export/convertitore.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "export/bmp.h"
#include "export/gif.h"
#include "platform/files.h"

namespace {

// Far above any chart's scratch file (286 x 221 x 3 bytes and headers).
constexpr std::size_t max_bmp_bytes = std::size_t{64} << 20;

}  // namespace

// A failed load leaves no picture held: a later salva_gif then fails
// instead of writing the picture of an earlier file.
Status ConvertitoreImmagini::carica_immagine(const std::string& percorso) {
    immagine_.reset();
    gif_.clear();
    std::vector<std::uint8_t> bytes;
    if (Status read = platform::read_file(percorso, bytes, max_bmp_bytes); !read) return read;
    Image image;
    if (Status decoded = decode_bmp(bytes, image); !decoded)
        return Status::fail("cannot load " + percorso + ": " + decoded.message());
    immagine_ = std::move(image);
    return Status::ok();
}

Status ConvertitoreImmagini::salva_gif(const std::string& percorso, bool interlacciata) {
    if (!immagine_) return Status::fail("cannot save " + percorso + ": no picture loaded");
    if (interlacciata) return Status::fail("cannot save " + percorso + ": interlaced GIF files are not supported");
    // The picture is encoded once, however many files it is written to.
    if (gif_.empty()) {
        if (Status encoded = encode_gif(*immagine_, gif_); !encoded) {
            gif_.clear();
            return Status::fail("cannot save " + percorso + ": " + encoded.message());
        }
    }
    return platform::write_file_atomic(percorso, gif_);
}

Status ConvertitoreImmagini::rilascia_immagine() {
    immagine_.reset();
    gif_.clear();
    return Status::ok();
}
