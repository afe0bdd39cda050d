#include "export/bmp.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>

// A BMP file as this program meets it:
//   1. BITMAPFILEHEADER (14 bytes): "BM", file size, two reserved words,
//      offset of the pixel array.
//   2. DIB header: BITMAPINFOHEADER (40 bytes) or one of its longer
//      successors, whose extra fields do not matter for BI_RGB.
//   3. Colour table (8-bit files): 4 bytes per entry, blue green red unused.
//   4. Pixel array: rows padded to 4 bytes, bottom row first unless the
//      height is negative.

namespace {

constexpr std::size_t file_header_size = 14;
constexpr std::size_t info_header_size = 40;
constexpr std::uint32_t bi_rgb = 0;

// Larger pictures are not charts; refusing them keeps memory bounded.
constexpr std::int64_t max_side = 32768;
constexpr std::int64_t max_pixels = std::int64_t{1} << 26;

// Bytes of one row of `width` pixels of `bits` bits, padded to 4 bytes.
std::uint64_t row_stride(std::uint64_t width, unsigned bits) { return (width * bits + 31) / 32 * 4; }

void put_u16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put_u16(out, value & 0xFFFF);
    put_u16(out, value >> 16);
}

// Little-endian fields at fixed offsets; callers check the bounds first.
std::uint32_t get_u16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t get_u32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return get_u16(bytes, at) | get_u16(bytes, at + 2) << 16;
}

std::int32_t get_i32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::int32_t>(get_u32(bytes, at));
}

Status malformed(const std::string& why) { return Status::fail("not a usable BMP file: " + why); }

// The DIB header sizes whose first 40 bytes are a BITMAPINFOHEADER.
bool known_info_header(std::uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

}  // namespace

// 1. BITMAPFILEHEADER, 2. BITMAPINFOHEADER, 3. the picture's palette,
// 4. pixel array: 8 bits, bottom-up, each row the picture's indices as they are.
std::vector<std::uint8_t> encode_bmp(const Image& image) {
    const auto width = static_cast<std::uint32_t>(image.width);
    const auto height = static_cast<std::uint32_t>(image.height);
    const auto stride = static_cast<std::uint32_t>(row_stride(width, 8));
    const std::uint32_t pixel_bytes = stride * height;
    // A colour table of 0 entries would stand for 256 of them.
    const auto entries = static_cast<std::uint32_t>(std::max<std::size_t>(1, image.palette.size()));
    const auto offset = static_cast<std::uint32_t>(file_header_size + info_header_size + 4 * entries);

    std::vector<std::uint8_t> out;
    out.reserve(offset + pixel_bytes);

    // 1. BITMAPFILEHEADER
    out.push_back('B');
    out.push_back('M');
    put_u32(out, offset + pixel_bytes);  // bfSize
    put_u16(out, 0);                     // bfReserved1
    put_u16(out, 0);                     // bfReserved2
    put_u32(out, offset);                // bfOffBits

    // 2. BITMAPINFOHEADER
    put_u32(out, info_header_size);  // biSize
    put_u32(out, width);             // biWidth
    put_u32(out, height);            // biHeight: positive, so bottom-up
    put_u16(out, 1);                 // biPlanes
    put_u16(out, 8);                 // biBitCount
    put_u32(out, bi_rgb);            // biCompression
    put_u32(out, pixel_bytes);       // biSizeImage
    put_u32(out, 2835);              // biXPelsPerMeter: 72 dpi
    put_u32(out, 2835);              // biYPelsPerMeter
    put_u32(out, entries);           // biClrUsed
    put_u32(out, 0);                 // biClrImportant: all

    // 3. Colour table: blue, green, red, unused
    for (std::uint32_t i = 0; i < entries; ++i) {
        const Rgb c = i < image.palette.size() ? image.palette[i] : Rgb{};
        for (std::uint8_t byte : {c.b, c.g, c.r, std::uint8_t{0}}) out.push_back(byte);
    }

    // 4. Pixel array: each row as it is, then its padding
    for (int row = image.height - 1; row >= 0; --row) {
        const std::uint8_t* source = image.pixels.data() + static_cast<std::size_t>(row) * width;
        out.insert(out.end(), source, source + width);
        out.insert(out.end(), stride - width, std::uint8_t{0});
    }
    return out;
}

