// The real binary on real files in a temporary station folder.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "app/form1.h"
#include "platform/clock.h"
#include "support/gif_decode.h"
#include "support/pixels.h"
#include "support/plotmuf_process.h"
#include "support/station_folder.h"

namespace fs = std::filesystem;
using namespace std::chrono;
using station::StationFolder;

namespace {

// The picture of a GIF file as giflib decodes it; none when giflib rejects it.
std::optional<Image> decoded(const fs::path& path) {
    Image image;
    if (!decode_gif_file(path.string(), image)) return std::nullopt;
    return image;
}

// The chart of day `n` of the six ending `today`, drawn in memory by the
// steps of the run: the configuration of the station's working folder,
// the day keys, the scale, the folder listed, the chart of the day.
Image drawn(const StationFolder& station, year_month_day today, int n) {
    Form1 form({.today = today});
    form.fill_minute_labels();
    form.cartella_corrente = station.work().string() + "/";
    form.read_configuration();
    form.compute_day_keys();
    form.impostazioni_dimensioni_e_scala_del_form();
    EXPECT_TRUE(form.list_measurement_folder(sys_days{today} - days{5}, today));
    form.indice_giorno = static_cast<std::int16_t>(n);
    form.draw_chart();
    return form.superficie.image();
}

TEST(Run, WritesTwelveGifsThatShowExactlyTheChartsDrawn) {
    StationFolder station;
    const std::vector<std::string> inputs = station::files_in(station.root.path());
    const RunResult run = run_program(station.work(), {"--today", station::today});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "");

    for (int n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        const std::optional<Image> published = decoded(station.published(n));
        ASSERT_TRUE(published);
        EXPECT_EQ(read_text(station.published(n)), read_text(station.archived(n)));
        EXPECT_EQ(published->width, 286);
        EXPECT_EQ(published->height, 221);
        EXPECT_TRUE(*published == drawn(station, 2024y / March / 1, n));
    }
    // The charts hold the data: the forecast, values and ticks.
    const std::optional<Image> today = decoded(station.published(6));
    ASSERT_TRUE(today);
    EXPECT_GT(count_colour(*today, colours::white), 100);
    EXPECT_GT(count_colour(*today, colours::red), 30);
    EXPECT_GT(count_colour(*today, colours::green), 5);

