// plotmuf --check, --stale-after, and the words a run says once: the real
// binary on station folders, each with one mistake of a first set-up.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/plotmuf_process.h"
#include "support/station_folder.h"

namespace fs = std::filesystem;
using station::StationFolder;

namespace {

// Every entry below `folder`, folders included, with its bytes and its
// modification time: what a run that writes nothing leaves as it was.
std::map<std::string, std::string> state(const fs::path& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).generic_string();
        std::ostringstream time;
        time << fs::last_write_time(entry.path()).time_since_epoch().count();
        entries[name] = time.str() + (entry.is_directory() ? std::string("/") : " " + read_text(entry.path()));
    }
    return entries;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The configuration with these three folder lines.
void configure(const StationFolder& station, const std::string& forecasts, const std::string& measurements,
               const std::string& publication) {
    station.root.write("stazione/Quorel_RAV3000I2.ini",
                       "x\r\n" + forecasts + "\r\ny\r\n" + measurements + "\r\nz\r\n" + publication + "\r\n");
}

// The standard output of --check, checked for its form: every line a
// finding, and the status what the lines say.
struct Checked {
    int status;
    std::vector<std::string> lines;
};

Checked check(const StationFolder& station, std::vector<std::string> arguments = {}, ChildOptions options = {}) {
    arguments.insert(arguments.begin(), {"--check", "--today", station::today});
    const RunResult run = run_program(station.work(), arguments, options);
    EXPECT_TRUE(run.in_time);
    EXPECT_EQ(run.err, "");
    Checked checked{run.status, lines_of(run.out)};
    bool failed = false;
    for (const std::string& line : checked.lines) {
        EXPECT_TRUE(line.starts_with("ok: ") || line.starts_with("note: ") || line.starts_with("fail: ")) << line;
        failed = failed || line.starts_with("fail: ");
    }
    if (run.status == 0 || run.status == 1) {
        EXPECT_EQ(run.status, failed ? 1 : 0) << run.out;
    }
    return checked;
}

// The lines that begin with `start` and hold `part`.
int count(const std::vector<std::string>& lines, const std::string& start, const std::string& part) {
    int n = 0;
    for (const std::string& line : lines) n += line.starts_with(start) && line.find(part) != std::string::npos;
    return n;
}

TEST(Check, TheExampleIsAllOkAndKeepsEveryFileAsItWas) {
    TempFolder copy;
    fs::copy(fs::path(PLOTMUF_SOURCE_DIR) / "example", copy.path() / "example", fs::copy_options::recursive);
    const fs::path example = copy.path() / "example";
    const auto before = state(copy.path());
    const RunResult run = run_program(example, {"--check", "--today", "2024-03-03", "--metrics", "m.prom"});
    ASSERT_TRUE(run.in_time);
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> expected = {
        "ok: configuration Quorel_RAV3000I2.ini",
        "ok: forecasts (line 2): previsioni/ is a folder that plotmuf can write to",
        "ok: forecast previsioni/022024.txt: 24 hourly values",
        "ok: forecast previsioni/032024.txt: 24 hourly values",
        "ok: measurements (line 4): autoscalati/, 532 files, station Rome (RM041_2024058000000.TXT)",
        "ok: newest sounding 2024-03-03 23:45 UT (RM041_2024063234500.TXT)",
        "ok: publication (line 6): web/ is a folder that plotmuf can write to",
        "ok: archive previsioni/previous_RAV3000I2_plots/ is a folder that plotmuf can write to",
        "ok: metrics m.prom: the working folder is a folder that plotmuf can write to",
    };
    EXPECT_EQ(lines_of(run.out), expected) << run.out;
    // Nothing written, cleared or touched: not even a stale temporary.
    EXPECT_EQ(state(copy.path()), before);
}

