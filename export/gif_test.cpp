#include "export/gif.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>

#include "support/gif_decode.h"
#include "support/pixels.h"

namespace {

Image blank(int width, int height, Rgb colour = colours::black) { return blank_image(width, height, colour); }

Rgb grey(int level) { return Rgb{static_cast<std::uint8_t>(level), static_cast<std::uint8_t>(level), 0}; }

// `colours` distinct colours, each used, in random order.
Image noise(int width, int height, int colours, unsigned seed) {
    std::mt19937 random(seed);
    Image image = blank(width, height);
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        paint(image, i, grey(static_cast<int>(i < static_cast<std::size_t>(colours) ? i : random() % colours)));
    return image;
}

// Something like a day's chart: grid, axes, labels, a curve, dots.
Image chart_like() {
    Image image = blank(286, 221);
    auto plot = [&](int x, int y, Rgb c) { paint(image, static_cast<std::size_t>(y) * 286 + x, c); };
    for (int y = 20; y < 200; y += 18)
        for (int x = 30; x < 280; x += 2) plot(x, y, colours::grey);
    for (int x = 30; x < 280; ++x) plot(x, 200, colours::white);
    for (int y = 20; y <= 200; ++y) plot(30, y, colours::white);
    for (int x = 31; x < 280; ++x) plot(x, 110 + static_cast<int>(60 * std::sin(x / 40.0)), colours::yellow);
    for (int i = 0; i < 40; ++i) plot(5 + (i * 37) % 270, 5 + (i * 11) % 12, colours::pale_yellow);
    for (int i = 0; i < 24; ++i) plot(35 + i * 10, 100 + (i * 7) % 50, i % 2 ? colours::red : colours::green);
    return image;
}

// A larger chart drawn dense, over a strip of text-like dots: by the strip
// the string table is full of the grid's strings, which do not fit it.
Image labelled_chart(int width, int height) {
    std::mt19937 random(3);
    Image image = blank(width, height);
    auto plot = [&](int x, int y, Rgb c) { paint(image, static_cast<std::size_t>(y) * width + x, c); };
    const int bottom = height - 24;
    for (int y = 20; y < bottom; y += 18)
        for (int x = 30; x < width - 6; x += 2) plot(x, y, colours::grey);
    for (int x = 30; x < width - 6; x += 9)
        for (int y = 20; y < bottom; y += 3) plot(x, y, colours::grey);
    for (int x = 30; x < width - 6; ++x) plot(x, bottom, colours::white);
    for (int y = 20; y <= bottom; ++y) plot(30, y, colours::white);
    const int middle = 20 + (bottom - 40) / 2;
    for (int x = 31; x < width - 6; ++x)
        plot(x, middle + static_cast<int>((bottom - 40) / 2.5 * std::sin(x / 40.0)), colours::yellow);
    for (int y = bottom + 4; y < height - 4; ++y)
        for (int x = 30; x < width - 6; ++x)
            if (random() % 5 == 0 && (x / 6) % 3 != 2) plot(x, y, colours::pale_yellow);
    for (int i = 0; i < 24; ++i) plot(35 + i * 10, 100 + (i * 7) % 50, i % 2 ? colours::red : colours::green);
    return image;
}

// Long runs of a repeating pattern, then noise, then the pattern again:
// the full string table first pays off, then does not, then does again.
Image changing() {
    Image image = noise(400, 300, 200, 7);
    for (int y = 0; y < 300; ++y) {
        if (y >= 100 && y < 200) continue;
        for (int x = 0; x < 400; ++x) paint(image, static_cast<std::size_t>(y) * 400 + x, grey((x * 3 + y) % 256));
    }
    return image;
}

// Stretches of noise, of runs, of short repeats and of sparse dots, one
// after the other: the string table keeps meeting content it does not fit.
Image patchwork(int width, int height, int colours, unsigned seed) {
    std::mt19937 random(seed);
    Image image = blank(width, height);
    std::size_t i = 0;
    while (i < image.pixels.size()) {
        const std::size_t length = 1 + random() % 20000;
        const unsigned kind = random() % 4, period = 1 + random() % 50;
        for (std::size_t k = 0; k < length && i < image.pixels.size(); ++k, ++i) {
            const unsigned noise = random() % colours;
            const unsigned v = kind == 0   ? noise
                               : kind == 1 ? k / 7 % colours
                               : kind == 2 ? k % period % colours
                                           : (random() % 8 ? 0 : noise);
            paint(image, i, grey(static_cast<int>(v)));
        }
    }
    return image;
}

// Overlapping filled rectangles of a few colours, like a map: long runs
// that end at many different places.
Image blocks(int width, int height, int colours, unsigned seed) {
    std::mt19937 random(seed);
    Image image = blank(width, height);
    for (int i = 0; i < 400; ++i) {
        const int x = static_cast<int>(random() % width), y = static_cast<int>(random() % height);
        const int w = 1 + static_cast<int>(random() % 60), h = 1 + static_cast<int>(random() % 40);
        const Rgb c = grey(static_cast<int>(random() % colours * 20));
        for (int yy = y; yy < std::min(y + h, height); ++yy)
            for (int xx = x; xx < std::min(x + w, width); ++xx) paint(image, static_cast<std::size_t>(yy) * width + xx, c);
    }
    return image;
}

struct Case {
    std::string name;
    Image image;
};

std::vector<Case> pictures() {
    Image two = blank(37, 23);
    for (std::size_t i = 0; i < two.pixels.size(); ++i)
        if (i % 3 == 0 || i % 7 == 0) paint(two, i, colours::white);
    Image all256 = blank(256, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 256; ++x) paint(all256, static_cast<std::size_t>(y) * 256 + x, grey((x + y * y) % 256));
    return {
        {"one_colour", blank(286, 221, colours::pale_yellow)},
        {"one_pixel", blank(1, 1, colours::red)},
        {"two_colours", two},
        {"three_colours", noise(50, 40, 3, 1)},
        {"five_colours", noise(64, 64, 5, 2)},
        {"chart_palette", chart_like()},
        {"seventeen_colours", noise(90, 70, 17, 3)},
        {"all_256_colours", all256},
        {"noise_256_many_tables", noise(400, 400, 256, 4)},
        {"noise_2_many_tables", noise(700, 700, 2, 5)},
        {"changing_content", changing()},
        {"labelled_chart_900x500", labelled_chart(900, 500)},
        {"labelled_chart_640x480", labelled_chart(640, 480)},
        {"patchwork_10", patchwork(382, 270, 10, 50)},
        {"patchwork_22", patchwork(381, 155, 22, 176)},
        {"patchwork_6", patchwork(439, 448, 6, 282)},
        {"map_of_12_colours", blocks(640, 480, 12, 14)},
        {"map_of_5_colours", blocks(333, 251, 5, 27)},
        {"one_row", noise(3000, 1, 4, 6)},
        {"one_column", noise(1, 3000, 4, 6)},
    };
}

// The size of the smallest table of at least 2 entries that holds the
// picture's colours, as a power of two.
int table_bits_for(const Image& image) {
    const std::set<std::uint32_t> colours = [&] {
        std::set<std::uint32_t> found;
        for (Rgb c : colours_of(image)) found.insert(std::uint32_t{c.r} << 16 | std::uint32_t{c.g} << 8 | c.b);
        return found;
    }();
    int bits = 1;
    while ((std::size_t{1} << bits) < colours.size()) ++bits;
    return bits;
}

TEST(GifWriter, GiflibReadsBackEveryPixelAndTheHeaderFacts) {
    for (const Case& c : pictures()) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> gif;
        ASSERT_TRUE(encode_gif(c.image, gif));

        Image back;
        GifFacts facts;
        const Status decoded = decode_gif(gif, back, &facts);
        ASSERT_TRUE(decoded) << decoded.message();
        EXPECT_EQ(back.width, c.image.width);
        EXPECT_EQ(back.height, c.image.height);
        EXPECT_TRUE(back == c.image);

        const int bits = table_bits_for(c.image);
        EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a");
        EXPECT_EQ(facts.images, 1);
        EXPECT_EQ(facts.global_colours, 1 << bits);
        EXPECT_FALSE(facts.local_table);
        EXPECT_FALSE(facts.interlaced);
        // Header 6, screen descriptor 7, colour table, image descriptor 10.
        const std::size_t min_code_size_at = 6 + 7 + 3 * (std::size_t{1} << bits) + 10;
        ASSERT_GT(gif.size(), min_code_size_at);
        EXPECT_EQ(gif[min_code_size_at], bits < 2 ? 2 : bits);
        EXPECT_EQ(gif.back(), 0x3B);
    }
}

