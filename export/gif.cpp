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

// An LZW string table for an alphabet of 2^alphabet_bits indices. Entry
// (code << alphabet_bits | index) of `children` holds the code of string
// `code` extended by `index`, or 0 when there is none (no extended string
// has code 0).
struct StringTable {
    StringTable(int min_code_size, int alphabet_bits)
        : alphabet_bits(alphabet_bits),
          first_free((1u << min_code_size) + 2),
          start_bits(min_code_size + 1) {}

    // Back to the root strings alone, as after a clear code.
    void reset() {
        if (children.empty()) children.resize(std::size_t{code_limit} << alphabet_bits);
        std::fill_n(children.begin(), static_cast<std::ptrdiff_t>(next_code << alphabet_bits), 0);
        next_code = first_free;
        bits = start_bits;
    }

    bool full() const { return next_code == code_limit; }

    std::uint16_t& child(unsigned code, unsigned index) { return children[code << alphabet_bits | index]; }

    // Gives the next code to the string of `slot`. Once code 2^bits exists
    // the next code written may be it, so codes widen here; the decoder,
    // one table entry behind, widens at the same code.
    void add(std::uint16_t& slot) {
        if (next_code == 1u << bits) ++bits;
        slot = static_cast<std::uint16_t>(next_code++);
    }

    int alphabet_bits;
    unsigned first_free;
    int start_bits;
    std::vector<std::uint16_t> children;
    unsigned next_code = 0;  // nothing to clear before the first reset
    int bits = 0;
    unsigned current = 0;  // the code of the string being matched
};

// Greedy LZW, with clear codes placed by trial. A nearly full or full
// table goes on being used (a full one as it stands: decoders add no codes
// past 4095 and wait for a clear code) for as long as it codes the picture
// better than a fresh one would, and only the pixels still to come can
// tell. So from `trials_from` codes on, trial coders start afresh at places
// where the main coder's strings begin and code the same pixels alongside
// it, and the main coder's codes since the oldest trial began are held
// back. Trials start every `trial_spacing` main codes, and at once before a
// string far shorter than usual, the mark of a new kind of content. A trial
// whose codes, plus a clear code, cost `lead` bits less than the main
// coder's for the same pixels, and still do after the best one has kept
// that lead for `decision_delay` main codes (a later trial may do better
// still), becomes the main coder: the held codes from its start on give way
// to a clear code and the trial's codes. A trial that falls far behind or
// fills its own table is dropped.
class LzwEncoder {
public:
    LzwEncoder(int min_code_size, int alphabet_bits)
        : clear_(1u << min_code_size), end_(clear_ + 1), main_(min_code_size, alphabet_bits) {
        trials_.reserve(max_trials);
        for (int t = 0; t < max_trials; ++t) trials_.push_back(Trial{StringTable(min_code_size, alphabet_bits)});
    }

    void encode(const std::vector<std::uint8_t>& indices, CodeWriter& writer) {
        main_.reset();
        writer.put(clear_, main_.bits);
        main_.current = indices[0];
        std::size_t string_start = 0;  // the first pixel of the main coder's current string
        const std::size_t count = indices.size();
        for (std::size_t i = 1; i < count; ++i) {
            if (alive_ == 0) {
                // The common case, kept tight: follow the table as far as it goes.
                const std::uint16_t* children = main_.children.data();
                const int shift = main_.alphabet_bits;
                unsigned current = main_.current;
                for (unsigned next; i < count && (next = children[current << shift | indices[i]]) != 0; ++i)
                    current = next;
                main_.current = current;
                if (i == count) break;
            }
            const unsigned index = indices[i];
            std::uint16_t* child = &main_.child(main_.current, index);
            if (*child == 0 && alive_ > 0 && settle_trials(writer, false, string_start))
                child = &main_.child(main_.current, index);  // the trial's table now
            if (*child != 0) {
                main_.current = *child;
                step_trials(index, i);
                continue;
            }
            // The main coder's string ends here.
            const std::int64_t length = static_cast<std::int64_t>(i - string_start) << 8;
            if (trials_allowed() && length * short_string < usual_length_) start_trial(indices, string_start, i, true);
            usual_length_ += (length - usual_length_) / 16;
            put_main(writer, *child);
            main_.current = index;
            string_start = i;
            step_trials(index, i);
            if (trials_allowed() && (alive_ == 0 || emitted_ - last_start_ >= trial_spacing))
                start_trial(indices, i, i + 1, false);
        }
        if (alive_ > 0) settle_trials(writer, true, string_start);
        writer.put(main_.current, main_.bits);
        writer.put(end_, main_.bits);
    }

private:
    // Tuned on chart-like pictures with bench/gif_size.sh.
    static constexpr unsigned trials_from = 3584;  // codes in the table; all 12 bits wide by then
    static_assert(trials_from > 2048);
    static constexpr int max_trials = 6;
    static constexpr std::int64_t trial_spacing = 32;     // main codes between trial starts
    static constexpr std::int64_t short_string = 32;      // this many times shorter than usual starts a trial
    static constexpr std::int64_t lead = 16;              // bits
    static constexpr std::int64_t decision_delay = 1024;  // main codes
    static constexpr std::int64_t margin = 1000;          // bits a trial may fall behind, plus
    static constexpr std::int64_t margin_share = 4;       // this share of the main coder's bits since its start

    bool trials_allowed() const { return main_.next_code >= trials_from; }

    struct Trial {
        StringTable table;
        std::vector<std::uint32_t> codes{};  // code | width << 16
        std::int64_t bits = 0;
        std::int64_t started = 0;      // main codes written or held when it began
        std::size_t string_start = 0;  // the first pixel of its current string
        bool alive = false;
    };