TEST(Check, LeavesAStaleTemporaryWhereARunWouldClearIt) {
    StationFolder station;
    const fs::path stale = station.root.write("web/.plotMUF1.gif.999999-0.tmp", "left by a run killed part way");
    fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::hours(48));
    const auto before = state(station.root.path());
    EXPECT_EQ(check(station).status, 0);
    EXPECT_EQ(state(station.root.path()), before);
    // A run does clear it: the check is what keeps it.
    EXPECT_EQ(run_program(station.work(), {"--today", station::today}).status, 0);
    EXPECT_FALSE(fs::exists(stale));
}

struct Mistake {
    const char* name;
    std::function<void(const StationFolder&)> make;
    std::vector<std::string> arguments;
    const char* start;  // "fail: ", "note: "
    std::string part;   // what the line says, a part of it
    int status;
    bool as_nobody = false;  // a permission that root would not feel
};

void PrintTo(const Mistake& m, std::ostream* out) { *out << m.name; }

class CheckFinds : public testing::TestWithParam<Mistake> {};

TEST_P(CheckFinds, EachMistakeOnceWithItsStatus) {
    const Mistake& m = GetParam();
    StationFolder station;
    ChildOptions options;
    TempFolder program;
    if (m.as_nobody && ::geteuid() == 0) {
        run_as_nobody(options, program);
        fs::permissions(station.root.path(), fs::perms::all);
        for (const auto& entry : fs::recursive_directory_iterator(station.root.path()))
            if (entry.is_directory()) fs::permissions(entry.path(), fs::perms::all);
    }
    m.make(station);
    const auto before = state(station.root.path());
    const Checked checked = check(station, m.arguments, options);
    if (checked.status == 127) GTEST_SKIP() << "the user nobody cannot start " << options.program;
    EXPECT_EQ(checked.status, m.status);
    std::string all;
    for (const std::string& line : checked.lines) all += line + "\n";
    EXPECT_EQ(count(checked.lines, m.start, m.part), 1) << all;
    EXPECT_EQ(state(station.root.path()), before);
}

std::string at(const StationFolder& s, const std::string& folder) { return s.root.slash() + folder; }

