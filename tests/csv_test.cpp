// The data of each chart as CSV, beside it (--csv): the real binary on real
// files, each CSV read back by Python's csv module and its rows looked for
// in the GIF beside it (tests/data/check_csv.py, Pillow decoding the GIF).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/plotmuf_process.h"
#include "support/station_folder.h"

namespace fs = std::filesystem;
using station::StationFolder;

namespace {

// The CSV files given, checked against their charts; "" when every one passes.
std::string csv_faults(const std::vector<fs::path>& files) {
    std::vector<std::string> arguments = {(fs::path(PLOTMUF_SOURCE_DIR) / "tests" / "data" / "check_csv.py").string()};
    for (const fs::path& file : files) arguments.push_back(file.string());
    const RunResult check = run_program(fs::temp_directory_path(), arguments, {.program = "/usr/bin/python3"});
    return check.status == 0 ? "" : "status " + std::to_string(check.status) + ": " + check.err;
}

std::vector<fs::path> csv_beside(const std::vector<fs::path>& charts) {
    std::vector<fs::path> files;
    for (fs::path chart : charts) files.push_back(chart.replace_extension(".csv"));
    return files;
}

// What the station's chart of 1 March 2024 shows: the forecast of
// 032024.txt on every hour, and the day's soundings at their slots' times
// (minute 00 of 11 UT is tried after its minute 15, and listed before it),
// in time order, the forecast first.
std::string expected_march_first() {
    std::map<std::string, std::string> soundings = {
        {"10:15", "30.0,TUJ2O_20240611015.TXT"}, {"10:30", ",TUJ2O_20240611030.TXT"},
        {"10:45", "10.0,TUJ2O_20240611045.TXT"}, {"11:00", "12.5,TUJ2O_20240611100.TXT"},
        {"11:15", "14.0,TUJ2O_20240611115.TXT"},
    };
    std::map<std::string, std::string> rows;  // by time, the forecast first
    for (int h = 0; h < 24; ++h) {
        const int tenths = 60 + 21 * (h < 12 ? h : 23 - h);
        const std::string time = (h < 10 ? "0" : "") + std::to_string(h) + ":00";
        rows[time + " 0"] = "2024-03-01T" + time + ":00Z,forecast," + std::to_string(tenths / 10) + "." +
                            std::to_string(tenths % 10) + ",032024.txt\r\n";
    }
    for (const auto& [time, rest] : soundings) rows[time + " 1"] = "2024-03-01T" + time + ":00Z,observed," + rest + "\r\n";
    std::string csv = "time_utc,series,muf3000f2_mhz,file\r\n";
    for (const auto& [key, row] : rows) csv += row;
    return csv;
}

TEST(Csv, BesideEachChartHoldsTheDotsAndTicksItShows) {
    StationFolder station;
    const RunResult run = run_program(station.work(), {"--today", station::today, "--csv"});
    ASSERT_EQ(run.status, 0) << run.err;
    // The charts are those of a run without the option.
    EXPECT_TRUE(station.output_bytes() == station::plain_charts());
    EXPECT_EQ(csv_faults(csv_beside(station.outputs())), "");
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(read_text(fs::path(station.published(n)).replace_extension(".csv")),
                  read_text(fs::path(station.archived(n)).replace_extension(".csv")))
            << n;
    }
    EXPECT_EQ(read_text(fs::path(station.archived(6)).replace_extension(".csv")), expected_march_first());
    // Minute 01 lies at the hour's x and minute 58 at the next hour's, but
    // each row gives the sounding's own time.
    const std::string leap_day = read_text(fs::path(station.archived(5)).replace_extension(".csv"));
    EXPECT_NE(leap_day.find("\r\n2024-02-29T00:01:00Z,observed,20.0,TUJ2O_20240600001.TXT\r\n"), std::string::npos);
    EXPECT_NE(leap_day.find("\r\n2024-02-29T23:58:00Z,observed,9.8,TUJ2O_20240602358.TXT\r\n"), std::string::npos);
}

