// Runs that overlap, as when a scheduler starts the next one while a slow one
// is still going: they all end, and a web server reading the charts at any
// moment gets a whole chart, the one before or the one after.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/plotmuf_process.h"
#include "support/gif_decode.h"
#include "support/station_folder.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using station::StationFolder;

namespace {

std::vector<std::string> args() { return {"--today", station::today}; }

TEST(OverlappingRuns, EightRunsTogetherAllEndAndEveryChartIsWholeAtAnyMoment) {
    const std::vector<std::string>& wanted = station::plain_charts();
    for (const std::string& chart : wanted) {
        Image image;
        ASSERT_TRUE(decode_gif({reinterpret_cast<const std::uint8_t*>(chart.data()), chart.size()}, image));
    }

    // The charts of an earlier run, without forecast files, are in place.
    StationFolder folder;
    station::draw_without_forecasts(folder);
    const std::vector<std::string> before = folder.output_bytes();

    // A reader, as a web server would be, polls all twelve files.
    std::atomic<bool> runs_over{false};
    int reads = 0;
    std::vector<std::string> bad;
    std::thread reader([&] {
        const std::vector<fs::path> files = folder.outputs();
        for (bool last = false; !last;) {
            last = runs_over;  // one more pass after the runs
            for (std::size_t i = 0; i < files.size(); ++i) {
                const std::string bytes = read_text(files[i]);
                ++reads;
                if (bytes != before[i] && bytes != wanted[i] && bad.size() < 5)
                    bad.push_back(files[i].filename().string() + ": " + std::to_string(bytes.size()) + " bytes");
            }
        }
    });

    std::vector<pid_t> runs;
    for (int i = 0; i < 8; ++i) runs.push_back(start_plotmuf(folder.work(), args()));
    for (pid_t pid : runs) {
        const ChildEnd end = wait_plotmuf(pid, std::chrono::seconds(120));
        EXPECT_TRUE(end.in_time);
        EXPECT_TRUE(end.status == 0 || end.status == 1) << end.status;
    }
    runs_over = true;
    reader.join();

    EXPECT_EQ(bad, std::vector<std::string>{}) << "neither the chart before nor the one after";
    EXPECT_GT(reads, 12 * 8);
    EXPECT_TRUE(folder.output_bytes() == wanted);
    EXPECT_EQ(station::leftovers(folder.root.path()), std::vector<std::string>{});
}

// Runs of two dates at once, as when a slow run before midnight overlaps the
// first run after it. They share the names of the scratch bitmaps, but each
// day is archived under its own name with its own chart, and each published
// chart is one that either run drew for that place.
TEST(OverlappingRuns, RunsOnEitherSideOfMidnightArchiveEachDayWithItsOwnChart) {
    const char* const dates[] = {"2024-03-01", "2024-03-02"};
    std::map<std::string, std::string> archived;  // by file name, from runs alone
    std::vector<std::string> published[2];
    for (int d = 0; d < 2; ++d) {
        StationFolder plain;
        ASSERT_EQ(run_program(plain.work(), {"--today", dates[d]}).status, 0);
        for (const auto& entry : fs::directory_iterator(plain.archived(1).parent_path()))
            archived[entry.path().filename().string()] = read_text(entry.path());
        for (int n = 1; n <= 6; ++n) published[d].push_back(read_text(plain.published(n)));
    }
    ASSERT_EQ(archived.size(), 7u);

    // A run takes another's bitmap only when that one lands between its own
    // write and read: rounds enough that this happens in most test runs.
    StationFolder folder;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        std::vector<pid_t> runs;
        for (int i = 0; i < 12; ++i) runs.push_back(start_plotmuf(folder.work(), {"--today", dates[i % 2]}));
        for (pid_t pid : runs) EXPECT_TRUE(wait_plotmuf(pid, std::chrono::seconds(120)).in_time);
        for (const auto& entry : fs::directory_iterator(folder.archived(1).parent_path())) {
            const std::string name = entry.path().filename().string();
            ASSERT_TRUE(read_text(entry.path()) == archived[name]) << name << " is not the chart of its day";
        }
        for (int n = 1; n <= 6; ++n) {
            const std::string chart = read_text(folder.published(n));
            ASSERT_TRUE(chart == published[0][n - 1] || chart == published[1][n - 1]) << "plotMUF" << n;
        }
    }
}

}  // namespace
