#include "export/image_converter.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "export/bmp.h"
#include "export/gif.h"
#include "platform/files.h"

namespace {

// Far above any chart's scratch file (286 x 221 bytes, a colour table and headers).
constexpr std::size_t max_bmp_bytes = std::size_t{64} << 20;

}  // namespace

// A later salva_gif then fails instead of writing the picture of an
// earlier file.
Status ImageConverter::carica_immagine(const std::string& path) {
    rilascia_immagine();
    std::vector<std::uint8_t> bytes;
    if (Status read = platform::read_file(path, bytes, max_bmp_bytes); !read) return read;
    Image image;
    if (Status decoded = decode_bmp(bytes, image); !decoded)
        return Status::fail("cannot load " + platform::native_path(path) + ": " + decoded.message());
    picture_ = std::move(image);
    return Status::ok();
}

Status ImageConverter::encoded(const std::string& failed, bool interlaced) {
    if (!picture_) return Status::fail(failed + "no picture loaded");
    if (interlaced) return Status::fail(failed + "interlaced GIF files are not supported");
    // The picture is encoded once, however many files it is written to.
    if (gif_.empty()) {
        if (Status s = encode_gif(*picture_, gif_); !s) {
            gif_.clear();
            return Status::fail(failed + s.message());
        }
    }
    return Status::ok();
}

Status ImageConverter::salva_gif(const std::string& path, bool interlaced) {
    if (Status s = encoded("cannot save " + platform::native_path(path) + ": ", interlaced); !s) return s;
    return platform::write_file_atomic(path, gif_);
}

Status ImageConverter::gif_file(const std::string& path, bool interlaced, std::span<const std::uint8_t>& gif) {
    if (Status s = encoded("cannot save " + platform::native_path(path) + ": ", interlaced); !s) return s;
    gif = gif_;
    return Status::ok();
}

void ImageConverter::rilascia_immagine() {
    picture_.reset();
    gif_.clear();
}
