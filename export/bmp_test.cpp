#include "export/bmp.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/pixels.h"

namespace {

// A picture of up to 200 colours, all different in a small one.
Image picture(int width, int height) {
    std::vector<Rgb> colours;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int k = (x * 40 + y * 30 + x + y) % 200;
            colours.push_back(Rgb{static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(255 - k),
                                  static_cast<std::uint8_t>(k / 2)});
        }
    return image_of(width, height, colours);
}

void put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

// The picture as a plain 24-bit bottom-up file, as other programs write it.
std::vector<std::uint8_t> twenty_four_bit(const Image& image) {
    const std::size_t stride = (static_cast<std::size_t>(image.width) * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> bytes(54 + stride * static_cast<std::size_t>(image.height), 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
    put32(bytes, 10, 54);
    put32(bytes, 14, 40);
    put32(bytes, 18, static_cast<std::uint32_t>(image.width));
    put32(bytes, 22, static_cast<std::uint32_t>(image.height));
    bytes[26] = 1;
    bytes[28] = 24;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const Rgb c = image.at(x, image.height - 1 - y);
            const std::size_t at = 54 + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3;
            bytes[at] = c.b;
            bytes[at + 1] = c.g;
            bytes[at + 2] = c.r;
        }
    return bytes;
}

void put16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

// An 8-bit file, 3 x 2, bottom-up, a colour table of `colours` entries
// (entry i is red i * 50, green 1, blue 2), pixel rows 0 1 2 / 2 1 0 from the top.
std::vector<std::uint8_t> eight_bit(std::uint32_t colours = 3) {
    const std::uint32_t table = (colours == 0 ? 256 : colours) * 4;
    std::vector<std::uint8_t> bytes(54 + table + 8, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
    put32(bytes, 10, 54 + table);
    put32(bytes, 14, 40);
    put32(bytes, 18, 3);
    put32(bytes, 22, 2);
    put16(bytes, 26, 1);
    put16(bytes, 28, 8);
    put32(bytes, 46, colours);
    for (std::uint32_t i = 0; i < table / 4; ++i) {
        bytes[54 + i * 4] = 2;
        bytes[54 + i * 4 + 1] = 1;
        bytes[54 + i * 4 + 2] = static_cast<std::uint8_t>(i * 50);
    }
    const std::uint8_t rows[8] = {2, 1, 0, 0, /* top row: */ 0, 1, 2, 0};
    std::copy(rows, rows + 8, bytes.begin() + 54 + table);
    return bytes;
}

Rgb entry(int i) { return Rgb{static_cast<std::uint8_t>(i * 50), 1, 2}; }

TEST(Bmp, WritesAPlain8BitBottomUpFileOfThePalette) {
    // 2 x 2: the palette's 4 entries blue green red unused, rows of 2
    // indices padded to 4, the bottom row first.
    const Image image = image_of(2, 2, {colours::red, colours::green, colours::white, Rgb{1, 2, 3}});
    const std::vector<std::uint8_t> expected{
        'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 70, 0, 0, 0,               // file header
        40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 8, 0, 0, 0, 0, 0,  // info header
        8, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 255, 0, 0, 255, 0, 0, 255, 255, 255, 0, 3, 2, 1, 0,  // colour table
        2, 3, 0, 0,   // bottom row
        0, 1, 0, 0};  // top row
    EXPECT_EQ(encode_bmp(image), expected);
}

TEST(Bmp, RoundTripsEveryRowPaddingWithIndicesAndPaletteAsTheyAre) {
    for (int width : {1, 2, 3, 4, 5, 286}) {
        Image image = picture(width, width == 286 ? 221 : 3);
        image.palette.push_back(Rgb{9, 9, 9});  // a colour no pixel has stays too
        for (const std::vector<std::uint8_t>& file : {encode_bmp(image), twenty_four_bit(image)}) {
            Image back;
            const Status s = decode_bmp(file, back);
            ASSERT_TRUE(s) << width << ": " << s.message();
            EXPECT_EQ(back.width, image.width);
            EXPECT_EQ(back.height, image.height);
            EXPECT_TRUE(back == image) << width;
        }
        Image back;
        ASSERT_TRUE(decode_bmp(encode_bmp(image), back));
        EXPECT_TRUE(back.pixels == image.pixels && back.palette == image.palette) << width;
    }
}

// A 24-bit file's colours become the palette in order of first appearance
// from the top row; a picture holds no more than 256 of them.
TEST(Bmp, ReadsA24BitFileIntoAPaletteOfAtMost256Colours) {
    Image back;
    ASSERT_TRUE(decode_bmp(twenty_four_bit(image_of(3, 2, {colours::red, colours::red, colours::green, colours::white,
                                                               colours::red, colours::black})),
                           back));
    EXPECT_EQ(back.palette, (std::vector<Rgb>{colours::red, colours::green, colours::white, colours::black}));
    EXPECT_EQ(back.pixels, (std::vector<std::uint8_t>{0, 0, 1, 2, 0, 3}));

    std::vector<Rgb> colours;
    for (int i = 0; i < 257; ++i) colours.push_back(Rgb{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i / 256), 7});
    Image many{257, 1, std::vector<std::uint8_t>(257, 0), {}};
    many.palette = {colours.begin(), colours.end() - 1};
    for (int i = 0; i < 256; ++i) many.pixels[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    std::vector<std::uint8_t> file = twenty_four_bit(many);
    ASSERT_TRUE(decode_bmp(file, back));
    EXPECT_EQ(back.palette.size(), 256u);
    file[54 + 256 * 3] = 1;  // the last pixel blue 1: a 257th colour
    file[54 + 256 * 3 + 2] = 255;
    Image untouched = picture(1, 1);
    const Status refused = decode_bmp(file, untouched);
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.message().find("256 colours"), std::string::npos) << refused.message();
    EXPECT_TRUE(untouched == picture(1, 1));
}

TEST(Bmp, ReadsEightBitAndTopDownFiles) {
    const std::vector<Rgb> eight_bit_pixels{entry(0), entry(1), entry(2), entry(2), entry(1), entry(0)};
    Image back;
    for (std::uint32_t colours : {3u, 0u}) {  // 0: the whole 256 entries
        ASSERT_TRUE(decode_bmp(eight_bit(colours), back)) << colours;
        EXPECT_TRUE(colours_of(back) == eight_bit_pixels);
        EXPECT_EQ(back.palette.size(), colours == 0 ? 256u : colours);
    }

    std::vector<std::uint8_t> top_down = eight_bit();
    put32(top_down, 22, static_cast<std::uint32_t>(-2));
    ASSERT_TRUE(decode_bmp(top_down, back));
    EXPECT_TRUE(colours_of(back) == (std::vector<Rgb>{entry(2), entry(1), entry(0), entry(0), entry(1), entry(2)}));

    const Image image = picture(3, 4);
    for (std::vector<std::uint8_t> flipped : {encode_bmp(image), twenty_four_bit(image)}) {
        put32(flipped, 22, static_cast<std::uint32_t>(-4));
        ASSERT_TRUE(decode_bmp(flipped, back));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 3; ++x) EXPECT_EQ(back.at(x, y), image.at(x, 3 - y));
    }

    // A longer (version 5) header before the same pixels.
    for (std::vector<std::uint8_t> v5 : {encode_bmp(image), twenty_four_bit(image)}) {
        const std::uint32_t offset = v5[10] | v5[11] << 8;
        v5.insert(v5.begin() + 54, 124 - 40, 0);
        put32(v5, 2, static_cast<std::uint32_t>(v5.size()));
        put32(v5, 10, offset + 124 - 40);
        put32(v5, 14, 124);
        ASSERT_TRUE(decode_bmp(v5, back));
        EXPECT_TRUE(back == image);
    }
}