namespace {

// What the headers of a file to decode say.
struct Layout {
    std::uint64_t offset = 0;       // of the pixel array
    std::uint64_t header_size = 0;  // of the DIB header
    std::int64_t width = 0, height = 0;
    bool top_down = false;
    std::uint32_t bits = 0;
    std::uint64_t colours_used = 0;
};

// 1. BITMAPFILEHEADER
Status read_file_header(std::span<const std::uint8_t> bytes, Layout& layout) {
    const std::uint64_t size = bytes.size();
    if (size < file_header_size + 4) return malformed("too short for its headers");
    if (bytes[0] != 'B' || bytes[1] != 'M') return malformed("no \"BM\" signature");
    const std::uint64_t declared_size = get_u32(bytes, 2);
    layout.offset = get_u32(bytes, 10);
    if (declared_size > size) return malformed("file shorter than its header says (truncated?)");
    return Status::ok();
}

// 2. DIB header
Status read_dib_header(std::span<const std::uint8_t> bytes, Layout& layout) {
    layout.header_size = get_u32(bytes, 14);
    if (!known_info_header(static_cast<std::uint32_t>(layout.header_size)))
        return malformed("unsupported DIB header size " + std::to_string(layout.header_size));
    if (file_header_size + layout.header_size > bytes.size()) return malformed("DIB header truncated");
    const std::int64_t width = get_i32(bytes, 18);
    const std::int64_t signed_height = get_i32(bytes, 22);
    const std::uint32_t planes = get_u16(bytes, 26);
    layout.bits = get_u16(bytes, 28);
    const std::uint32_t compression = get_u32(bytes, 30);
    layout.colours_used = get_u32(bytes, 46);

    layout.top_down = signed_height < 0;
    const std::int64_t height = layout.top_down ? -signed_height : signed_height;
    if (width <= 0 || height <= 0) return malformed("width or height not positive");
    if (width > max_side || height > max_side || width * height > max_pixels)
        return malformed("picture too large");
    if (planes != 1) return malformed("plane count not 1");
    if (compression != bi_rgb) return malformed("compressed pixel data");
    if (layout.bits != 24 && layout.bits != 8)
        return malformed("unsupported " + std::to_string(layout.bits) + " bits per pixel");
    layout.width = width;
    layout.height = height;
    return Status::ok();
}

// 3. Colour table, of an 8-bit file only
Status read_colour_table(std::span<const std::uint8_t> bytes, const Layout& layout, std::vector<Rgb>& palette) {
    const std::uint64_t palette_at = file_header_size + layout.header_size;
    if (layout.bits == 8) {
        const std::uint64_t palette_size = layout.colours_used == 0 ? 256 : layout.colours_used;
        if (palette_size > 256) return malformed("colour table over 256 entries");
        if (palette_at + palette_size * 4 > bytes.size()) return malformed("colour table truncated");
        palette.resize(static_cast<std::size_t>(palette_size));
        for (std::uint64_t i = 0; i < palette_size; ++i) {
            const std::size_t at = palette_at + i * 4;
            palette[i] = Rgb{bytes[at + 2], bytes[at + 1], bytes[at]};
        }
        if (layout.offset < palette_at + palette_size * 4) return malformed("pixel array overlaps the colour table");
    }
    if (layout.offset < palette_at) return malformed("pixel array overlaps the headers");
    return Status::ok();
}

// 4. Pixel array: an 8-bit file's rows as they are; a 24-bit file's colours,
// each given the next index when first met.
Status read_pixels(std::span<const std::uint8_t> bytes, const Layout& layout, Image& decoded) {
    const std::uint64_t size = bytes.size();
    const std::uint64_t stride = row_stride(static_cast<std::uint64_t>(layout.width), layout.bits);
    if (layout.offset > size || stride * static_cast<std::uint64_t>(layout.height) > size - layout.offset)
        return malformed("pixel array truncated");

    decoded.width = static_cast<int>(layout.width);
    decoded.height = static_cast<int>(layout.height);
    decoded.pixels.reserve(static_cast<std::size_t>(layout.width * layout.height));
    int last_index = -1;
    Rgb last_colour{};
    for (std::int64_t row = 0; row < layout.height; ++row) {
        const std::int64_t file_row = layout.top_down ? row : layout.height - 1 - row;
        const std::uint8_t* source = bytes.data() + layout.offset + static_cast<std::uint64_t>(file_row) * stride;
        if (layout.bits == 8) {
            decoded.pixels.insert(decoded.pixels.end(), source, source + layout.width);
            continue;
        }
        for (std::int64_t column = 0; column < layout.width; ++column, source += 3) {
            const Rgb colour{source[2], source[1], source[0]};
            if (last_index < 0 || !(colour == last_colour)) {
                last_index = decoded.index_of(colour);
                if (last_index < 0) return malformed("more than 256 colours");
                last_colour = colour;
            }
            decoded.pixels.push_back(static_cast<std::uint8_t>(last_index));
        }
    }
    if (layout.bits == 8 && !decoded.indices_within_palette())
        return malformed("colour index beyond the colour table");
    return Status::ok();
}

}  // namespace

Status decode_bmp(std::span<const std::uint8_t> bytes, Image& image) {
    Layout layout;
    Image decoded;
    if (Status s = read_file_header(bytes, layout); !s) return s;
    if (Status s = read_dib_header(bytes, layout); !s) return s;
    if (Status s = read_colour_table(bytes, layout, decoded.palette); !s) return s;
    if (Status s = read_pixels(bytes, layout, decoded); !s) return s;
    image = std::move(decoded);
    return Status::ok();
}
