// Whole charts compared pixel for pixel with approved pictures kept in
// tests/golden/. After a deliberate change of the drawing, approve the new
// pictures with
//     PLOTMUF_UPDATE_GOLDEN=1 ctest --test-dir build-tests -R Golden
// and look at them before committing. On a mismatch the test writes a
// picture of the difference (differing pixels in magenta over the dimmed
// approved chart) into the folder it names.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "export/gif.h"
#include "support/gif_decode.h"
#include "support/pixels.h"
#include "support/plotmuf_process.h"
#include "support/sounding.h"
#include "support/station_folder.h"

namespace fs = std::filesystem;

namespace {

const fs::path golden_folder = fs::path(PLOTMUF_SOURCE_DIR) / "tests" / "golden";

void write_difference(const Image& approved, const Image& drawn, const fs::path& path) {
    std::vector<Rgb> difference = colours_of(approved);
    const std::vector<Rgb> drawn_colours = colours_of(drawn);
    for (std::size_t i = 0; i < difference.size(); ++i) {
        Rgb& p = difference[i];
        if (i < drawn_colours.size() && drawn_colours[i] == p) {
            p = {static_cast<std::uint8_t>(p.r / 4), static_cast<std::uint8_t>(p.g / 4), static_cast<std::uint8_t>(p.b / 4)};
        } else {
            p = {255, 0, 255};
        }
    }
    std::vector<std::uint8_t> gif;
    ASSERT_TRUE(encode_gif(image_of(approved.width, approved.height, difference), gif));
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(gif.data()), static_cast<std::streamsize>(gif.size()));
}

// Compares the chart at `drawn_path` with the approved picture `name`.
void expect_golden(const fs::path& drawn_path, const std::string& name) {
    const fs::path approved_path = golden_folder / (name + ".gif");
    if (std::getenv("PLOTMUF_UPDATE_GOLDEN")) {
        fs::copy_file(drawn_path, approved_path, fs::copy_options::overwrite_existing);
        return;
    }
    Image drawn, approved;
    ASSERT_TRUE(decode_gif_file(drawn_path.string(), drawn));
    ASSERT_TRUE(decode_gif_file(approved_path.string(), approved)) << "no approved picture " << approved_path;
    if (drawn == approved) return;
    const fs::path difference = fs::current_path() / "golden-difference" / (name + ".gif");
    write_difference(approved, drawn, difference);
    ADD_FAILURE() << name << " differs from " << approved_path << "; difference in " << difference;
}

std::string gibi(const char* field) { return sounding_file(field, "Gibilmanna"); }

TEST(Golden, TheExampleStation) {
    TempFolder station;
    fs::copy(fs::path(PLOTMUF_SOURCE_DIR) / "example", station.path(), fs::copy_options::recursive);
    ASSERT_EQ(run_program(station.path(), {"--today", "2024-03-03"}).status, 0);
    expect_golden(station.path() / "web" / "plotMUF6.gif", "example-2024-03-03");
    expect_golden(station.path() / "web" / "plotMUF1.gif", "example-2024-02-27");
}

TEST(Golden, AYearEndStationOfTheFirstKind) {
    station::StationFolder station{station::NoData{}};
    // 31 December 2024 is day 366; hour letters A (00) to X (23).
    station.root.write("previsioni/122024.txt", "only one line: no forecast curve\n");
    station.root.write("previsioni/012025.txt",
                  "January\n  7.0  6.5  6.0  6.0  6.5  9.0 14.0 18.0 21.0 23.0 24.0 24.5"
                  " 24.5 24.0 23.0 22.0 21.0 20.0 17.5 14.0 11.0  9.0  8.0  7.5\n");
    const struct {
        const char* name;
        const char* field;
    } soundings[] = {
        {"24366A00.TXT", "12.3"}, {"24366K15.TXT", "18.0"}, {"24366K30.TXT", "19.5"}, {"24366K45.TXT", "21.0"},
        {"24366K00.TXT", "17.2"}, {"24366L15.TXT", "N/A"},  {"24366L20.TXT", "20.1"}, {"24366L30.TXT", "22.4"},
        {"24366X58.TXT", " 9.8"}, {"24366P10.TXT", "60.0"}, {"24366Q10.TXT", "bad"},  {"24366R05.TXT", " N/A"},
        {"25001A15.TXT", " 7.5"}, {"25001A30.TXT", " 8.0"},
    };
    for (const auto& s : soundings) station.root.write("autoscalati/" + std::string(s.name), gibi(s.field));
    ASSERT_EQ(run_program(station.work(), {"--today", "2025-01-01"}).status, 0);
    expect_golden(station.published(5), "gibi-2024-12-31");
    expect_golden(station.published(6), "gibi-2025-01-01");
}

TEST(Golden, AFrameAloneWhenNothingIsThere) {
    station::StationFolder station{station::NoData{}};
    // A note listed first makes the folder unrecognised; no forecast file.
    station.root.write("autoscalati/000-readme.txt", "Soundings of the Tucuman station\n");
    station.root.write("autoscalati/TUJ2O_20240631200.TXT", "Tucuman\nx\ny\nMUF(3000)F2 =  12.0 MHz\n");
    ASSERT_EQ(run_program(station.work(), {"--today", "2024-03-03"}).status, 0);
    expect_golden(station.published(6), "frame-only");
}

}  // namespace
