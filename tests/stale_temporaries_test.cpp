// What a run killed between writing a temporary and renaming it leaves
// behind (a power cut, an OOM kill): the next run removes it, when it is one
// of this program's own, in a folder that run writes to, and no run still
// going may be writing it.

#include <gtest/gtest.h>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/plotmuf_process.h"
#include "support/station_folder.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using station::StationFolder;

namespace {

// The id of a process that has ended and been reaped: no process has it now.
pid_t ended_process() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

struct Planted {
    std::string path;  // below the station's root
    bool removed;      // by a scheduled run with --metrics metrics/station.prom
    std::chrono::hours age{0};
};

// Temporaries named as plotmuf names them, of dead, live and reused
// process ids, and names that look like them and are not.
std::vector<Planted> planted(pid_t dead, pid_t live) {
    const std::string d = std::to_string(dead), l = std::to_string(live);
    const std::string archive = std::string(station::archive) + "/";
    return {
        // Of a process that is gone, in each folder the run writes to.
        {"web/.plotMUF4.gif." + d + "-0.tmp", true},
        {"web/.plotMUF6.svg." + d + "-3.tmp", true},
        {"web/.latest.json." + d + "-0.tmp", true},
        {"previsioni/.grafico3.bmp." + d + "-0.tmp", true},
        {archive + ".2024061.gif." + d + "-0.tmp", true},
        {archive + ".2023366.csv." + d + "-1.tmp", false},  // 2023 had 365 days: no chart's name
        {archive + ".2024-03.html." + d + "-99.tmp", true},
        {archive + ".index.html." + d + "-0.tmp", true},
        {"metrics/.station.prom." + d + "-0.tmp", true},
        // Of a process still running: a run going on beside this one.
        {"web/.plotMUF1.gif." + l + "-0.tmp", false},
        {archive + ".2024060.gif." + l + "-1.tmp", false, std::chrono::hours(23)},
        // Older than a day: its process id has been taken by another.
        {"web/.plotMUF2.gif." + l + "-0.tmp", true, std::chrono::hours(25)},
        {"metrics/.station.prom." + l + "-0.tmp", true, std::chrono::hours(24 * 400)},
        // Other programs' files, and names one character off.
        {"web/other.tmp", false, std::chrono::hours(48)},
        {"web/.other.gif." + d + "-0.tmp", false, std::chrono::hours(48)},
        {"web/.latest.jsonl." + d + "-0.tmp", false, std::chrono::hours(48)},
        {"web/plotMUF4.gif." + d + "-0.tmp", false},
        {"web/.plotMUF4.gif." + d + "-0.tmp~", false},
        {"web/.plotMUF4.gif." + d + "-0.TMP", false},
        {"web/.plotMUF4.gif." + d + "_0.tmp", false},
        {"web/.plotMUF4.gif." + d + "-100.tmp", false},
        {"web/.plotMUF4.gif.0" + d + "-0.tmp", false},
        {"web/.plotMUF4.gif." + d + "-00.tmp", false},
        {"web/.plotMUF4.gif.-0.tmp", false},
        {"web/.plotMUF7.gif." + d + "-0.tmp", false},
        {"web/.plotMUF4.gifx." + d + "-0.tmp", false},
        {"web/.plotMUF4.bmp." + d + "-0.tmp", false},
        {"metrics/.other.prom." + d + "-0.tmp", false},
        // plotmuf's names, in a folder where it never writes them.
        {"previsioni/.plotMUF4.gif." + d + "-0.tmp", false},
        {"autoscalati/.plotMUF4.gif." + d + "-0.tmp", false},
        {"web/.grafico3.bmp." + d + "-0.tmp", false},
    };
}

void plant(const StationFolder& folder, const std::vector<Planted>& files) {
    for (const Planted& p : files) {
        const fs::path file = folder.root.write(p.path, "partial");
        fs::last_write_time(file, fs::file_time_type::clock::now() - p.age);
    }
}

TEST(StaleTemporaries, ARunRemovesItsOwnOfEndedProcessesOrOlderThanADayAndNothingElse) {
    StationFolder folder;
    folder.root.make_folder("metrics");
    const std::vector<Planted> files = planted(ended_process(), ::getpid());
    plant(folder, files);

    const RunResult run = run_program(folder.work(), {"--today", station::today, "--archive-page", "--verbose",
                                                      "--metrics", folder.root.slash() + "metrics/station.prom"});
    ASSERT_TRUE(run.in_time);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    for (const Planted& p : files)
        EXPECT_EQ(fs::exists(folder.root.path() / p.path), !p.removed) << p.path << (p.removed ? " kept" : " removed");
    EXPECT_TRUE(folder.output_bytes() == station::plain_charts());
}

// A range writes to the archive folder and the metrics file's only; a run
// whose measurement folder cannot be read writes no chart, and removes
// nothing but in the metrics file's folder.
TEST(StaleTemporaries, OnlyTheFoldersARunWritesToAreCleared) {
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        bool unreadable;
        std::vector<std::string> cleared;  // folders whose stale temporaries go
    };
    const Case cases[] = {
        {"range", {"--archive", "2024-03-01", "2024-03-01"}, false, {std::string(station::archive), "metrics"}},
        {"range, bare metrics name", {"--archive", "2024-03-01", "2024-03-01"}, false, {std::string(station::archive), "stazione"}},
        {"no measurements", {"--today", station::today}, true, {"metrics"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StationFolder folder;
        const std::string d = std::to_string(ended_process());
        const std::vector<std::string> stale = {
            "web/.plotMUF4.gif." + d + "-0.tmp", "previsioni/.grafico3.bmp." + d + "-0.tmp",
            std::string(station::archive) + "/.2024061.gif." + d + "-0.tmp", "metrics/.station.prom." + d + "-0.tmp",
            "stazione/.station.prom." + d + "-0.tmp"};
        for (const std::string& path : stale) folder.root.write(path, "partial");
        if (c.unreadable) fs::rename(folder.root.path() / "autoscalati", folder.root.path() / "autoscalati.away");

        std::vector<std::string> arguments = c.arguments;
        const bool bare = c.cleared.back() == "stazione";
        arguments.insert(arguments.end(), {"--metrics", bare ? "station.prom" : folder.root.slash() + "metrics/station.prom"});
        const RunResult run = run_program(folder.work(), arguments);
        ASSERT_TRUE(run.in_time);
        EXPECT_EQ(run.status, c.unreadable ? 1 : 0) << run.err;
        for (const std::string& path : stale) {
            const std::string in = fs::path(path).parent_path().generic_string();
            const bool cleared = std::find(c.cleared.begin(), c.cleared.end(), in) != c.cleared.end();
            EXPECT_EQ(fs::exists(folder.root.path() / path), !cleared) << path;
        }
    }
}

// A temporary that cannot be removed (another user's, in a folder with the
// sticky bit) stays, is named under --verbose, and fails nothing.
TEST(StaleTemporaries, OneThatCannotBeRemovedIsNamedAndFailsNothing) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root, to run plotmuf as the user nobody";
    TempFolder program;
    ChildOptions options;
    run_as_nobody(options, program);

    StationFolder folder;
    const std::string stale = "web/.plotMUF4.gif." + std::to_string(ended_process()) + "-0.tmp";
    folder.root.write(stale, "partial");
    fs::permissions(folder.root.path(), fs::perms::all);
    for (const auto& entry : fs::recursive_directory_iterator(folder.root.path()))
        if (entry.is_directory()) fs::permissions(entry.path(), fs::perms::all);
    fs::permissions(folder.root.path() / "web", fs::perms::sticky_bit, fs::perm_options::add);

    const RunResult run = run_program(folder.work(), {"--today", station::today, "--verbose"}, options);
    ASSERT_TRUE(run.in_time);
    if (run.status == 127) GTEST_SKIP() << "the user nobody cannot start " << options.program;
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "plotmuf: cannot delete " + folder.root.slash() + stale + ": Operation not permitted\n");
    EXPECT_TRUE(fs::exists(folder.root.path() / stale));
    EXPECT_TRUE(folder.output_bytes() == station::plain_charts());
}

}  // namespace
