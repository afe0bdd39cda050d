// The archive redrawn for a range of days, its durable writes and its
// browsing pages: the real binary on real files.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/plotmuf_process.h"
#include "support/station_folder.h"
#include "support/tmpfs.h"

namespace fs = std::filesystem;
using station::StationFolder;

namespace {

// The archived charts below `station`, by file name, with their bytes.
std::map<std::string, std::string> archived_charts(const StationFolder& station) {
    std::map<std::string, std::string> charts;
    for (const auto& entry : fs::directory_iterator(station.root.path() / station::archive)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name.ends_with(".gif")) charts[name] = read_text(entry.path());
    }
    return charts;
}

// Occurrences of `text` in `in`.
std::size_t count_of(const std::string& in, const std::string& text) {
    std::size_t n = 0;
    for (std::size_t at = in.find(text); at != std::string::npos; at = in.find(text, at + 1)) ++n;
    return n;
}

// The 61 days from 1 January to 1 March 2024: two blocks and more of charts,
// across a month without forecast file (January) and the station's data.
const std::vector<std::string> range = {"--archive", "2024-01-01", "2024-03-01"};
constexpr int range_days = 61;

TEST(ArchiveRange, ChartsAreThoseTheScheduledRunArchivesAndNothingElseIsWritten) {
    // What scheduled runs archive for 1 to 6 January and 25 February to 1 March.
    std::map<std::string, std::string> scheduled;
    for (const char* today : {"2024-01-06", "2024-03-01"}) {
        StationFolder station;
        ASSERT_EQ(run_program(station.work(), {"--today", today}).status, 0);
        const auto charts = archived_charts(station);
        scheduled.insert(charts.begin(), charts.end());
    }
    ASSERT_EQ(scheduled.size(), 12u);

    StationFolder station;
    const std::vector<std::string> before = station::files_in(station.root.path());
    const RunResult run = run_program(station.work(), range);
    ASSERT_TRUE(run.in_time);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");  // not a terminal: no progress
    EXPECT_EQ(run.out, "");

    const auto charts = archived_charts(station);
    EXPECT_EQ(charts.size(), static_cast<std::size_t>(range_days));
    for (const auto& [name, bytes] : scheduled) EXPECT_TRUE(charts.at(name) == bytes) << name;
    // Only the archived charts were added: no published chart, no scratch
    // bitmap, no temporary file.
    std::vector<std::string> expected = before;
    for (const auto& [name, bytes] : charts) expected.push_back(std::string(station::archive) + "/" + name);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(station::files_in(station.root.path()), expected);
}

// A range of years is listed again every four years, so that memory stays
// small: the soundings of its last days are drawn all the same.
TEST(ArchiveRange, ARangeOfYearsDrawsTheDataOfItsLastDays) {
    StationFolder scheduled_station;
    ASSERT_EQ(run_program(scheduled_station.work(), {"--today", station::today}).status, 0);
    const auto scheduled = archived_charts(scheduled_station);

    StationFolder station;
    const RunResult run = run_program(station.work(), {"--archive", "2019-01-01", station::today}, {},
                                     std::chrono::minutes(5));
    ASSERT_TRUE(run.in_time);
    EXPECT_EQ(run.status, 0) << run.err;
    const auto charts = archived_charts(station);
    EXPECT_EQ(charts.size(), 1887u);  // 1 January 2019 to 1 March 2024
    for (const auto& [name, bytes] : scheduled) EXPECT_TRUE(charts.at(name) == bytes) << name;
    if (!memory_is_instrumented) {
        EXPECT_LT(run.peak_kb, 8 * 1024) << "peak resident memory, KiB";
    }
}

TEST(ArchiveRange, ShowsItsProgressOnATerminalAndNowhereElse) {
    StationFolder station;
    const RunResult run = run_plotmuf_on_terminal(station.work(), {"--archive", "2024-02-25", "2024-03-01"});
    ASSERT_TRUE(run.in_time);
    EXPECT_EQ(run.status, 0);
    // One line rewritten in place, day by day, then the summary on its own line.
    for (int day = 1; day <= 6; ++day)
        EXPECT_NE(run.err.find("\rplotmuf: archiving day " + std::to_string(day) + " of 6, 2024-0"), std::string::npos)
            << run.err;
    const std::size_t summary = run.err.rfind("\rplotmuf: archived 6 of 6 days, 0 failed, in ");
    ASSERT_NE(summary, std::string::npos) << run.err;
    EXPECT_TRUE(run.err.ends_with(" s\n") || run.err.ends_with(" \n")) << run.err;
    EXPECT_EQ(run.err.find('\r', summary + 1), std::string::npos) << run.err;
    EXPECT_EQ(count_of(run.err, "\n"), 1u) << run.err;
}

