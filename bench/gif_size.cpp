// Size and speed of the GIF writer on chart-like pictures, against what
// `gifsicle -O3` makes of the same files. Run through bench/gif_size.sh.
//
//   gif_size OUTPUT_FOLDER
//
// Prints one line per picture. Only the charts a station draws are held to
// gifsicle's size (bench/run.sh); these pictures, charts of other sizes and
// pictures that are no charts, are measured.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "canvas/image.h"
#include "export/gif.h"

namespace {

struct Canvas {
    Image image;

    Canvas(int width, int height, Rgb background) {
        image.width = width;
        image.height = height;
        image.pixels.assign(static_cast<std::size_t>(width) * height, background);
    }

    void plot(int x, int y, Rgb c) {
        if (x >= 0 && y >= 0 && x < image.width && y < image.height)
            image.pixels[static_cast<std::size_t>(y) * image.width + x] = c;
    }

    void line(int x1, int y1, int x2, int y2, Rgb c, int dash = 0) {
        const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
        const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
        int err = dx + dy, step = 0;
        for (;;) {
            if (dash == 0 || (step / dash) % 2 == 0) plot(x1, y1, c);
            ++step;
            if (x1 == x2 && y1 == y2) break;
            const int e2 = 2 * err;
            if (e2 >= dy) err += dy, x1 += sx;
            if (e2 <= dx) err += dx, y1 += sy;
        }
    }

    void disc(int cx, int cy, int r, Rgb c) {
        for (int y = -r; y <= r; ++y)
            for (int x = -r; x <= r; ++x)
                if (x * x + y * y <= r * r) plot(cx + x, cy + y, c);
    }

    // Text-like marks: each character a fixed pseudo-random 5 x 8 glyph.
    void text(int x, int y, const std::string& s, Rgb c) {
        for (char ch : s) {
            std::uint32_t bits = static_cast<std::uint32_t>(ch) * 2654435761u;
            for (int row = 0; row < 8; ++row) {
                bits = bits * 1103515245u + 12345u;
                for (int col = 0; col < 5; ++col)
                    if (ch != ' ' && (bits >> (16 + col)) & 1) plot(x + col, y + row, c);
            }
            x += 6;
        }
    }
};

// One day's MUF chart: grid, axes, labels, a forecast curve and observed dots.
Image chart(unsigned seed, int width = 286, int height = 221, int curves = 1) {
    std::mt19937 random(seed);
    Canvas k(width, height, colours::black);
    const int left = 30, right = width - 8, top = 20, bottom = height - 24;
    for (int f = 0; f <= 10; ++f) {
        const int y = bottom - (bottom - top) * f / 10;
        k.line(left, y, right, y, colours::grey, 2);
        k.text(4, y - 4, std::to_string(f * 4), colours::pale_yellow);
    }
    for (int h = 0; h <= 24; ++h) {
        const int x = left + (right - left) * h / 24;
        k.line(x, top, x, bottom, colours::grey, 3);
        if (h % 3 == 0) k.text(x - 6, bottom + 6, std::to_string(h), colours::pale_yellow);
    }
    k.line(left, bottom, right, bottom, colours::white);
    k.line(left, top, left, bottom, colours::white);
    k.text(left + 10, 4, "MUF forecast  Date: 2024-03-17  station " + std::to_string(seed), colours::pale_yellow);
    const Rgb colours[] = {colours::yellow, colours::green, colours::red};
    for (int c = 0; c < curves; ++c) {
        const double phase = std::uniform_real_distribution<double>(0, 6.28)(random);
        int px = 0, py = 0;
        for (int h = 0; h <= 96; ++h) {
            const int x = left + (right - left) * h / 96;
            const double v = 0.5 + 0.35 * std::sin(h / 96.0 * 6.283 + phase) + 0.05 * std::sin(h * 0.7);
            const int y = bottom - static_cast<int>((bottom - top) * v);
            if (h > 0) k.line(px, py, x, y, colours[c % 3]);
            px = x, py = y;
        }
    }
    std::uniform_int_distribution<int> xs(left, right), ys(top, bottom);
    for (int i = 0; i < 30; ++i) k.disc(xs(random), ys(random), 2, i % 2 ? colours::red : colours::green);
    return k.image;
}

// A chart drawn denser: a fine grid, and a strip of text-like dots under
// the axis, a kind of content the grid's strings do not fit.
Image labelled_chart(int width, int height) {
    std::mt19937 random(3);
    Canvas k(width, height, colours::black);
    const int bottom = height - 24;
    for (int y = 20; y < bottom; y += 18)
        for (int x = 30; x < width - 6; x += 2) k.plot(x, y, colours::grey);
    for (int x = 30; x < width - 6; x += 9)
        for (int y = 20; y < bottom; y += 3) k.plot(x, y, colours::grey);
    k.line(30, bottom, width - 7, bottom, colours::white);
    k.line(30, 20, 30, bottom, colours::white);
    const int middle = 20 + (bottom - 40) / 2;
    for (int x = 31; x < width - 6; ++x)
        k.plot(x, middle + static_cast<int>((bottom - 40) / 2.5 * std::sin(x / 40.0)), colours::yellow);
    for (int y = bottom + 4; y < height - 4; ++y)
        for (int x = 30; x < width - 6; ++x)
            if (random() % 5 == 0 && (x / 6) % 3 != 2) k.plot(x, y, colours::pale_yellow);
    for (int i = 0; i < 24; ++i) k.plot(35 + i * 10, 100 + (i * 7) % 50, i % 2 ? colours::red : colours::green);
    return k.image;
}

Image noise(int width, int height, int colours, unsigned seed) {
    std::mt19937 random(seed);
    Canvas k(width, height, colours::black);
    for (Rgb& p : k.image.pixels) {
        const auto v = static_cast<std::uint8_t>(random() % colours);
        p = Rgb{v, static_cast<std::uint8_t>(255 - v), static_cast<std::uint8_t>(v * 7)};
    }
    return k.image;
}

Image gradient(int width, int height) {
    Canvas k(width, height, colours::black);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto v = static_cast<std::uint8_t>((x * 3 + y) & 0xFF);
            k.plot(x, y, Rgb{v, static_cast<std::uint8_t>(v / 2), 40});
        }
    return k.image;
}

