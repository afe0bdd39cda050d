#include "export/gif.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

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

// The picture's colours in the order the file lists them: the order in
// which they first appear in the pixels, row by row from the top. Each
// palette index is given its colour's place in that order when the LZW pass
// meets it first, and never needs looking at again.
struct FileColours {
    std::array<std::int16_t, max_colours> place;  // by palette index; -1 until met
    std::vector<Rgb> colours;                     // by place
    const std::vector<Rgb>* palette;

    explicit FileColours(const std::vector<Rgb>& image_palette) : palette(&image_palette) { place.fill(-1); }

    unsigned place_of(std::uint8_t index) {
        if (place[index] < 0) {
            place[index] = static_cast<std::int16_t>(colours.size());
            colours.push_back((*palette)[index]);
        }
        return static_cast<unsigned>(place[index]);
    }
};

// Bits of the colour table that holds `colours` entries: 1 to 8.
int table_bits_for(std::size_t colours) {
    int bits = 1;
    while ((std::size_t{1} << bits) < colours) ++bits;
    return bits;
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

// How many pixels from `from` on, up to `most` and no further than `last`,
// are of `colour`: eight at a time while they can be.
std::size_t run_length(const std::uint8_t* from, const std::uint8_t* last, std::uint8_t colour, std::size_t most) {
    const std::size_t available = static_cast<std::size_t>(last - from);
    const std::size_t limit = most < available ? most : available;
    const std::uint64_t pattern = 0x0101010101010101u * colour;
    std::size_t n = 0;
    for (; n + 8 <= limit; n += 8) {
        std::uint64_t eight;
        std::memcpy(&eight, from + n, 8);
        if (const std::uint64_t differ = eight ^ pattern; differ != 0) {
            // The first byte that differs, in the machine's byte order.
            if constexpr (std::endian::native == std::endian::little) return n + std::countr_zero(differ) / 8;
            else return n + std::countl_zero(differ) / 8;
        }
    }
    while (n < limit && from[n] == colour) ++n;
    return n;
}

// Greedy LZW. The string table has a row for each code, a column for each
// palette index: the entry of (code of a string, next pixel's palette
// index) is the row of the string one pixel longer, 0 for none (no such
// string has code 0). Palette indices stand for the file's colours one for
// one. Each step follows the table as far as the pixels go, one load a
// pixel, writes the code of the longest string found, and gives the next
// free code to that string extended by the pixel that ended it. Codes widen
// by a bit when the first code that needs it is given, up to 12 bits; once
// code 4095 is given, the next string written is followed by a clear code
// and a fresh table. A palette index is first met where the table has no
// entry: there it is given its place among the file's colours.
//
// Entries hold rows (code << shift), so that the next lookup needs no shift;
// `Entry` is wide enough for the row of code 4095. Rows are cleared when
// their code is given, not all at once: the work follows the codes written,
// not the table's size.
//
// Runs of one colour, which most of a chart is, are taken in one step: the
// strings of 1, 2, 3 ... pixels of one colour are a chain of the table, and
// their rows are kept in order, so that a string that begins a run takes
// at once the longest of them that the run holds, as following the table
// pixel by pixel would.
template <typename Entry>
void write_lzw_codes(const std::uint8_t* indices, std::size_t count, int index_bits, int min_code_size,
                     FileColours& colours, CodeWriter& writer) {
    const unsigned clear = 1u << min_code_size;
    const unsigned end = clear + 1;
    const int shift = index_bits;
    const std::unique_ptr<Entry[]> table(new Entry[std::size_t{code_limit} << shift]);
    Entry* const longer = table.get();
    auto clear_rows = [&](unsigned first, unsigned last) {
        std::fill(longer + (std::size_t{first} << shift), longer + (std::size_t{last} << shift), Entry{0});
    };
    // By palette index, the rows of the strings of 1, 2, ... pixels of it.
    std::array<std::vector<Entry>, max_colours> runs;
    std::vector<std::uint8_t> run_colours;  // those with rows, to forget at a clear code
    clear_rows(0, clear);  // the strings of one pixel
    unsigned next_code = end + 1;
    int bits = min_code_size + 1;

    writer.put(clear, bits);
    const std::uint8_t* pixel = indices;
    const std::uint8_t* const last = indices + count;
    const std::uint8_t* start = pixel;  // of the string being matched
    std::size_t current = 0;
    // A string begun at `start`: its first pixel, or the longest run of it.
    auto begin_string = [&] {
        const std::uint8_t colour = *start;
        std::vector<Entry>& run = runs[colour];
        if (run.empty()) {
            run.push_back(static_cast<Entry>(std::size_t{colours.place_of(colour)} << shift));
            run_colours.push_back(colour);
        }
        const std::size_t length = run_length(start, last, colour, run.size());
        current = run[length - 1];
        pixel = start + length;
    };
    begin_string();
    for (;;) {
        // The longest string in the table: a tight loop of its own, so that
        // its few values stay in registers.
        Entry next = 0;
        while (pixel != last && (next = longer[current | *pixel]) != 0) {
            current = next;
            ++pixel;
        }
        if (pixel == last) break;
        writer.put(static_cast<unsigned>(current >> shift), bits);
        if (next_code < code_limit) {
            if (next_code == 1u << bits) ++bits;
            clear_rows(next_code, next_code + 1);
            const auto row = static_cast<Entry>(std::size_t{next_code++} << shift);
            longer[current | *pixel] = row;
            // The longest run of its colour known, one pixel longer.
            std::vector<Entry>& run = runs[*start];
            const auto length = static_cast<std::size_t>(pixel - start);
            if (*pixel == *start && run.size() == length && run.back() == current) run.push_back(row);
        } else {
            writer.put(clear, bits);
            clear_rows(0, clear);
            for (const std::uint8_t colour : run_colours) runs[colour].clear();
            run_colours.clear();
            next_code = end + 1;
            bits = min_code_size + 1;
        }
        start = pixel;
        begin_string();
    }
    writer.put(static_cast<unsigned>(current >> shift), bits);
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
void write_global_colour_table(std::vector<std::uint8_t>& gif, const std::vector<Rgb>& colours, int table_bits) {
    const std::size_t entries = std::size_t{1} << table_bits;
    for (std::size_t i = 0; i < entries; ++i) {
        const Rgb c = i < colours.size() ? colours[i] : Rgb{};
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

// 5. Image data: the LZW minimum code size, the codes, the terminator
int min_code_size_for(int table_bits) { return table_bits < 2 ? 2 : table_bits; }

void write_image_data(std::vector<std::uint8_t>& gif, const std::uint8_t* indices, std::size_t count, int index_bits,
                      int min_code_size, FileColours& colours) {
    put_u8(gif, static_cast<unsigned>(min_code_size));
    CodeWriter writer(gif);
    // Up to 16 colours the row of code 4095 fits in 16 bits.
    if (index_bits <= 4) write_lzw_codes<std::uint16_t>(indices, count, index_bits, min_code_size, colours, writer);
    else write_lzw_codes<std::uint32_t>(indices, count, index_bits, min_code_size, colours, writer);
    writer.finish();
    put_u8(gif, 0);  // block terminator
}

// 6. Trailer
void write_trailer(std::vector<std::uint8_t>& gif) { put_u8(gif, 0x3B); }

}  // namespace

Status encode_gif(const Image& image, std::vector<std::uint8_t>& gif) {
    if (image.width <= 0 || image.height <= 0) return Status::fail("GIF: empty picture");
    if (image.width > 0xFFFF || image.height > 0xFFFF) return Status::fail("GIF: picture too large");
    const std::size_t count = image.pixels.size();
    if (count != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        return Status::fail("GIF: pixel count does not match the size");
    const std::vector<Rgb>& palette = image.palette;
    if (palette.empty() || palette.size() > max_colours) return Status::fail("GIF: no palette of 1 to 256 colours");
    if (!image.indices_within_palette()) return Status::fail("GIF: a pixel beyond the palette");

    // A colour that the palette holds twice is one colour of the file: its
    // pixels are given the first of its indices.
    const std::uint8_t* indices = image.pixels.data();
    std::vector<Rgb> distinct;
    std::array<std::uint8_t, max_colours> first_of{};
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const auto found = std::find(distinct.begin(), distinct.end(), palette[i]);
        first_of[i] = static_cast<std::uint8_t>(std::find(palette.begin(), palette.end(), palette[i]) - palette.begin());
        if (found == distinct.end()) distinct.push_back(palette[i]);
    }
    std::vector<std::uint8_t> merged;
    if (distinct.size() < palette.size()) {
        merged.resize(count);
        for (std::size_t i = 0; i < count; ++i) merged[i] = first_of[image.pixels[i]];
        indices = merged.data();
    }

    // The codes depend on the size of the colour table, which counts the
    // colours the pixels have: the palette's as a rule. When the pixels
    // turn out to have fewer, the codes are made again for their table.
    const int index_bits = table_bits_for(palette.size());
    int table_bits = table_bits_for(distinct.size());
    std::vector<std::uint8_t> data;
    for (;;) {
        FileColours colours(palette);
        data.clear();
        write_image_data(data, indices, count, index_bits, min_code_size_for(table_bits), colours);
        const int used_bits = table_bits_for(colours.colours.size());
        if (min_code_size_for(used_bits) != min_code_size_for(table_bits)) {
            table_bits = used_bits;
            continue;
        }
        table_bits = used_bits;

        std::vector<std::uint8_t> out;
        out.reserve(13 + 3 * (std::size_t{1} << table_bits) + 10 + data.size() + 1);
        write_header(out);
        write_logical_screen_descriptor(out, image, table_bits);
        write_global_colour_table(out, colours.colours, table_bits);
        write_image_descriptor(out, image);
        out.insert(out.end(), data.begin(), data.end());
        write_trailer(out);
        gif = std::move(out);
        return Status::ok();
    }
}
