#include "export/gif.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

// The file, block by block:
//   1. Header: "GIF89a".
//   2. Logical screen descriptor: the picture's size, the global colour
//      table's size.
//   3. Global colour table: the colours used, in order of first appearance,
//      padded with black to a power of two.
//   4. Image descriptor: one image covering the screen, not interlaced, no
//      local colour table.
//   5. Image data: the LZW minimum code size, then the LZW codes in
//      sub-blocks of up to 255 bytes, then an empty sub-block.
//   6. Trailer.

namespace {

constexpr int max_colours = 256;
constexpr int max_code_bits = 12;
constexpr int code_limit = 1 << max_code_bits;  // codes are 0 .. 4095

void put_u8(std::vector<std::uint8_t>& out, unsigned value) { out.push_back(static_cast<std::uint8_t>(value)); }

void put_u16(std::vector<std::uint8_t>& out, unsigned value) {
    put_u8(out, value & 0xFF);
    put_u8(out, value >> 8);
}

// The picture as indices into a table of the colours it uses.
struct IndexedPicture {
    std::vector<Rgb> colours;           // in order of first appearance
    std::vector<std::uint8_t> indices;  // one per pixel
    int table_bits = 1;                 // the table holds 2^table_bits entries
};

// Finds the colours of `image`; fails past 256 of them. An open-addressing
// table of 1024 slots stays at most a quarter full.
Status index_colours(const Image& image, IndexedPicture& picture) {
    constexpr std::uint32_t slots = 1024;
    std::array<std::uint32_t, slots> keys{};  // colour + 1; 0 marks a free slot
    std::array<std::uint8_t, slots> values{};

    picture.indices.resize(image.pixels.size());
    // Plain pointers: a store through a byte pointer could otherwise change
    // any vector's size or data, which would be read again for every pixel.
    const Rgb* const pixels = image.pixels.data();
    const std::size_t count = image.pixels.size();
    std::uint8_t* const indices = picture.indices.data();
    std::uint32_t last_key = 0;
    std::uint8_t last_index = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Rgb c = pixels[i];
        const std::uint32_t key = (std::uint32_t{c.r} << 16 | std::uint32_t{c.g} << 8 | c.b) + 1;
        if (key != last_key) {
            std::uint32_t slot = (key * 2654435761u) >> 22;
            while (keys[slot] != 0 && keys[slot] != key) slot = (slot + 1) & (slots - 1);
            if (keys[slot] == 0) {
                if (picture.colours.size() == max_colours) return Status::fail("GIF: more than 256 colours");
                keys[slot] = key;
                values[slot] = static_cast<std::uint8_t>(picture.colours.size());
                picture.colours.push_back(c);
            }
            last_key = key;
            last_index = values[slot];
        }
        indices[i] = last_index;
    }
    while ((std::size_t{1} << picture.table_bits) < picture.colours.size()) ++picture.table_bits;
    return Status::ok();
}

// Codes packed least significant bit first, cut into sub-blocks of at most
// 255 bytes, each preceded by its length.
class CodeWriter {
public:
    explicit CodeWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    void put(unsigned code, int bits) {
        pending_ |= std::uint32_t{code} << pending_bits_;
        pending_bits_ += bits;
        while (pending_bits_ >= 8) {
            put_byte(static_cast<std::uint8_t>(pending_));
            pending_ >>= 8;
            pending_bits_ -= 8;
        }
    }

    // Writes the last partial byte and the last sub-block.
    void finish() {
        if (pending_bits_ > 0) put_byte(static_cast<std::uint8_t>(pending_));
        pending_ = 0;
        pending_bits_ = 0;
        if (block_used_ > 0) out_[block_start_] = static_cast<std::uint8_t>(block_used_);
        else if (block_open_) out_.pop_back();
    }

private:
    void put_byte(std::uint8_t byte) {
        if (!block_open_ || block_used_ == 255) {
            if (block_open_) out_[block_start_] = 255;
            block_start_ = out_.size();
            out_.push_back(0);  // the length, filled in when the block is full or the data ends
            block_open_ = true;
            block_used_ = 0;
        }
        out_.push_back(byte);
        ++block_used_;
    }

    std::vector<std::uint8_t>& out_;
    std::uint32_t pending_ = 0;
    int pending_bits_ = 0;
    std::size_t block_start_ = 0;
    int block_used_ = 0;
    bool block_open_ = false;
};