INSTANTIATE_TEST_SUITE_P(
    Check, CheckFinds,
    testing::Values(
        Mistake{"NoConfiguration", [](const StationFolder& s) { fs::remove(s.work() / "Quorel_RAV3000I2.ini"); }, {},
                "fail: ", "configuration: cannot open", 1},
        Mistake{"ForecastLineWithoutSeparator",
                [](const StationFolder& s) { configure(s, at(s, "previsioni"), at(s, "autoscalati/"), at(s, "web/")); },
                {}, "fail: ", "previsioni is a folder, but the line lacks its final separator: the forecasts would be read as ", 1},
        Mistake{"ForecastLineNamingNoFolder",
                [](const StationFolder& s) { configure(s, at(s, "forecasts/"), at(s, "autoscalati/"), at(s, "web/")); },
                {}, "fail: ", "forecasts/ does not exist", 1},
        Mistake{"PublicationLineWithoutSeparator",
                [](const StationFolder& s) { configure(s, at(s, "previsioni/"), at(s, "autoscalati/"), at(s, "web")); },
                {}, "fail: ", "web is a folder, but the line lacks its final separator: the charts would be written as ", 1},
        Mistake{"PublicationFolderMissing", [](const StationFolder& s) { fs::remove_all(s.root.path() / "web"); }, {},
                "fail: ", "web/ does not exist", 1},
        Mistake{"PublicationFolderReadOnly",
                [](const StationFolder& s) { fs::permissions(s.root.path() / "web", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec); },
                {}, "fail: ", "web/ is a folder that plotmuf cannot write to", 1, true},
        Mistake{"ForecastFolderReadOnly",
                [](const StationFolder& s) { fs::permissions(s.root.path() / "previsioni", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec); },
                {}, "fail: ", "previsioni/ is a folder that plotmuf cannot write to", 1, true},
        Mistake{"ArchiveFolderMissing",
                [](const StationFolder& s) { fs::remove_all(s.root.path() / station::archive); }, {}, "fail: ",
                "previous_RAV3000I2_plots/ does not exist", 1},
        Mistake{"MetricsFolderMissing", [](const StationFolder&) {}, {"--metrics", "gone/m.prom"}, "fail: ",
                "metrics: the folder gone/ does not exist", 1},
        Mistake{"MetricsFileAFolder", [](const StationFolder&) {}, {"--metrics", "../web"}, "fail: ",
                "metrics: ../web is a folder, not a file", 1},
        Mistake{"ForecastMissingForFiveDays",
                [](const StationFolder& s) { fs::remove(s.root.path() / "previsioni/022024.txt"); }, {}, "fail: ",
                "previsioni/022024.txt for 2024-02-25 to 2024-02-29", 1},
        Mistake{"ForecastWithoutValues",
                [](const StationFolder& s) { s.root.write("previsioni/032024.txt", "line 1\r\nno values here\r\n"); }, {},
                "fail: ", "032024.txt: no hour of line 2 reads as a value", 1},
        Mistake{"ForecastWithAnHourNotAValue",
                [](const StationFolder& s) {
                    std::string line = station::forecast_line(60, 21);
                    line.replace(15, 5, "  N/A");
                    s.root.write("previsioni/032024.txt", "line 1\r\n" + line + "\r\n");
                },
                {}, "note: ", "032024.txt: 1 of its 24 hours do not read as a value, the first hour 3 UT, \"  N/A\"", 0},
        Mistake{"NoStationInTheFirstFile",
                [](const StationFolder& s) { s.root.write("autoscalati/A_station.txt", "Notes of the sounder\r\n"); }, {},
                "fail: ",
                "for 2024-02-25 to 2024-03-01: the first line of its first file, A_station.txt, begins with \"Note\"", 1},
        Mistake{"EmptyMeasurementLine",
                [](const StationFolder& s) { configure(s, at(s, "previsioni/"), "", at(s, "web/")); }, {}, "note: ",
                "measurements (line 4): the line is empty", 1},
        Mistake{"EmptyMeasurementLineRecognisesNoStation",
                [](const StationFolder& s) { configure(s, at(s, "previsioni/"), "", at(s, "web/")); }, {}, "fail: ",
                "measurements: no station recognised for 2024-02-25 to 2024-03-01: line 4 is empty", 1},
        Mistake{"MeasurementLineWithoutSeparator",
                [](const StationFolder& s) { configure(s, at(s, "previsioni/"), at(s, "autoscalati"), at(s, "web/")); },
                {}, "fail: ", "autoscalati is a folder, but the line lacks its final separator", 1},
        Mistake{"MeasurementFolderMissingTheForecastsStillRead",
                [](const StationFolder& s) {
                    fs::remove_all(s.root.path() / "autoscalati");
                    fs::remove(s.root.path() / "previsioni/032024.txt");
                },
                {}, "fail: ", "previsioni/032024.txt for 2024-03-01", 1},
        Mistake{"MeasurementFolderMissing", [](const StationFolder& s) { fs::remove_all(s.root.path() / "autoscalati"); },
                {}, "fail: ", "measurements: cannot read the folder ", 1},
        Mistake{"NoSoundingOfToday",
                [](const StationFolder& s) {
                    for (const station::Sounding& sounding : station::soundings)
                        if (std::string(sounding.name).starts_with("TUJ2O_2024061"))
                            fs::remove(s.root.path() / "autoscalati" / sounding.name);
                },
                {}, "fail: ", "soundings: no sounding of today, 01/03/2024: the newest is of 2024-02-29 23:58 UT", 1},
        Mistake{"ValueFieldShifted",
                [](const StationFolder& s) {
                    s.root.write("autoscalati/TUJ2O_20240611045.TXT", "Tucuman\r\n2\r\n3\r\nMUF(3000)F2 = 10.0 MHz\r\n");
                    s.root.write("autoscalati/TUJ2O_20240600001.TXT", "Tucuman\r\n2\r\n3\r\nFoF2 MUF3000 = n/a  MHz\r\n");
                },
                {}, "note: ",
                "soundings: 2 value fields (line 4, characters 16 to 19) are neither N/A nor a number of the form dd.d, "
                "the first in TUJ2O_20240600001.TXT",
                0}),
    [](const testing::TestParamInfo<Mistake>& info) { return std::string(info.param.name); });