TEST(Csv, TheExampleStationsAreEachItsChartsRows) {
    TempFolder example;
    fs::copy(fs::path(PLOTMUF_SOURCE_DIR) / "example", example.path(), fs::copy_options::recursive);
    ASSERT_EQ(run_program(example.path(), {"--today", "2024-03-03", "--csv"}).status, 0);
    std::vector<fs::path> charts;
    for (int n = 1; n <= 6; ++n) charts.push_back(example.path() / "web" / ("plotMUF" + std::to_string(n) + ".gif"));
    EXPECT_EQ(csv_faults(csv_beside(charts)), "");
}

// A range writes each day's CSV beside its archived chart, the one a
// scheduled run writes there.
TEST(Csv, ARangeWritesTheCsvOfEachArchivedChart) {
    StationFolder scheduled;
    ASSERT_EQ(run_program(scheduled.work(), {"--today", station::today, "--csv"}).status, 0);
    StationFolder range;
    const RunResult run = run_program(range.work(), {"--archive", "2024-02-20", station::today, "--csv"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (int n = 1; n <= 6; ++n) {
        const fs::path csv = fs::path(range.archived(n)).replace_extension(".csv");
        EXPECT_EQ(read_text(csv), read_text(fs::path(scheduled.archived(n)).replace_extension(".csv"))) << csv;
    }
    EXPECT_TRUE(fs::exists(range.root.path() / station::archive / "2024051.csv"));
    EXPECT_FALSE(fs::exists(range.root.path() / "web" / "plotMUF6.csv"));
}

// An archived CSV that cannot be read, or that holds no chart's data, gives
// its chart the plain alt text on the archive's page: named under
// --verbose, and no failure of the run.
TEST(Csv, AnArchivedCsvThatCannotBeReadLeavesThePlainAltTextAndIsNamed) {
    StationFolder station;
    ASSERT_EQ(run_program(station.work(), {"--today", station::today, "--csv"}).status, 0);
    const std::string archive = std::string(station::archive) + "/";
    const fs::path garbled = station.root.write(archive + "2024061.csv", "time_utc,series\r\nnot a chart\r\n");
    const fs::path too_large = station.root.write(archive + "2024060.csv", std::string(std::size_t{2} << 20, 'x'));
    const RunResult run = run_program(station.work(), {"--today", station::today, "--archive-page", "--verbose"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("plotmuf: archive pages: the plain alt text for 2024-03-01: " + garbled.string() +
                           " holds no chart's data\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("plotmuf: archive pages: the plain alt text for 2024-02-29: file too large: " +
                           too_large.string() + "\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
    const std::string march = read_text(station.root.path() / station::archive / "2024-03.html");
    const std::string february = read_text(station.root.path() / station::archive / "2024-02.html");
    EXPECT_NE(march.find("alt=\"MUF(3000)F2 chart of 1 March 2024\">"), std::string::npos) << march;
    EXPECT_NE(february.find("alt=\"MUF(3000)F2 chart of 29 February 2024\">"), std::string::npos) << february;
    EXPECT_EQ(february.find("alt=\"MUF(3000)F2 chart of 28 February 2024\">"), std::string::npos)
        << "a CSV that reads is described";
}

// A CSV or an SVG that cannot be written fails its day like a chart: named
// once, the day's later files not written, every other day whole, exit
// status 1.
TEST(FilesBesideAChart, ThatCannotBeWrittenFailTheirDay) {
    for (const char* extension : {".csv", ".svg"}) {
        SCOPED_TRACE(extension);
        StationFolder station;
        fs::create_directory(station.root.path() / "web" / ("plotMUF3" + std::string(extension)));
        const RunResult run =
            run_program(station.work(), {"--today", station::today, "--csv", "--svg", "--verbose"});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("plotmuf: day 27/02/2024: cannot replace " + station.root.slash() + "web/plotMUF3" +
                               extension),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_FALSE(fs::exists(station.archived(3))) << "the day stops at its failing file";
        for (int n : {1, 2, 4, 5, 6}) {
            EXPECT_TRUE(fs::exists(fs::path(station.archived(n)).replace_extension(".csv"))) << n;
            EXPECT_TRUE(fs::exists(fs::path(station.archived(n)).replace_extension(".svg"))) << n;
        }
        // Not even the failed day's scratch bitmap.
        EXPECT_EQ(station::leftovers(station.root.path()), std::vector<std::string>{});
    }
}

}  // namespace
