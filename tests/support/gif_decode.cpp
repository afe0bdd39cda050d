#include "support/gif_decode.h"

#include <gif_lib.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

struct Reader {
    std::span<const std::uint8_t> bytes;
    std::size_t at = 0;
};

int read_bytes(GifFileType* file, GifByteType* into, int wanted) {
    auto& reader = *static_cast<Reader*>(file->UserData);
    const std::size_t left = reader.bytes.size() - reader.at;
    const std::size_t count = wanted < 0 ? 0 : std::min(left, static_cast<std::size_t>(wanted));
    std::copy_n(reader.bytes.begin() + static_cast<std::ptrdiff_t>(reader.at), count, into);
    reader.at += count;
    return static_cast<int>(count);
}

Status giflib_failure(const char* step, int error) {
    const char* reason = GifErrorString(error);
    return Status::fail(std::string("giflib ") + step + ": " + (reason ? reason : "unknown error"));
}

Status convert(const GifFileType& file, Image& image, GifFacts* facts) {
    if (file.ImageCount < 1) return Status::fail("GIF holds no image");
    const SavedImage& first = file.SavedImages[0];
    const GifImageDesc& desc = first.ImageDesc;
    if (facts) {
        facts->images = file.ImageCount;
        facts->global_colours = file.SColorMap ? file.SColorMap->ColorCount : 0;
        facts->local_table = desc.ColorMap != nullptr;
        facts->interlaced = desc.Interlace;
    }
    if (desc.Left != 0 || desc.Top != 0 || desc.Width != file.SWidth || desc.Height != file.SHeight)
        return Status::fail("first image does not cover the screen");
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : file.SColorMap;
    if (!map) return Status::fail("no colour table");

    Image decoded;
    decoded.width = desc.Width;
    decoded.height = desc.Height;
    const std::size_t count = static_cast<std::size_t>(desc.Width) * static_cast<std::size_t>(desc.Height);
    // The file's indices and colour table as they are.
    decoded.pixels.assign(first.RasterBits, first.RasterBits + count);
    for (int i = 0; i < map->ColorCount; ++i)
        decoded.palette.push_back(Rgb{map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
    if (!decoded.indices_within_palette()) return Status::fail("pixel beyond the colour table");
    image = std::move(decoded);
    return Status::ok();
}

}  // namespace

Status decode_gif(std::span<const std::uint8_t> bytes, Image& image, GifFacts* facts) {
    Reader reader{bytes};
    int error = 0;
    GifFileType* file = DGifOpen(&reader, read_bytes, &error);
    if (!file) return giflib_failure("open", error);
    Status result = DGifSlurp(file) == GIF_OK ? convert(*file, image, facts) : giflib_failure("read", file->Error);
    DGifCloseFile(file, &error);
    return result;
}

Status decode_gif_file(const std::string& path, Image& image, GifFacts* facts) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return Status::fail("cannot open " + path);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return decode_gif(bytes, image, facts);
}