// A run says each of these once, however many days they concern.
TEST(Verbose, SaysEachNoteOnceWithItsDays) {
    StationFolder station;
    configure(station, station.root.slash() + "previsioni/", "", station.root.slash() + "web");
    fs::remove(station.root.path() / "previsioni/022024.txt");
    const RunResult run = run_program(station.work(), {"--today", station::today, "--verbose"});
    ASSERT_TRUE(run.in_time);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = lines_of(run.err);
    const std::string previsioni = station.root.slash() + "previsioni/";
    for (const std::string& said : {
             "plotmuf: forecast: no file " + previsioni + "022024.txt for 2024-02-25 to 2024-02-29",
             std::string("plotmuf: measurements (line 4): the line is empty: no folder is listed, so no station is recognised"),
             std::string("plotmuf: measurements: no station recognised for 2024-02-25 to 2024-03-01: line 4 is empty"),
             "plotmuf: publication (line 6): " + station.root.slash() +
                 "web is a folder, but the line lacks its final separator: the charts would be written as " +
                 station.root.slash() + "webplotMUF1.gif ... beside it (" + station.root.slash() + "web/ ?)",
         }) {
        EXPECT_EQ(std::count(lines.begin(), lines.end(), said), 1) << said << "\nin\n" << run.err;
    }
    EXPECT_EQ(lines.size(), 4u) << run.err;
    // As the line says: beside the folder.
    EXPECT_TRUE(fs::exists(station.root.path() / "webplotMUF1.gif"));

    // An empty forecast line, and the words for it.
    StationFolder empty;
    configure(empty, "", empty.root.slash() + "autoscalati/", empty.root.slash() + "web/");
    empty.root.make_folder("stazione/previous_RAV3000I2_plots");
    const RunResult second = run_program(empty.work(), {"--today", station::today, "--verbose"});
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_NE(second.err.find("plotmuf: forecasts (line 2): the line is empty: the forecasts (032024.txt) are read, the "
                              "scratch bitmaps written, and the archive kept in previous_RAV3000I2_plots/, in the working "
                              "folder\n"),
              std::string::npos)
        << second.err;
    EXPECT_EQ(count(lines_of(second.err), "plotmuf: forecast: no file 022024.txt", " for 2024-02-25 to 2024-02-29"), 1)
        << second.err;
}

// A station whose sounder stopped: the run writes all it writes, says which
// sounding is the newest, and ends with status 3 unless it failed.
struct Stale {
    const char* name;
    const char* clock;  // UT
    int minutes;
    bool fail;          // the publication folder gone: no chart published or archived
    bool soundings;     // the soundings there
    int status;
    const char* said;   // on standard error, "" for nothing
};

void PrintTo(const Stale& s, std::ostream* out) { *out << s.name; }

class StaleAfter : public testing::TestWithParam<Stale> {};

