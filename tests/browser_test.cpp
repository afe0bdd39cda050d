// What visitors see, checked in a real browser: the archive's pages opened
// from disk in headless Chromium (tests/browser/check_pages.py). These
// tests carry the CTest label "browser": without Chromium, run the others
// with `ctest -LE browser`.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "support/plotmuf_process.h"
#include "support/station_folder.h"

namespace fs = std::filesystem;
using station::StationFolder;

namespace {

TEST(ArchivePages, AreBrowsableAndShowOnlyTheArchivedCharts) {
    StationFolder station;
    // Files that are no archived chart: a name that is HTML, a day past the
    // year's end, a temporary file, a folder named as a chart, a hidden file.
    for (const char* name : {"<script>alert(1)</script>.gif", "2024400.gif", "2024063.gif.tmp", ".2024045.gif"})
        station.root.write(std::string(station::archive) + "/" + name, "GIF89a");
    fs::create_directory(station.archived("2024040"));

    ASSERT_EQ(run_plotmuf(station.work(), {"--archive", "2024-01-20", "2024-02-10", "--archive-page"}).status, 1)
        << "9 February has a folder for a chart";
    RunResult run = run_plotmuf(station.work(), {"--today", station::today, "--archive-page"});
    ASSERT_EQ(run.status, 0) << run.err;

    const fs::path archive = station.root.path() / station::archive;
    for (const char* page : {"index.html", "2024-01.html", "2024-02.html", "2024-03.html"}) {
        SCOPED_TRACE(page);
        const std::string html = read_text(archive / page);
        ASSERT_FALSE(html.empty());
        for (const char* never : {"<script", "script>", "2024400", ".tmp", "2024040.gif", "2024045"})
            EXPECT_EQ(html.find(never), std::string::npos) << never;
    }
    const std::string february = read_text(archive / "2024-02.html");
    EXPECT_NE(february.find("src=\"2024039.gif\""), std::string::npos);
    EXPECT_NE(february.find("src=\"2024060.gif\""), std::string::npos);

    // A real browser opens them from disk: every chart loads at 286 x 221
    // and every link leads to a page that is there.
    fs::remove_all(station.archived("2024040"));
    run = run_plotmuf(archive, {(fs::path(PLOTMUF_SOURCE_DIR) / "tests" / "browser" / "check_pages.py").string(),
                                archive.string()},
                      {.program = "/usr/bin/python3"}, std::chrono::minutes(5));
    EXPECT_EQ(run.status, 0) << run.out << run.err;
}

}  // namespace
