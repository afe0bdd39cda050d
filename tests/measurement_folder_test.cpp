// A measurement folder that cannot be read, as when the share that holds it
// is down for an hour: a run then writes nothing, names the folder and the
// system's reason once, and exits 1, so that the charts and pages of the
// runs before stay as they were. A folder that can be read but holds no
// sounding is a station without soundings, drawn as such.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/gif_decode.h"
#include "support/pixels.h"
#include "support/plotmuf_process.h"
#include "support/station_folder.h"

namespace fs = std::filesystem;
using station::StationFolder;

namespace {

struct Unreadable {
    const char* name;
    std::function<void(const fs::path& measurements)> make;
    bool range;       // an archive range instead of the scheduled run
    bool as_nobody;   // a permission that root would not feel
    const char* reason;
};

void PrintTo(const Unreadable& c, std::ostream* out) { *out << c.name; }

class UnreadableMeasurementFolder : public testing::TestWithParam<Unreadable> {};

TEST_P(UnreadableMeasurementFolder, ChangesNoFileAndSaysSoOnce) {
    const Unreadable& c = GetParam();
    ChildOptions options;
    TempFolder program;
    if (c.as_nobody && ::geteuid() == 0) {
        run_as_nobody(options, program);
    }

    // An earlier run wrote all twelve charts and the archive's pages.
    StationFolder station;
    ASSERT_EQ(run_program(station.work(), {"--today", station::today, "--archive-page"}).status, 0);
    fs::permissions(station.root.path(), fs::perms::all);
    for (const auto& entry : fs::recursive_directory_iterator(station.root.path()))
        if (entry.is_directory()) fs::permissions(entry.path(), fs::perms::all);
    const fs::path measurements = station.root.path() / "autoscalati";
    c.make(measurements);
    const std::map<std::string, std::string> before = station::contents(station.root.path());
    if (c.as_nobody) fs::permissions(measurements, fs::perms::none);

    std::vector<std::string> arguments = {"--today", station::today};
    if (c.range) arguments = {"--archive", "2024-02-01", "2024-02-29"};
    arguments.insert(arguments.end(), {"--archive-page", "--verbose"});
    const RunResult run = run_program(station.work(), arguments, options);
    ASSERT_TRUE(run.in_time);
    if (run.status == 127) GTEST_SKIP() << "the user nobody cannot start " << options.program;
    if (c.as_nobody) fs::permissions(measurements, fs::perms::all);

    EXPECT_EQ(run.status, 1);
    const std::string line =
        "plotmuf: measurements: cannot read the folder " + station.root.slash() + "autoscalati/: " + c.reason + "\n";
    EXPECT_EQ(run.err, line);
    EXPECT_TRUE(station::contents(station.root.path()) == before) << "a file was written, changed or removed";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, UnreadableMeasurementFolder,
    testing::Values(
        Unreadable{"Missing", [](const fs::path& m) { fs::remove_all(m); }, false, false, "No such file or directory"},
        Unreadable{"AFileInItsPlace",
                   [](const fs::path& m) {
                       fs::remove_all(m);
                       std::ofstream(m) << "Tucuman\n";
                   },
                   false, false, "Not a directory"},
        Unreadable{"WithoutReadPermission", [](const fs::path&) {}, false, true, "Permission denied"},
        Unreadable{"MissingUnderAMonthsRange", [](const fs::path& m) { fs::remove_all(m); }, true, false,
                   "No such file or directory"}),
    [](const testing::TestParamInfo<Unreadable>& info) { return info.param.name; });

// A folder that can be read but names no station is a station without
// soundings (a new one, or one whose sounder is down): its charts are drawn
// without observed values, published and archived.
TEST(MeasurementFolder, WithoutAStationsSoundingsDrawsChartsWithoutObservedValues) {
    const struct {
        const char* name;
        std::function<void(const fs::path& measurements)> make;
    } cases[] = {
        {"empty", [](const fs::path& m) { fs::remove_all(m), fs::create_directory(m); }},
        {"a note listed first", [](const fs::path& m) { std::ofstream(m / "0_readme.txt") << "Sounder moved\n"; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StationFolder station;
        c.make(station.root.path() / "autoscalati");
        const RunResult run = run_program(station.work(), {"--today", station::today});
        ASSERT_TRUE(run.in_time);
        EXPECT_EQ(run.status, 0) << run.err;
        for (int n = 1; n <= 6; ++n) {
            SCOPED_TRACE(n);
            Image chart;
            ASSERT_TRUE(decode_gif_file(station.published(n).string(), chart));
            EXPECT_EQ(count_colour(chart, colours::red) + count_colour(chart, colours::green), 0);
            EXPECT_GT(count_colour(chart, colours::white), 0);
            EXPECT_EQ(read_text(station.published(n)), read_text(station.archived(n)));
        }
    }
}

// A measurement folder line that names the folder but lacks its final
// separator is the start of names that no sounding has: the charts are
// drawn without observed values, as the line says, and under --verbose one
// line says what happened and what to write. A range says it once too.
TEST(MeasurementFolder, ALineWithoutItsFinalSeparatorIsNamed) {
    const std::string said =
        "plotmuf: measurements: ../autoscalati is a folder, but the line lacks its final separator: no sounding "
        "name starts with it (../autoscalati/ ?)\n";
    for (const bool range : {false, true}) {
        SCOPED_TRACE(range ? "a range" : "the scheduled run");
        StationFolder station;
        station.root.write("stazione/Quorel_RAV3000I2.ini", "x\n" + station.root.slash() + "previsioni\\\ny\n" +
                                                                "../autoscalati\nz\n" + station.root.slash() + "web\\\n");
        const std::vector<std::string> arguments =
            range ? std::vector<std::string>{"--archive", "2019-12-01", "2024-03-01", "--verbose"}
                  : std::vector<std::string>{"--today", station::today, "--verbose"};
        const RunResult run = run_program(station.work(), arguments, {}, std::chrono::minutes(2));
        ASSERT_TRUE(run.in_time);
        EXPECT_EQ(run.status, 0) << run.err;
        const std::size_t at = run.err.find(said);
        EXPECT_NE(at, std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(said, at + 1), std::string::npos) << run.err;
        for (int n = 1; n <= 6; ++n) {
            SCOPED_TRACE(n);
            Image chart;
            ASSERT_TRUE(decode_gif_file(station.archived(n).string(), chart));
            EXPECT_EQ(count_colour(chart, colours::red) + count_colour(chart, colours::green), 0);
        }
    }

    // With its separator the same station's soundings are drawn, and nothing is said of the line.
    StationFolder station;
    const RunResult run = run_program(station.work(), {"--today", station::today, "--verbose"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err.find("final separator"), std::string::npos) << run.err;
}

}  // namespace