    // Nothing but the twelve GIF files is added: no scratch bitmap and no
    // temporary file.
    std::vector<std::string> expected = inputs;
    for (int n = 1; n <= 6; ++n) {
        expected.push_back("web/plotMUF" + std::to_string(n) + ".gif");
        expected.push_back(std::string(station::archive) + "/" + station::days[n - 1] + ".gif");
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(station::files_in(station.root.path()), expected);
}

TEST(Run, TheDateStampLandsAboveThePlotArea) {
    StationFolder station;
    ASSERT_EQ(run_program(station.work(), {"--today", "2024-03-03"}).status, 0);
    const std::optional<Image> chart = decoded(station.published(6));
    ASSERT_TRUE(chart);
    // Text colour only in rows 0 to 12 from column 110 on; "D" starts there.
    int text = 0;
    for (int r = 0; r < 13; ++r) {
        for (int c = 0; c < 286; ++c) {
            if (chart->at(c, r) == colours::pale_yellow) {
                ++text;
                EXPECT_GE(c, 110);
            }
        }
    }
    EXPECT_GT(text, 40);
    EXPECT_EQ(chart->at(111, 5), colours::pale_yellow);
}

TEST(Run, ArchivesAcrossTheYearEndUnderEachDaysOwnYear) {
    StationFolder station;
    ASSERT_EQ(run_program(station.work(), {"--today", "2025-01-03"}).status, 0);
    for (const char* day : {"2024364", "2024365", "2024366", "2025001", "2025002", "2025003"})
        EXPECT_TRUE(fs::exists(station.archived(day))) << day;
}

TEST(Run, WithoutConfigurationEverythingIsRelativeToTheWorkingFolder) {
    TempFolder folder;
    RunResult run = run_program(folder.path(), {"--today", "2024-03-03", "--verbose"});
    // No archive folder there: figures published, status 1, and no day that
    // failed leaves its scratch bitmap behind.
    EXPECT_EQ(run.status, 1);
    // The configuration is named as it was opened, with the system's separator.
    EXPECT_NE(run.err.find((folder.path() / "Quorel_RAV3000I2.ini").string()), std::string::npos) << run.err;
    for (int n = 1; n <= 6; ++n) {
        EXPECT_TRUE(decoded(folder.path() / ("plotMUF" + std::to_string(n) + ".gif"))) << n;
        EXPECT_FALSE(fs::exists(folder.path() / ("grafico" + std::to_string(n) + ".bmp"))) << n;
    }

    // With the archive subfolder in the working folder the run is complete.
    folder.make_folder("previous_RAV3000I2_plots");
    run = run_program(folder.path(), {"--today", "2024-03-03"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(folder.path() / "previous_RAV3000I2_plots" / "2024063.gif"));
    EXPECT_FALSE(fs::exists(folder.path() / "grafico6.bmp"));
}

TEST(Run, AShortConfigurationPublishesInTheWorkingFolder) {
    StationFolder station;
    station.root.write("stazione/Quorel_RAV3000I2.ini", "x\n" + station.root.slash() + "previsioni\\\ny\n" +
                                                            station.root.slash() + "autoscalati\\\n");
    EXPECT_EQ(run_program(station.work(), {"--today", "2024-03-03"}).status, 0);
    EXPECT_TRUE(fs::exists(station.work() / "plotMUF6.gif"));
    EXPECT_TRUE(fs::exists(station.archived("2024063")));
}

TEST(Run, ASecondRunReplacesEveryFile) {
    StationFolder station;
    ASSERT_EQ(run_program(station.work(), {"--today", "2024-03-03"}).status, 0);
    station.root.write("previsioni/032024.txt", "\n" + std::string(24 * 5, ' ').replace(0, 5, " 30.0") + "\n");
    const std::string before = read_text(station.published(6));
    ASSERT_EQ(run_program(station.work(), {"--today", "2024-03-03"}).status, 0);
    EXPECT_NE(read_text(station.published(6)), before);
    EXPECT_EQ(read_text(station.published(6)), read_text(station.archived("2024063")));
}

TEST(Run, APublicationNameThatIsALinkIsReplacedNotWrittenThrough) {
    StationFolder station;
    const fs::path elsewhere = station.root.write("elsewhere.txt", "keep me");
    fs::create_symlink(elsewhere, station.published(1));
    ASSERT_EQ(run_program(station.work(), {"--today", "2024-03-03"}).status, 0);
    EXPECT_EQ(read_text(elsewhere), "keep me");
    EXPECT_FALSE(fs::is_symlink(station.published(1)));
    EXPECT_TRUE(decoded(station.published(1)));
}

struct Usage {
    std::vector<std::string> arguments;
    const char* message;
    friend void PrintTo(const Usage& usage, std::ostream* os) {
        for (const std::string& a : usage.arguments) *os << a << ' ';
    }
};

class UsageError : public testing::TestWithParam<Usage> {};

TEST_P(UsageError, ExitsTwoBeforeReadingOrWritingAnything) {
    StationFolder station;
    const std::vector<std::string> before = station::files_in(station.root.path());
    const RunResult run = run_program(station.work(), GetParam().arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("usage: plotmuf"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(station::files_in(station.root.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Options, UsageError,
                         testing::Values(Usage{{"--bogus"}, "unknown option '--bogus'"},
                                         Usage{{"stray"}, "unknown option 'stray'"},
                                         Usage{{"--today"}, "--today needs a date"},
                                         Usage{{"--today", "2024-02-30"}, "'2024-02-30' is not a date"},
                                         Usage{{"--today", "24-03-03"}, "is not a date"},
                                         Usage{{"--today", "2024-3-3"}, "is not a date"},
                                         Usage{{"--today=2024-13-01"}, "is not a date"},
                                         Usage{{"--verbose", "--today", "+024-03-03"}, "is not a date"},
                                         Usage{{"--archive", "2024-03-01"}, "--archive needs two dates"},
                                         Usage{{"--archive", "2024-03-02", "2024-03-01"}, "comes after TO"},
                                         Usage{{"--archive", "2024-3-1", "2024-03-02"}, "'2024-3-1' is not a date"},
                                         Usage{{"--archive", "2024-03-01", "12024-03-02"}, "is not a date"},
                                         Usage{{"--archive", "0999-12-31", "2024-03-02"}, "is not a date"},
                                         Usage{{"--archive", "2024-02-01", "2024-02-02", "--today", "2024-03-01"},
                                               "cannot go together"},
                                         Usage{{"--metrics"}, "--metrics needs a file name"},
                                         Usage{{"--metrics", "--verbose"}, "--metrics needs a file name"},
                                         Usage{{"--metrics="}, "--metrics needs a file name"},
                                         Usage{{"--archive=2024-03-01", "2024-03-02"}, "--archive FROM TO"},
                                         Usage{{"--archive=2024-03-01"}, "--archive FROM TO"},
                                         Usage{{"--csv=yes"}, "option '--csv' takes no value"},
                                         Usage{{"--check=1"}, "option '--check' takes no value"},
                                         Usage{{"--verbose", "--verbose"}, "option '--verbose' given twice"},
                                         Usage{{"-h", "--help"}, "option '--help' given twice"},
                                         Usage{{"--today", "2024-03-01", "--today=2024-03-02"}, "option '--today' given twice"},
                                         Usage{{"--metrics", "a.prom", "--metrics", "b.prom"}, "option '--metrics' given twice"},
                                         Usage{{"--archive", "2024-03-01", "2024-03-02", "--archive", "2024-03-01", "2024-03-02"},
                                               "option '--archive' given twice"},
                                         Usage{{"--stale-after=60", "--stale-after", "60"}, "option '--stale-after' given twice"},
                                         Usage{{"--check", "--check"}, "option '--check' given twice"},
                                         Usage{{"--stale-after"}, "--stale-after needs a number of minutes from 1 to 10080"},
                                         Usage{{"--stale-after", "0"}, "--stale-after needs a number of minutes"},
                                         Usage{{"--stale-after=10081"}, "--stale-after needs a number of minutes"},
                                         Usage{{"--stale-after", "-5"}, "--stale-after needs a number of minutes"},
                                         Usage{{"--stale-after", "1h"}, "--stale-after needs a number of minutes"},
                                         Usage{{"--check", "--archive", "2024-03-01", "2024-03-02"}, "not for --archive"},
                                         Usage{{"--archive", "2024-03-01", "2024-03-02", "--stale-after", "5"},
                                               "not for --archive"}),
                         [](const testing::TestParamInfo<Usage>& info) { return "Case" + std::to_string(info.index); });

TEST(Options, HelpAndVersionWriteNothingButTheirText) {
    StationFolder station;
    const std::vector<std::string> before = station::files_in(station.root.path());
    RunResult run = run_program(station.work(), {"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("--today YYYY-MM-DD"), std::string::npos);
    for (const char* listed : {"-h, --help", "--check", "--stale-after MINUTES"})
        EXPECT_NE(run.out.find(listed), std::string::npos) << listed;
    EXPECT_EQ(run_program(station.work(), {"-h"}).out, run.out);
    run = run_program(station.work(), {"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "plotmuf " PLOTMUF_VERSION "\n");
    EXPECT_EQ(station::files_in(station.root.path()), before);
}

// Each option that takes one value takes it after "=" as well: the same
// run, the same files.
TEST(Options, AValueAfterAnEqualsSignIsTheSameRun) {
    StationFolder spaced, joined;
    const RunResult one = run_program(spaced.work(), {"--today", station::today, "--metrics", "m.prom", "--stale-after", "10080"});
    const RunResult other = run_program(joined.work(), {"--today=" + std::string(station::today), "--metrics=m.prom", "--stale-after=10080"});
    EXPECT_EQ(one.status, 3) << one.err;  // the soundings are years old at the clock
    EXPECT_EQ(other.status, 3) << other.err;
    EXPECT_EQ(joined.output_bytes(), spaced.output_bytes());
    EXPECT_EQ(joined.output_bytes(), station::plain_charts());
    EXPECT_TRUE(fs::exists(joined.work() / "m.prom"));
    EXPECT_EQ(other.err, one.err);
}

TEST(Options, TodayDefaultsToTheClock) {
    StationFolder station;
    const year_month_day before = platform::today_local();
    ASSERT_EQ(run_program(station.work(), {}).status, 0);
    // Today's archive name, from the day of year of the clock's date (either
    // side of a midnight that fell during the run).
    bool found = false;
    for (year_month_day today : {before, platform::today_local()}) {
        const int day = (sys_days{today} - sys_days{today.year() / January / 1}).count() + 1;
        char name[16];
        std::snprintf(name, sizeof name, "%04d%03d", static_cast<int>(today.year()), day);
        found = found || fs::exists(station.archived(name));
    }
    EXPECT_TRUE(found);
}

}  // namespace