TEST(GifWriter, ColourTableListsColoursInOrderOfFirstUseThenBlack) {
    Image image = blank(4, 2, colours::green);
    paint(image, 2, colours::red);
    paint(image, 7, colours::white);
    std::vector<std::uint8_t> gif;
    ASSERT_TRUE(encode_gif(image, gif));
    const std::vector<std::uint8_t> table(gif.begin() + 13, gif.begin() + 13 + 12);
    EXPECT_EQ(table, (std::vector<std::uint8_t>{0, 255, 0, 255, 0, 0, 255, 255, 255, 0, 0, 0}));
}

// The file depends on the pixels' colours only: the palette's order, a
// colour of the palette that no pixel has and a colour it holds twice
// change no byte.
TEST(GifWriter, TheSameColoursGiveTheSameFileWhateverThePalette) {
    const Image drawn = chart_like();
    std::vector<std::uint8_t> expected;
    ASSERT_TRUE(encode_gif(drawn, expected));

    // The palette reversed, its indices changed to match.
    Image reversed = drawn;
    std::reverse(reversed.palette.begin(), reversed.palette.end());
    for (std::uint8_t& p : reversed.pixels) p = static_cast<std::uint8_t>(drawn.palette.size() - 1 - p);
    // Colours no pixel has, before and after the others: one of them
    // changes the size of the colour table (7 colours and 2 more).
    Image unused = drawn;
    unused.palette.insert(unused.palette.begin(), Rgb{1, 2, 3});
    for (std::uint8_t& p : unused.pixels) ++p;
    unused.palette.push_back(Rgb{4, 5, 6});
    // Every pixel of one colour under a second index of that colour.
    Image twice = drawn;
    const std::uint8_t grey_index = static_cast<std::uint8_t>(twice.index_of(colours::grey));
    twice.palette.push_back(colours::grey);
    for (std::uint8_t& p : twice.pixels) p = p == grey_index ? static_cast<std::uint8_t>(twice.palette.size() - 1) : p;
    // Half of them under each.
    Image both = drawn;
    both.palette.push_back(colours::grey);
    for (std::size_t i = 0; i < both.pixels.size(); i += 2)
        if (both.pixels[i] == grey_index) both.pixels[i] = static_cast<std::uint8_t>(both.palette.size() - 1);

    const struct {
        const char* name;
        const Image& image;
    } cases[] = {{"reversed", reversed}, {"unused colours", unused}, {"a colour twice", twice}, {"both of its indices", both}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.image == drawn);
        std::vector<std::uint8_t> gif;
        ASSERT_TRUE(encode_gif(c.image, gif));
        EXPECT_TRUE(gif == expected);
    }
}

TEST(GifWriter, RefusesWhatItCannotWrite) {
    Image exactly_256 = blank(300, 1);
    for (int x = 0; x < 256; ++x) paint(exactly_256, static_cast<std::size_t>(x), grey(x));
    Image too_many = exactly_256;
    too_many.palette.push_back(Rgb{1, 2, 3});
    Image no_palette = blank(10, 10);
    no_palette.palette.clear();
    Image beyond_the_palette = blank(10, 10);
    beyond_the_palette.pixels[57] = 1;
    Image short_pixels = blank(10, 10);
    short_pixels.pixels.pop_back();

    const std::vector<std::uint8_t> untouched{1, 2, 3};
    for (const Image& bad : {too_many, Image{}, blank(0, 5), blank(5, 0), short_pixels, blank(70000, 1), no_palette,
                             beyond_the_palette}) {
        std::vector<std::uint8_t> gif = untouched;
        const Status s = encode_gif(bad, gif);
        EXPECT_FALSE(s) << bad.width << "x" << bad.height;
        EXPECT_FALSE(s.message().empty());
        EXPECT_EQ(gif, untouched);
    }
    std::vector<std::uint8_t> gif;
    EXPECT_TRUE(encode_gif(exactly_256, gif));
}

}  // namespace