// Overlapping filled rectangles of a few colours, like a map.
Image blocks(int width, int height, int colours, unsigned seed) {
    std::mt19937 random(seed);
    Canvas k(width, height, colours::black);
    for (int i = 0; i < 400; ++i) {
        const int x = static_cast<int>(random() % width), y = static_cast<int>(random() % height);
        const int w = 1 + static_cast<int>(random() % 60), h = 1 + static_cast<int>(random() % 40);
        const auto v = static_cast<std::uint8_t>(random() % colours * 20);
        for (int yy = y; yy < y + h; ++yy)
            for (int xx = x; xx < x + w; ++xx) k.plot(xx, yy, Rgb{v, 0, static_cast<std::uint8_t>(255 - v)});
    }
    return k.image;
}

long long size_of(const std::filesystem::path& p) { return static_cast<long long>(std::filesystem::file_size(p)); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gif_size OUTPUT_FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);

    struct Case {
        std::string name;
        Image image;
    };
    std::vector<Case> cases;
    for (unsigned seed = 1; seed <= 12; ++seed)
        cases.push_back({"chart" + std::to_string(seed) + "-" + std::to_string(1 + seed % 3) + "-curves",
                         chart(seed, 286, 221, 1 + static_cast<int>(seed % 3))});
    for (unsigned seed = 30; seed < 34; ++seed)
        cases.push_back({"chart" + std::to_string(seed) + "-" + std::to_string(500 + 100 * (seed % 4)) + "x400",
                         chart(seed, 500 + 100 * (seed % 4), 400, 1 + static_cast<int>(seed % 3))});
    for (auto [w, h] : {std::pair{700, 400}, {900, 500}, {640, 480}, {800, 350}, {1000, 600}})
        cases.push_back({"labelled-" + std::to_string(w) + "x" + std::to_string(h), labelled_chart(w, h)});
    cases.push_back({"chart-1200x900", chart(8, 1200, 900, 3)});
    cases.push_back({"chart-800x600", chart(13, 800, 600, 1)});
    cases.push_back({"blocks-12", blocks(640, 480, 12, 14)});
    for (unsigned seed = 20; seed < 30; ++seed)
        cases.push_back({"blocks" + std::to_string(seed),
                         blocks(300 + 40 * static_cast<int>(seed % 7), 200 + 50 * static_cast<int>(seed % 5),
                                4 + static_cast<int>(seed % 12), seed)});
    cases.push_back({"noise-2", noise(300, 300, 2, 9)});
    cases.push_back({"noise-7", noise(286, 221, 7, 10)});
    cases.push_back({"noise-16", noise(500, 500, 16, 15)});
    cases.push_back({"noise-256", noise(300, 300, 256, 11)});
    for (unsigned seed = 34; seed < 38; ++seed)
        cases.push_back(
            {"noise" + std::to_string(seed), noise(200 + static_cast<int>(seed) * 5, 300, 1 << (seed % 8 + 1), seed)});
    cases.push_back({"gradient", gradient(400, 300)});
    cases.push_back({"one-colour", Canvas(286, 221, colours::black).image});

    long long ours_total = 0, theirs_total = 0;
    std::printf("%-20s %8s %8s %8s %10s\n", "picture", "ours", "gifsicle", "diff", "encode us");
    for (const Case& c : cases) {
        std::vector<std::uint8_t> gif;
        if (!encode_gif(c.image, gif)) {
            std::fprintf(stderr, "%s: encode failed\n", c.name.c_str());
            return 2;
        }
        // Best of several rounds, each of several encodes.
        double best = 1e30;
        for (int round = 0; round < 5; ++round) {
            constexpr int runs = 20;
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < runs; ++i) (void)encode_gif(c.image, gif);
            const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
            best = std::min(best, took.count() / runs);
        }
        const auto ours = folder / (c.name + ".gif");
        const auto theirs = folder / (c.name + ".O3.gif");
        std::ofstream(ours, std::ios::binary).write(reinterpret_cast<const char*>(gif.data()),
                                                    static_cast<std::streamsize>(gif.size()));
        const std::string command = "gifsicle -O3 '" + ours.string() + "' -o '" + theirs.string() + "'";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "%s: gifsicle failed\n", c.name.c_str());
            return 2;
        }
        const long long a = size_of(ours), b = size_of(theirs);
        ours_total += a;
        theirs_total += b;
        std::printf("%-20s %8lld %8lld %+8lld %10.1f%s\n", c.name.c_str(), a, b, a - b, best,
                    a > b ? "  larger" : "");
    }
    std::printf("%-20s %8lld %8lld %+8lld\n", "total", ours_total, theirs_total, ours_total - theirs_total);
    return 0;
}