    // Writes, or holds back while trials run, the main coder's string, and
    // extends its table by `slot`.
    void put_main(CodeWriter& writer, std::uint16_t& slot) {
        if (alive_ > 0) held_.push_back(static_cast<std::uint16_t>(main_.current));
        else writer.put(main_.current, main_.bits);
        ++emitted_;
        if (!main_.full()) main_.add(slot);
    }

    // Starts a trial at pixel `first` and gives it the pixels up to `end`.
    // A trial that comes `urgent` takes the place of the worst one but the
    // oldest when every trial runs.
    void start_trial(const std::vector<std::uint8_t>& indices, std::size_t first, std::size_t end, bool urgent) {
        Trial* slot = nullptr;
        for (Trial& t : trials_)
            if (!t.alive) slot = &t;
        if (!slot) {
            if (!urgent) return;
            std::int64_t oldest = emitted_, worst_lead = 0;
            for (const Trial& t : trials_) oldest = std::min(oldest, t.started);
            for (Trial& t : trials_) {
                const std::int64_t lead_now = max_code_bits * (emitted_ - t.started) - t.bits;
                if (t.started != oldest && (!slot || lead_now < worst_lead)) {
                    slot = &t;
                    worst_lead = lead_now;
                }
            }
            if (!slot) return;
            slot->alive = false;
            --alive_;
        }
        if (alive_ == 0) held_base_ = emitted_;
        slot->table.reset();
        slot->table.current = indices[first];
        slot->codes.clear();
        slot->bits = 0;
        slot->started = emitted_;
        slot->string_start = first;
        slot->alive = true;
        ++alive_;
        last_start_ = emitted_;
        for (std::size_t k = first + 1; k < end; ++k) step(*slot, indices[k], k);
    }

    // Gives trial `t` pixel number `at`, of colour `index`.
    void step(Trial& t, unsigned index, std::size_t at) {
        std::uint16_t& child = t.table.child(t.table.current, index);
        if (child != 0) {
            t.table.current = child;
            return;
        }
        t.codes.push_back(t.table.current | static_cast<std::uint32_t>(t.table.bits) << 16);
        t.bits += t.table.bits;
        if (!t.table.full()) t.table.add(child);
        t.table.current = index;
        t.string_start = at;
    }

    void step_trials(unsigned index, std::size_t at) {
        for (Trial& t : trials_)
            if (t.alive) step(t, index, at);
    }

    // At a place where the main coder ends a string: drops the trials that
    // have lost, makes the best trial the main coder once it has earned it
    // (true; `string_start` then follows its current string), and writes the
    // held codes no trial needs any more. `at_end` decides for good.
    bool settle_trials(CodeWriter& writer, bool at_end, std::size_t& string_start) {
        Trial* best = nullptr;
        std::int64_t best_lead = 0;
        for (Trial& t : trials_) {
            if (!t.alive) continue;
            // The main coder's codes are 12 bits wide by now; pending strings cost a code each.
            const std::int64_t main_bits = max_code_bits * (emitted_ - t.started + 1);
            const std::int64_t trial_bits = max_code_bits + t.bits + t.table.bits;  // a clear code, then the trial
            const std::int64_t lead_now = main_bits - trial_bits;
            if (lead_now > best_lead) {
                best = &t;
                best_lead = lead_now;
            } else if (at_end || t.table.full() || -lead_now > margin + main_bits / margin_share) {
                t.alive = false;
                --alive_;
            }
        }
        const bool earned = best && best_lead > (at_end ? 0 : lead);
        if (!earned) decide_at_ = -1;
        else if (decide_at_ < 0) decide_at_ = emitted_ + decision_delay;
        if (earned && (at_end || emitted_ >= decide_at_)) {
            write_held(writer, best->started);
            writer.put(clear_, max_code_bits);
            for (std::uint32_t code : best->codes) writer.put(code & 0xFFFF, static_cast<int>(code >> 16));
            std::swap(main_, best->table);
            string_start = best->string_start;
            for (Trial& t : trials_) t.alive = false;
            alive_ = 0;
            held_.clear();
            decide_at_ = -1;
            return true;
        }
        std::int64_t oldest = emitted_;
        for (const Trial& t : trials_)
            if (t.alive) oldest = std::min(oldest, t.started);
        write_held(writer, oldest);
        return false;
    }

    // Writes the held codes before main code number `until`.
    void write_held(CodeWriter& writer, std::int64_t until) {
        const auto count = static_cast<std::ptrdiff_t>(until - held_base_);
        for (std::ptrdiff_t k = 0; k < count; ++k) writer.put(held_[static_cast<std::size_t>(k)], max_code_bits);
        held_.erase(held_.begin(), held_.begin() + count);
        held_base_ = until;
    }

    unsigned clear_;
    unsigned end_;
    StringTable main_;
    std::vector<Trial> trials_;
    int alive_ = 0;
    std::int64_t emitted_ = 0;       // main codes written or held so far
    std::int64_t last_start_ = 0;    // `emitted_` when the newest trial began
    std::int64_t decide_at_ = -1;    // when the best trial, if still ahead, wins; -1 while none is
    std::int64_t usual_length_ = 0;  // running mean of the main coder's string lengths, in 1/256 pixel
    std::vector<std::uint16_t> held_;  // main codes from number `held_base_` on, not yet written
    std::int64_t held_base_ = 0;
};

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
    LzwEncoder(min_code_size, picture.table_bits).encode(picture.indices, writer);
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