// What stops a day's chart from being written stops that day alone: every
// day is tried, each that fails is named once, the status says so, and
// nothing half-written is left.
struct DayFault {
    const char* name;
    const char* tmpfs_size;  // a file system of its own over the archive folder (needs root); none when null
    std::function<void(const StationFolder&, Tmpfs*)> make;
    bool some_written;       // some days still find room
    bool folder_gone;        // the archive folder is missing, and no run may make it
};

void PrintTo(const DayFault& fault, std::ostream* out) { *out << fault.name; }

class ArchiveRangeFault : public testing::TestWithParam<DayFault> {};

TEST_P(ArchiveRangeFault, EachDayThatCannotBeWrittenFailsAlone) {
    const DayFault& c = GetParam();
    StationFolder station;
    std::unique_ptr<Tmpfs> tmpfs;
    if (c.tmpfs_size) {
        tmpfs = std::make_unique<Tmpfs>(station.root.path() / station::archive, c.tmpfs_size);
        if (!tmpfs->mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (" << tmpfs->error() << "); needs root";
    }
    c.make(station, tmpfs.get());
    const RunResult run = run_program(station.work(), {"--archive", "2024-01-01", "2024-03-01", "--verbose"});
    ASSERT_TRUE(run.in_time);
    EXPECT_EQ(run.status, 1);

    // Each day is either written whole, or named once as failed.
    const auto charts = c.folder_gone ? std::map<std::string, std::string>{} : archived_charts(station);
    int failed = 0, written_days = 0;
    for (std::chrono::sys_days day = std::chrono::year{2024} / 1 / 1; day <= std::chrono::year{2024} / 3 / 1;
         day += std::chrono::days{1}) {
        const std::chrono::year_month_day date{day};
        char label[32], name[32];
        std::snprintf(label, sizeof label, "%02u/%02u/%04d", static_cast<unsigned>(date.day()),
                      static_cast<unsigned>(date.month()), static_cast<int>(date.year()));
        std::snprintf(name, sizeof name, "2024%03d.gif",
                      static_cast<int>((day - std::chrono::sys_days{std::chrono::year{2024} / 1 / 1}).count()) + 1);
        const std::size_t named = count_of(run.err, "plotmuf: day " + std::string(label) + ": ");
        const bool written = charts.count(name) == 1 && charts.at(name).size() > 100 &&
                             charts.at(name).starts_with("GIF89a") && charts.at(name).ends_with(";");
        EXPECT_TRUE(written != (named == 1)) << name << (written ? " written and named" : " neither");
        EXPECT_LE(named, 1u) << name;
        failed += named > 0;
        written_days += written;
    }
    EXPECT_GT(failed, 0);
    if (c.some_written) {
        EXPECT_GT(written_days, 0);
    }
    EXPECT_EQ(station::leftovers(station.root.path()), std::vector<std::string>{});
    EXPECT_EQ(fs::exists(station.root.path() / station::archive), !c.folder_gone) << "no folder is made";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ArchiveRangeFault,
    testing::Values(
        DayFault{"ArchiveFolderMissing", nullptr,
                 [](const StationFolder& s, Tmpfs*) { fs::remove_all(s.root.path() / station::archive); }, false, true},
        DayFault{"AFolderWhereAChartGoes", nullptr,
                 [](const StationFolder& s, Tmpfs*) { fs::create_directory(s.archived("2024040")); }, true, false},
        DayFault{"ArchiveFolderReadOnly", "1m",
                 [](const StationFolder&, Tmpfs* t) { ASSERT_TRUE(t->read_only(true)); }, false, false},
        // Room for some of the charts only: the disk fills part way through.
        DayFault{"ArchiveFolderFullPartWay", "64k", [](const StationFolder&, Tmpfs*) {}, true, false}),
    [](const testing::TestParamInfo<DayFault>& info) { return info.param.name; });

// A system call as strace writes it: `name(arguments) = result`.
struct SystemCall {
    std::string name, first_argument, result;
    std::vector<std::string> quoted;  // the arguments in quotes, paths
};

SystemCall parse_call(const std::string& line) {
    SystemCall call;
    const std::size_t open = line.find('('), equals = line.rfind(" = ");
    if (open == std::string::npos || equals == std::string::npos) return call;
    call.name = line.substr(0, open);
    call.first_argument = line.substr(open + 1, line.find_first_of(",)", open) - open - 1);
    call.result = line.substr(equals + 3, line.find(' ', equals + 3) - equals - 3);
    for (std::size_t at = line.find('"'); at != std::string::npos && at < equals; at = line.find('"', at + 1)) {
        const std::size_t end = line.find('"', at + 1);
        call.quoted.push_back(line.substr(at + 1, end - at - 1));
        at = end;
    }
    return call;
}

// The system calls of a run, as strace sees them in each thread: every new
// archived chart is flushed to the disk before it is renamed over the old
// one, and the archive folder is flushed after the renames.
class Durability : public testing::Test {
protected:
    void SetUp() override {
        if (::access("/usr/bin/strace", X_OK) != 0) GTEST_SKIP() << "no /usr/bin/strace";
    }

    // The order of flushes and renames in each thread of a run with
    // `arguments`, for the archived charts named `durable`.
    void expect_flushed_in_order(const std::vector<std::string>& arguments, const std::vector<std::string>& durable) {
        StationFolder station;
        TempFolder traces;
        // LeakSanitizer cannot work under strace: off, where a build has it.
        std::vector<std::string> words = {"-f", "-ff", "-o", (traces.path() / "trace").string(),
                                          "-e", "trace=openat,fdatasync,fsync,rename,close",
                                          "-E", "ASAN_OPTIONS=detect_leaks=0", PLOTMUF_BINARY};
        words.insert(words.end(), arguments.begin(), arguments.end());
        const RunResult run = run_program(station.work(), words, {.program = "/usr/bin/strace"});
        ASSERT_TRUE(run.in_time);
        ASSERT_EQ(run.status, 0) << run.err;

        std::size_t charts = 0;
        for (const auto& trace : fs::directory_iterator(traces.path())) {
            std::map<std::string, std::string> path_of;  // by descriptor
            std::vector<std::string> synced;              // paths whose data is on the disk
            bool folder_pending = false;                  // a chart renamed since the folder's last flush
            std::istringstream lines(read_text(trace.path()));
            for (std::string line; std::getline(lines, line);) {
                const SystemCall call = parse_call(line);
                if (call.name == "openat" && call.quoted.size() == 1 && call.result != "-1") {
                    path_of[call.result] = call.quoted[0];
                } else if ((call.name == "fdatasync" || call.name == "fsync") && call.result == "0") {
                    const std::string path = path_of[call.first_argument];
                    if (call.name == "fsync" && path.ends_with("previous_RAV3000I2_plots/")) folder_pending = false;
                    else synced.push_back(path);
                } else if (call.name == "close") {
                    path_of.erase(call.first_argument);
                } else if (call.name == "rename" && call.result == "0" && call.quoted.size() == 2 &&
                           std::find(durable.begin(), durable.end(), fs::path(call.quoted[1]).filename()) !=
                               durable.end()) {
                    const std::string chart = call.quoted[0];
                    EXPECT_NE(std::find(synced.begin(), synced.end(), chart), synced.end())
                        << chart << " renamed before it was flushed";
                    folder_pending = true;
                    ++charts;
                }
            }
            EXPECT_FALSE(folder_pending) << "the archive folder not flushed after the last rename";
        }
        EXPECT_EQ(charts, durable.size());
    }
};

TEST_F(Durability, EveryChartOfARangeIsOnTheDiskBeforeItReplacesTheOldOne) {
    std::vector<std::string> charts;
    for (int day = 1; day <= range_days; ++day) charts.push_back("2024" + std::string(day < 10 ? "00" : "0") +
                                                                 std::to_string(day) + ".gif");
    expect_flushed_in_order(range, charts);
}

// A scheduled run writes day 1's chart to the archive for the last time.
TEST_F(Durability, TheScheduledRunKeepsDayOnesChartSo) {
    expect_flushed_in_order({"--today", station::today}, {std::string(station::days[0]) + ".gif"});
}

// The data and the vector picture beside an archived chart are kept as it is.
TEST_F(Durability, TheFilesBesideAChartAreKeptAsItIs) {
    const std::string day_1 = station::days[0];
    expect_flushed_in_order({"--today", station::today, "--csv", "--svg"},
                            {day_1 + ".gif", day_1 + ".csv", day_1 + ".svg"});
    std::vector<std::string> files;
    for (const char* day : {"2024059", "2024060", "2024061"})
        for (const char* extension : {".gif", ".csv"}) files.push_back(day + std::string(extension));
    expect_flushed_in_order({"--archive", "2024-02-28", "2024-03-01", "--csv"}, files);
}

}  // namespace
