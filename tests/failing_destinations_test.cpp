// Destinations that fail under an unattended run: a publication or archive
// folder made read-only, a full disk, a missing archive folder. The charts
// published before must stay as they were, byte for byte, with no temporary
// or partial file beside them; every day is still attempted; the exit status
// tells of the failure; and once the fault is gone the next run is complete.
//
// Read-only and full folders are small file systems of the test's own
// (tmpfs) mounted over the station's folders; that needs root (as CI runs),
// and the cases are skipped where mounting is not allowed.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/plotmuf_process.h"
#include "support/promtool.h"
#include "support/station_folder.h"
#include "support/temp_folder.h"
#include "support/tmpfs.h"

namespace fs = std::filesystem;
using station::StationFolder;

namespace {

// A run with the data and the figures too, which a fault must leave as
// whole as the charts.
RunResult run(const StationFolder& folder) {
    return run_program(folder.work(), {"--today", station::today, "--verbose", "--csv", "--metrics",
                                       (folder.root.path() / "plotmuf.prom").string()});
}

// The file of day n that a failing export names.
enum class Failing { bitmap, published, archived };
std::string failing_name(Failing file, int n) {
    switch (file) {
    case Failing::bitmap: return "grafico" + std::to_string(n) + ".bmp";
    case Failing::published: return "plotMUF" + std::to_string(n) + ".gif";
    case Failing::archived: return std::string(station::days[n - 1]) + ".gif";
    }
    return "";
}

// What a case does to the station, which file each day's export then fails
// at, and which of the twelve outputs the run made under the fault still
// writes.
struct Fault {
    const char* name;
    const char* mount_over;  // the folder under a tmpfs of its own; none when null
    std::function<void(const StationFolder&, const Tmpfs*)> make;
    std::function<void(const StationFolder&, const Tmpfs*)> mend;
    Failing failing;
    bool published_written;
    bool archived_written;
};

const char* const web = "web";
const char* const archive = station::archive;
const char* const forecasts = "previsioni";

void remove_folder(const fs::path& folder) { fs::remove_all(folder); }

void read_only(const StationFolder&, const Tmpfs* fs) { ASSERT_TRUE(fs->read_only(true)); }
void read_write(const StationFolder&, const Tmpfs* fs) { ASSERT_TRUE(fs->read_only(false)); }
void fill(const StationFolder&, const Tmpfs* fs) { ASSERT_TRUE(fs->fill()); }
void empty(const StationFolder&, const Tmpfs* fs) { fs->empty(); }

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

class FailingDestination : public testing::TestWithParam<Fault> {};

TEST_P(FailingDestination, LeavesThePreviousChartsAsTheyWereAndTheNextRunMends) {
    const Fault& fault = GetParam();
    const std::vector<std::string>& wanted = station::plain_charts();

    StationFolder folder;
    std::unique_ptr<Tmpfs> tmpfs;
    if (fault.mount_over) {
        tmpfs = std::make_unique<Tmpfs>(folder.root.path() / fault.mount_over, "256k");
        if (!tmpfs->mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (" << tmpfs->error() << "); needs root";
        if (fault.mount_over == forecasts) folder.root.make_folder(archive);
        folder.write_data({});
    }
    station::draw_without_forecasts(folder);
    ASSERT_NE(folder.output_bytes(), wanted);

    fault.make(folder, tmpfs.get());
    const std::vector<std::string> before = folder.output_bytes();
    const bool web_there = fs::exists(folder.root.path() / web);
    const bool archive_there = fs::exists(folder.root.path() / archive);
    const RunResult end = run(folder);
    ASSERT_TRUE(end.in_time);
    EXPECT_EQ(end.status, 1);
    // No folder is made.
    EXPECT_EQ(fs::exists(folder.root.path() / web), web_there);
    EXPECT_EQ(fs::exists(folder.root.path() / archive), archive_there);
    // Every day was attempted, and each failed at its file, named once.
    const char* const dates[] = {"25/02/2024", "26/02/2024", "27/02/2024", "28/02/2024", "29/02/2024", "01/03/2024"};
    for (int n = 1; n <= 6; ++n) {
        const std::string prefix = "plotmuf: day " + std::string(dates[n - 1]) + ": ";
        const std::size_t line = end.err.find(prefix);
        ASSERT_NE(line, std::string::npos) << dates[n - 1] << "\n" << end.err;
        const std::string text = end.err.substr(line, end.err.find('\n', line) - line);
        EXPECT_NE(text.find(failing_name(fault.failing, n)), std::string::npos) << text;
        EXPECT_EQ(end.err.find(prefix, line + 1), std::string::npos) << end.err;
    }

    const std::vector<std::string> after = folder.output_bytes();
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(folder.outputs()[i]);
        const bool written = i < 6 ? fault.published_written : fault.archived_written;
        EXPECT_TRUE(after[i] == (written ? wanted[i] : before[i])) << (written ? "not the new chart" : "changed");
    }
    // Each chart's data is there only where the chart was written, and the
    // figures tell the fault.
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(fs::exists(fs::path(folder.published(n)).replace_extension(".csv")), fault.published_written) << n;
        EXPECT_EQ(fs::exists(fs::path(folder.archived(n)).replace_extension(".csv")), fault.archived_written) << n;
    }
    const fs::path figures = folder.root.path() / "plotmuf.prom";
    EXPECT_EQ(promtool_faults(figures), "");
    EXPECT_NE(read_text(figures).find("\nplotmuf_charts_failed{folder=\"" + folder.work().string() + "\"} 6\n"),
              std::string::npos)
        << read_text(figures);
    // No day that failed leaves its scratch bitmap behind.
    EXPECT_EQ(station::leftovers(folder.root.path()), std::vector<std::string>{});

    // The fault mended, the next run writes everything and leaves nothing.
    fault.mend(folder, tmpfs.get());
    const RunResult next = run(folder);
    ASSERT_TRUE(next.in_time);
    EXPECT_EQ(next.status, 0);
    EXPECT_TRUE(folder.output_bytes() == wanted);
    EXPECT_EQ(station::leftovers(folder.root.path()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailingDestination,
    testing::Values(
        Fault{"PublicationFolderReadOnly", web, read_only, read_write, Failing::published, false, false},
        Fault{"PublicationDiskFull", web, fill, empty, Failing::published, false, false},
        Fault{"PublicationFolderMissing", nullptr,
              [](const StationFolder& f, const Tmpfs*) { remove_folder(f.root.path() / web); },
              [](const StationFolder& f, const Tmpfs*) { f.root.make_folder(web); }, Failing::published, false,
              false},
        Fault{"ArchiveFolderReadOnly", archive, read_only, read_write, Failing::archived, true, false},
        Fault{"ArchiveDiskFull", archive, fill, empty, Failing::archived, true, false},
        Fault{"ArchiveFolderMissing", nullptr,
              [](const StationFolder& f, const Tmpfs*) { remove_folder(f.root.path() / archive); },
              [](const StationFolder& f, const Tmpfs*) { f.root.make_folder(archive); }, Failing::archived, true,
              false},
        // The scratch bitmaps' folder: no day gets past its first step.
        Fault{"ForecastDiskFull", forecasts, fill, empty, Failing::bitmap, false, false}),
    [](const testing::TestParamInfo<Fault>& info) { return info.param.name; });

}  // namespace