// Greedy LZW. The string table maps (code of a string, next colour) to the
// code of the string one colour longer, 0 for none: no such string has code
// 0. Each step follows the table as far as the pixels go, writes the code
// of the longest string found, and gives the next free code to that string
// extended by the pixel that ended it. Codes widen by a bit when the first
// code that needs it is given, up to 12 bits; once code 4095 is given, the
// next string written is followed by a clear code and a fresh table.
void write_lzw_codes(const IndexedPicture& picture, int min_code_size, CodeWriter& writer) {
    const unsigned clear = 1u << min_code_size;
    const unsigned end = clear + 1;
    const int shift = picture.table_bits;
    std::vector<std::uint16_t> table(std::size_t{code_limit} << shift);
    // Plain pointers: a store through the writer could otherwise change any
    // vector's data, which would be read again for every pixel.
    std::uint16_t* const longer = table.data();
    const std::uint8_t* const indices = picture.indices.data();
    const std::size_t count = picture.indices.size();
    unsigned next_code = end + 1;
    int bits = min_code_size + 1;

    writer.put(clear, bits);
    unsigned current = indices[0];
    for (std::size_t i = 1; i < count; ++i) {
        std::uint16_t& slot = longer[current << shift | indices[i]];
        if (slot != 0) {
            current = slot;
            continue;
        }
        writer.put(current, bits);
        if (next_code < code_limit) {
            if (next_code == 1u << bits) ++bits;
            slot = static_cast<std::uint16_t>(next_code++);
        } else {
            writer.put(clear, bits);
            std::fill(table.begin(), table.end(), std::uint16_t{0});
            next_code = end + 1;
            bits = min_code_size + 1;
        }
        current = indices[i];
    }
    writer.put(current, bits);
    writer.put(end, bits);
}

// 1. Header
void write_header(std::vector<std::uint8_t>& gif) {
    for (char c : {'G', 'I', 'F', '8', '9', 'a'}) put_u8(gif, static_cast<unsigned char>(c));
}

// 2. Logical screen descriptor
void write_logical_screen_descriptor(std::vector<std::uint8_t>& gif, const Image& image, int table_bits) {
    put_u16(gif, static_cast<unsigned>(image.width));
    put_u16(gif, static_cast<unsigned>(image.height));
    // Global colour table present, 8 bits per primary, not sorted, 2^table_bits entries.
    put_u8(gif, 0x80 | 7 << 4 | (table_bits - 1));
    put_u8(gif, 0);  // background colour index
    put_u8(gif, 0);  // pixel aspect ratio: not given
}

// 3. Global colour table
void write_global_colour_table(std::vector<std::uint8_t>& gif, const IndexedPicture& picture) {
    const std::size_t entries = std::size_t{1} << picture.table_bits;
    for (std::size_t i = 0; i < entries; ++i) {
        const Rgb c = i < picture.colours.size() ? picture.colours[i] : Rgb{};
        put_u8(gif, c.r);
        put_u8(gif, c.g);
        put_u8(gif, c.b);
    }
}

// 4. Image descriptor
void write_image_descriptor(std::vector<std::uint8_t>& gif, const Image& image) {
    put_u8(gif, 0x2C);  // image separator
    put_u16(gif, 0);    // left
    put_u16(gif, 0);    // top
    put_u16(gif, static_cast<unsigned>(image.width));
    put_u16(gif, static_cast<unsigned>(image.height));
    put_u8(gif, 0);  // no local colour table, not interlaced
}

// 5. Image data
void write_image_data(std::vector<std::uint8_t>& gif, const IndexedPicture& picture) {
    const int min_code_size = picture.table_bits < 2 ? 2 : picture.table_bits;
    put_u8(gif, static_cast<unsigned>(min_code_size));
    CodeWriter writer(gif);
    write_lzw_codes(picture, min_code_size, writer);
    writer.finish();
    put_u8(gif, 0);  // block terminator
}

// 6. Trailer
void write_trailer(std::vector<std::uint8_t>& gif) { put_u8(gif, 0x3B); }

}  // namespace

Status encode_gif(const Image& image, std::vector<std::uint8_t>& gif) {
    if (image.width <= 0 || image.height <= 0) return Status::fail("GIF: empty picture");
    if (image.width > 0xFFFF || image.height > 0xFFFF) return Status::fail("GIF: picture too large");
    if (image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        return Status::fail("GIF: pixel count does not match the size");

    IndexedPicture picture;
    if (Status indexed = index_colours(image, picture); !indexed) return indexed;

    std::vector<std::uint8_t> out;
    write_header(out);
    write_logical_screen_descriptor(out, image, picture.table_bits);
    write_global_colour_table(out, picture);
    write_image_descriptor(out, image);
    write_image_data(out, picture);
    write_trailer(out);
    gif = std::move(out);
    return Status::ok();
}