TEST(Bmp, RejectsMalformedFilesAndLeavesThePictureAlone) {
    struct Bad {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    const std::vector<std::uint8_t> good24 = twenty_four_bit(picture(3, 2));
    const std::vector<std::uint8_t> good8 = eight_bit();
    auto with = [](std::vector<std::uint8_t> bytes, std::size_t at, std::uint32_t value, int size = 4) {
        if (size == 4) put32(bytes, at, value);
        else put16(bytes, at, static_cast<std::uint16_t>(value));
        return bytes;
    };
    std::vector<std::uint8_t> short_pixels = good24;
    short_pixels.pop_back();
    put32(short_pixels, 2, static_cast<std::uint32_t>(short_pixels.size()));  // the sizes agree, the rows do not fit

    const std::vector<Bad> cases{
        {"empty", {}},
        {"not BM", with(good24, 0, 'M' | 'B' << 8, 2)},
        {"core header", with(good24, 14, 12)},
        {"unknown header size", with(good24, 14, 41)},
        {"header past the end", with(std::vector<std::uint8_t>(good24.begin(), good24.begin() + 40), 2, 0)},
        {"width 0", with(good24, 18, 0)},
        {"negative width", with(good24, 18, static_cast<std::uint32_t>(-3))},
        {"height 0", with(good24, 22, 0)},
        {"most negative height", with(good24, 22, 0x80000000u)},
        {"width too large", with(good24, 18, 40000)},
        {"too many pixels", with(with(good24, 18, 30000), 22, 30000)},
        {"planes 2", with(good24, 26, 2, 2)},
        {"32 bits", with(good24, 28, 32, 2)},
        {"4 bits", with(good8, 28, 4, 2)},
        {"RLE8", with(good8, 30, 1)},
        {"bit fields", with(good24, 30, 3)},
        {"declared size past the end", with(good24, 2, static_cast<std::uint32_t>(good24.size() + 1))},
        {"pixels past the end", with(good24, 10, 0xFFFFFFF0u)},
        {"pixels inside the header", with(good24, 10, 50)},
        {"pixel rows cut short", short_pixels},
        {"colour table over 256", with(good8, 46, 257)},
        {"colour table past the end", with(good8, 46, 200)},
        {"pixels inside the colour table", with(good8, 10, 54 + 8)},
        {"index past the colour table", with(good8, 46, 2)},
    };
    for (const Bad& bad : cases) {
        Image image = picture(1, 1);
        const Status s = decode_bmp(bad.bytes, image);
        EXPECT_FALSE(s) << bad.what;
        EXPECT_FALSE(s.message().empty()) << bad.what;
        EXPECT_TRUE(image == picture(1, 1)) << bad.what;
    }
}

TEST(Bmp, EveryTruncationFails) {
    for (std::vector<std::uint8_t> file : {encode_bmp(picture(5, 3)), twenty_four_bit(picture(5, 3)), eight_bit()}) {
        for (int honest_size = 0; honest_size < 2; ++honest_size) {
            if (honest_size == 0) put32(file, 2, 0);  // a writer that leaves the file size out
            for (std::size_t length = 0; length < file.size(); ++length) {
                std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
                if (honest_size == 1 && length >= 6) put32(cut, 2, static_cast<std::uint32_t>(length));
                Image image;
                EXPECT_FALSE(decode_bmp(cut, image)) << length << " of " << file.size();
            }
        }
    }
}

// Random damage to valid files: whatever happens, nothing is read out of
// bounds (run under the address sanitizer) and a success is a sane picture.
TEST(Bmp, SurvivesRandomDamage) {
    std::mt19937 random(1234);
    const std::vector<std::vector<std::uint8_t>> files{encode_bmp(picture(5, 3)), twenty_four_bit(picture(5, 3)), eight_bit(),
                                                      eight_bit(0)};
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> bytes = files[round % files.size()];
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int c = 0; c < changes; ++c) {
            // Mostly the headers, where the damage matters.
            const std::size_t at = random() % 2 ? random() % 60 : random() % bytes.size();
            if (at < bytes.size()) bytes[at] = static_cast<std::uint8_t>(random());
        }
        if (random() % 4 == 0) bytes.resize(random() % (bytes.size() + 1));
        Image image;
        if (decode_bmp(bytes, image)) {
            ASSERT_GT(image.width, 0);
            ASSERT_GT(image.height, 0);
            ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(image.width) * image.height);
            ASSERT_TRUE(image.indices_within_palette());
        }
    }
}

}  // namespace