TEST_P(StaleAfter, SaysSoAndEndsWithItsStatus) {
    const Stale& c = GetParam();
    StationFolder station;
    if (c.fail) fs::remove_all(station.root.path() / "web");
    if (!c.soundings)
        for (const station::Sounding& s : station::soundings) fs::remove(station.root.path() / "autoscalati" / s.name);
    ChildOptions options;
    options.program = "/usr/bin/env";
    std::vector<std::string> words = at_clock(c.clock);
    words.insert(words.end(), {"--today", station::today, "--stale-after", std::to_string(c.minutes), "--metrics", "m.prom"});
    const RunResult run = run_program(station.work(), words, options);
    ASSERT_TRUE(run.in_time);
    if (run.status == 127) GTEST_SKIP() << "faketime is not installed";
    EXPECT_EQ(run.status, c.status) << run.err;
    if (*c.said == '\0') {
        EXPECT_EQ(run.err, "");
    } else {
        EXPECT_EQ(count(lines_of(run.err), "plotmuf: ", c.said), 1) << run.err;
    }
    // Every file written as a run without the option writes it.
    if (!c.fail && c.soundings) {
        EXPECT_EQ(station.output_bytes(), station::plain_charts());
    }
    for (int n = 1; n <= 6; ++n) EXPECT_EQ(fs::exists(station.archived(n)), !c.fail);
    EXPECT_NE(read_text(station.work() / "m.prom").find("plotmuf_"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Run, StaleAfter,
    testing::Values(
        // The newest sounding is TUJ2O_20240611115.TXT, 2024-03-01 11:15 UT.
        Stale{"Recent", "2024-03-01 12:15:00", 60, false, true, 0, ""},
        Stale{"Old", "2024-03-01 12:16:00", 60, false, true, 3,
              "the newest sounding, TUJ2O_20240611115.TXT, is of 2024-03-01 11:15 UT, 61 minutes ago: older than "
              "--stale-after 60"},
        Stale{"OldAndFailing", "2024-03-01 12:16:00", 60, true, true, 1, "61 minutes ago: older than --stale-after 60"},
        Stale{"RecentAndFailing", "2024-03-01 12:15:00", 60, true, true, 1, ""},
        Stale{"None", "2024-03-01 12:15:00", 10080, false, false, 3, "since 2024-02-23 00:00 UT: older than --stale-after 10080"},
        Stale{"NoneAndFailing", "2024-03-01 12:15:00", 10080, true, false, 1, "no sounding in"}),
    [](const testing::TestParamInfo<Stale>& info) { return std::string(info.param.name); });

TEST(Check, TellsAStaleSounderAsARunWould) {
    StationFolder station;
    ChildOptions options;
    options.program = "/usr/bin/env";
    for (const auto& [clock, status] : {std::pair{"2024-03-01 12:15:00", 0}, std::pair{"2024-03-01 12:16:00", 1}}) {
        std::vector<std::string> words = at_clock(clock);
        words.insert(words.end(), {"--check", "--today", station::today, "--stale-after", "60"});
        const RunResult run = run_program(station.work(), words, options);
        if (run.status == 127) GTEST_SKIP() << "faketime is not installed";
        EXPECT_EQ(run.status, status) << run.out;
        const std::vector<std::string> lines = lines_of(run.out);
        const std::string said = status == 0 ? "ok: newest sounding 2024-03-01 11:15 UT (TUJ2O_20240611115.TXT)"
                                             : "fail: soundings: the newest sounding, TUJ2O_20240611115.TXT, is of "
                                               "2024-03-01 11:15 UT, 61 minutes ago";
        EXPECT_EQ(count(lines, said, ""), 1) << run.out;
    }
}

// A name beyond ASCII that may be one of the day's soundings makes the
// listing unsure of that day's minutes: the newest is then looked for name
// by name, and found all the same.
TEST(Check, FindsTheNewestSoundingWhereTheListingCannotTell) {
    StationFolder station;
    station.root.write("autoscalati/TUJ2O_20240611\xc3\xbc.TXT", "Tucuman\r\n");
    const Checked checked = check(station);
    EXPECT_EQ(checked.status, 0);
    EXPECT_EQ(count(checked.lines, "ok: newest sounding 2024-03-01 11:15 UT (TUJ2O_20240611115.TXT)", ""), 1);
}

}  // namespace
