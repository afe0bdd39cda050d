// What visitors see, checked in a real browser: the archive's pages opened
// from disk in headless Chromium (tests/browser/check_pages.py), and each
// chart's SVG rendered by Chromium and by librsvg against its GIF
// (tests/browser/check_svg.py). These tests carry the CTest label
// "browser": without Chromium, run the others with `ctest -LE browser`.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/plotmuf_process.h"
#include "support/sounding.h"
#include "support/station_folder.h"

namespace fs = std::filesystem;
using station::StationFolder;

namespace {

const fs::path browser_tools = fs::path(PLOTMUF_SOURCE_DIR) / "tests" / "browser";

// One of the checkers of tests/browser/ run with `arguments`.
RunResult check(const char* script, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), (browser_tools / script).string());
    return run_program(fs::temp_directory_path(), arguments, {.program = "/usr/bin/python3"}, std::chrono::minutes(5));
}

// The example station in a folder of the test's own.
void copy_example(const TempFolder& folder) {
    fs::copy(fs::path(PLOTMUF_SOURCE_DIR) / "example", folder.path(), fs::copy_options::recursive);
}

// A station of the kind "Rome" whose day 3 March 2024 holds a sounding at
// each minute of `minutes` with the value field `field` gives it.
void sound(const StationFolder& station, const std::vector<int>& minutes, const std::function<std::string(int)>& field) {
    using namespace std::chrono;
    for (const int minute : minutes)
        station.root.write("autoscalati/" + rome_sounding_name(2024y / March / 3, minute), sounding_file(field(minute), "Rome"));
}

std::vector<int> every(int step) {
    std::vector<int> minutes;
    for (int minute = 0; minute < 24 * 60; minute += step) minutes.push_back(minute);
    return minutes;
}

// "12.3" for 12.3 MHz, as a sounder writes the field.
std::string field_of(double mhz) {
    char text[16];
    std::snprintf(text, sizeof text, "%4.1f", mhz);
    return text;
}

// Each chart's SVG is the GIF's picture, and stays sharp at twice the size,
// in two renderers: on the example station, and on days dense, sparse,
// jumpy (long diagonals), beyond the frame, and without any value.
TEST(Svg, IsTheSamePictureAsTheGifInTwoRenderers) {
    TempFolder example;
    copy_example(example);
    ASSERT_EQ(run_program(example.path(), {"--today", "2024-03-03", "--svg"}).status, 0);
    std::vector<std::string> folders = {(example.path() / "web").string()};

    const struct {
        const char* name;
        std::vector<int> minutes;
        std::function<std::string(int)> field;
    } days[] = {
        {"dense", every(5), [](int m) { return field_of(14 + 8 * std::sin(m / 180.0)); }},
        {"sparse", {37, 300, 301, 800, 1199, 1439}, [](int m) { return field_of(5 + m / 40.0); }},
        {"jumpy", every(15), [](int m) { return m / 15 % 2 ? "45.0" : " 5.0"; }},
        {"beyond the frame", every(20), [](int m) { return m / 20 % 3 == 0 ? "59.9" : m / 20 % 3 == 1 ? "00.0" : "bad"; }},
        {"no value", every(10), [](int) { return "N/A "; }},
    };
    std::vector<std::unique_ptr<StationFolder>> stations;
    for (const auto& day : days) {
        SCOPED_TRACE(day.name);
        auto& station = stations.emplace_back(std::make_unique<StationFolder>(station::NoData{}));
        station->root.write("previsioni/032024.txt", "forecast\n" + station::forecast_line(60, 21) + "\n");
        sound(*station, day.minutes, day.field);
        const RunResult run = run_program(station->work(), {"--today", "2024-03-03", "--svg", "--verbose"});
        ASSERT_EQ(run.status, 0) << run.err;
        folders.push_back((station->root.path() / "web").string());
    }
    const RunResult checked = check("check_svg.py", folders);
    EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
    EXPECT_NE(checked.out.find("36 of 36 SVG files passed"), std::string::npos) << checked.out;
}

// The pages show a chart with its SVG beside it from vectors, sharp at two
// device pixels a pixel, and one with its CSV beside it described in
// words, linked to its data; the others as before. The station's name, in
// UTF-8 and with characters that markup escapes, heads each page, which
// ends with its closing line.
TEST(ArchivePages, ShowVectorChartsSharpAndSayWhatEachChartShows) {
    TempFolder example;
    copy_example(example);
    const fs::path archive = example.path() / "previsioni" / "previous_RAV3000I2_plots";
    ASSERT_EQ(run_program(example.path(), {"--archive", "2024-02-01", "2024-02-29"}).status, 0);
    ASSERT_EQ(run_program(example.path(), {"--today", "2024-03-03", "--csv", "--svg", "--archive-page", "--station",
                                           "Citt\xC3\xA0 <di> \"Roma\" & 'Lazio'", "--station-code", "RO041"})
                  .status,
              0);

    RunResult run = check("check_pages.py", {archive.string()});
    EXPECT_EQ(run.status, 0) << run.out << run.err;

    // February: days 1 to 26 as GIF, 27 to 29 from their SVG.
    run = check("check_pages.py", {"--sharp", (archive / "2024-02.html").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    std::map<std::string, int> foreign;  // by file
    std::istringstream lines(run.out);
    for (std::string kind, name; lines >> kind >> name;) {
        int pixels = 0;
        lines >> foreign[kind + " " + name] >> pixels;
    }
    ASSERT_EQ(foreign.size(), 29u) << run.out;
    for (const auto& [chart, count] : foreign) {
        SCOPED_TRACE(chart);
        const bool vector = chart.starts_with("svg ");
        EXPECT_EQ(vector, chart >= "svg 2024058.svg");
        if (vector) EXPECT_EQ(count, 0) << "a vector chart drawn blurred";
        else EXPECT_GT(count, 1000) << "the measure tells a bitmap enlarged from vectors";
    }

    // What each chart shows, in words, where its CSV is there to say it.
    const std::string february = read_text(archive / "2024-02.html");
    const std::string described =
        "MUF(3000)F2 on Thursday 29 February 2024: 89 soundings, 8 without a value; observed ";
    EXPECT_NE(february.find("<a href=\"2024060.csv\">Data (CSV)</a><object data=\"2024060.svg\""), std::string::npos);
    EXPECT_NE(february.find("aria-label=\"" + described), std::string::npos) << february;
    EXPECT_NE(february.find("alt=\"" + described), std::string::npos);
    EXPECT_NE(february.find("<img src=\"2024041.gif\" width=\"286\" height=\"221\" loading=\"lazy\" "
                            "alt=\"MUF(3000)F2 chart of 10 February 2024\">"),
              std::string::npos);
    EXPECT_EQ(february.find("2024041.csv"), std::string::npos);
    EXPECT_NE(february.find("<h1>MUF(3000)F2 charts of Citt\xC3\xA0 &lt;di&gt; &quot;Roma&quot; &amp; &#39;Lazio&#39; "
                            "(RO041): February 2024</h1>"),
              std::string::npos);
    EXPECT_NE(read_text(archive / "2024-03.html").find("<p class=\"against\">depressed 21 to 36 % from 20 to 23 UT</p>"),
              std::string::npos);
}

// The month's chart: its SVG the same picture as its GIF in two renderers,
// and its page, at scale factors 1 and 2, with the chart above the calendar
// and links to both tables.
TEST(MonthlyPages, ShowTheMonthsChartAndLinkItsTables) {
    StationFolder station(station::NoData{});
    station.root.write("previsioni/032024.txt", "forecast\n" + station::forecast_line(60, 21) + "\n");
    for (int d = 1; d <= 7; ++d) {
        for (const int minute : every(30)) {
            const std::chrono::year_month_day date{std::chrono::year{2024} / std::chrono::March / d};
            station.root.write("autoscalati/" + rome_sounding_name(date, minute),
                               sounding_file(field_of(8 + 6 * std::sin(minute / 230.0) + d / 3.0), "Rome"));
        }
    }
    const RunResult run =
        run_program(station.work(), {"--archive", "2024-03-01", "2024-03-07", "--monthly", "--svg", "--archive-page"});
    ASSERT_EQ(run.status, 0) << run.err;
    const fs::path archive = station.root.path() / station::archive;
    // The month's SVG beside its GIF, with the days' own.
    RunResult checked = check("check_svg.py", {archive.string()});
    EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
    EXPECT_NE(checked.out.find("2024-03.svg chromium"), std::string::npos) << checked.out;
    checked = check("check_pages.py", {archive.string()});
    EXPECT_EQ(checked.status, 0) << checked.out << checked.err;

    const std::string march = read_text(archive / "2024-03.html");
    const std::size_t section = march.find("<section class=\"medians\"");
    ASSERT_NE(section, std::string::npos) << march;
    EXPECT_LT(section, march.find("<div class=\"calendar\">")) << "above the calendar";
    EXPECT_NE(march.find("<object data=\"2024-03.svg\""), std::string::npos);
    EXPECT_NE(march.find("aria-label=\"MUF(3000)F2 in March 2024: hourly medians of 7 days, "), std::string::npos)
        << march;
    EXPECT_NE(march.find("<a href=\"2024-03.csv\">"), std::string::npos);
    EXPECT_NE(march.find("<a href=\"2024-03-hourly.csv\">"), std::string::npos);
    const std::string svg = read_text(archive / "2024-03.svg");
    EXPECT_NE(svg.find("<title id=\"title\">MUF(3000)F2 medians, March 2024</title>"), std::string::npos);
    EXPECT_NE(svg.find("<title>13:00 UT: median "), std::string::npos);
    EXPECT_NE(svg.find("<title>13:00 UT: quartiles "), std::string::npos);
}

// The words that say what a month's chart shows, beside it on its page and
// at the top of the index, shown at scale factors 1 and 2 on a desktop and
// on a phone (tests/browser/check_pages.py --text): with medians, and at
// the example station, whose three days are too few for them.
TEST(MonthlyPages, ShowTheWordsBesideTheMonthsChart) {
    StationFolder station(station::NoData{});
    station.root.write("previsioni/032024.txt", "forecast\n" + station::forecast_line(60, 21) + "\n");
    for (int d = 1; d <= 7; ++d) {
        for (const int minute : every(30)) {
            char name[64];
            std::snprintf(name, sizeof name, "autoscalati/RM041_2024%03d%02d%02d00.TXT", 60 + d, minute / 60, minute % 60);
            station.root.write(name, sounding_file(field_of(8 + 6 * std::sin(minute / 230.0) + d / 3.0), "Rome"));
        }
    }
    ASSERT_EQ(run_program(station.work(), {"--archive", "2024-03-01", "2024-03-07", "--monthly", "--archive-page"}).status,
              0);
    TempFolder example;
    copy_example(example);
    ASSERT_EQ(run_program(example.path(), {"--today", "2024-03-03", "--monthly", "--svg", "--archive-page"}).status, 0);
    const fs::path example_archive = example.path() / "previsioni" / "previous_RAV3000I2_plots";
    RunResult checked = check("check_pages.py", {example_archive.string()});
    EXPECT_EQ(checked.status, 0) << checked.out << checked.err;

    const std::vector<std::string> legend = {
        "Red dots", "the hourly medians, each hour's middle value over the month's days", "Red bars",
        "their quartiles, from each hour's lower quartile to its upper one", "White", "the month's forecast"};
    const struct {
        const char* what;
        fs::path page;
        std::vector<std::string> words;
        std::vector<std::string> not_words;
    } pages[] = {
        {"medians", station.root.path() / station::archive / "2024-03.html",
         {"MUF(3000)F2 in March 2024: hourly medians of 7 days, ",
          "Each hour's statistics (CSV): over the month's days, each hour's count, median, quartiles and deciles",
          "Each day's hourly values (CSV): each day's value at each whole hour",
          "Each day's value at each hour UT in MHz, and each hour's statistics, March 2024"},
         {"too few for hourly medians"}},
        {"too few", example_archive / "2024-03.html",
         {"MUF(3000)F2 in March 2024: values of 3 days, too few for hourly medians",
          "3 days of soundings: too few for hourly medians, which need 5"},
         {}},
        {"the index", example_archive / "index.html",
         {"Hourly medians of March 2024", "3 days of soundings: too few for hourly medians, which need 5"},
         {"Each day's value at each hour UT"}},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.what);
        const RunResult run = check("check_pages.py", {"--text", page.page.string()});
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string lines = "\n" + run.out;  // each line, the first too, after a line end
        for (const char* screen : {"1x 2200px", "1x 360px", "2x 2200px", "2x 360px"}) {
            std::vector<std::string> words = legend;
            words.insert(words.end(), page.words.begin(), page.words.end());
            for (const std::string& text : words) {
                const std::string line = "\n" + std::string(screen) + " shown: " + text;  // its start
                EXPECT_NE(lines.find(line), std::string::npos) << line << "\n" << run.out;
            }
            for (const std::string& text : page.not_words)
                EXPECT_EQ(lines.find(std::string(screen) + " shown: " + text), std::string::npos) << text;
        }
        EXPECT_EQ(lines.find(" hidden: "), std::string::npos) << run.out;
    }
}

TEST(ArchivePages, AreBrowsableAndShowOnlyTheArchivedCharts) {
    StationFolder station;
    // Files that are no archived chart: a name that is HTML, a day past the
    // year's end, a temporary file, a folder named as a chart, a hidden file.
    for (const char* name : {"<script>alert(1)</script>.gif", "2024400.gif", "2024063.gif.tmp", ".2024045.gif"})
        station.root.write(std::string(station::archive) + "/" + name, "GIF89a");
    fs::create_directory(station.archived("2024040"));

    ASSERT_EQ(run_program(station.work(), {"--archive", "2024-01-20", "2024-02-10", "--archive-page"}).status, 1)
        << "9 February has a folder for a chart";
    RunResult run = run_program(station.work(), {"--today", station::today, "--archive-page"});
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
    run = run_program(archive, {(fs::path(PLOTMUF_SOURCE_DIR) / "tests" / "browser" / "check_pages.py").string(),
                                archive.string()},
                     {.program = "/usr/bin/python3"}, std::chrono::minutes(5));
    EXPECT_EQ(run.status, 0) << run.out << run.err;
}

// Every page links every month that has charts: a run with --archive-page
// writes the page of each such month that has none yet, whoever drew its
// charts (a scheduled run without pages, a range), and a browser finds
// every link of every page leading to a file that is there.
TEST(ArchivePages, EveryMonthWithChartsGetsItsPage) {
    StationFolder station;
    const fs::path archive = station.root.path() / station::archive;
    auto pages = [&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(archive))
            if (entry.path().extension() == ".html") names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    // Charts of February and March without pages, then a range of January
    // with them.
    ASSERT_EQ(run_program(station.work(), {"--today", station::today}).status, 0);
    ASSERT_EQ(run_program(station.work(), {"--archive", "2024-01-20", "2024-01-25", "--archive-page"}).status, 0);
    EXPECT_EQ(pages(), (std::vector<std::string>{"2024-01.html", "2024-02.html", "2024-03.html", "index.html"}));
    const std::string march = read_text(archive / "2024-03.html");

    // April's charts without pages, then May's run with them; the pages
    // there before are left as they were.
    ASSERT_EQ(run_program(station.work(), {"--today", "2024-04-10"}).status, 0);
    ASSERT_EQ(run_program(station.work(), {"--today", "2024-05-10", "--archive-page"}).status, 0);
    EXPECT_EQ(pages(), (std::vector<std::string>{"2024-01.html", "2024-02.html", "2024-03.html", "2024-04.html",
                                                 "2024-05.html", "index.html"}));
    EXPECT_EQ(read_text(archive / "2024-03.html"), march);

    const RunResult run = check("check_pages.py", {archive.string()});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("6 passed, 0 failed"), std::string::npos) << run.out;
}

// Served over loopback, a month page with the month's chart and table, and
// the index with that chart, score full marks in Lighthouse for
// accessibility, best practices and SEO, and pa11y's axe and
// HTML_CodeSniffer runners find nothing (tests/browser/audit_pages.py).
TEST(ArchivePages, ServedOverLoopbackScoreFullMarksInLighthouseAndPa11y) {
    TempFolder example;
    copy_example(example);
    const fs::path archive = example.path() / "previsioni" / "previous_RAV3000I2_plots";
    ASSERT_EQ(run_program(example.path(), {"--archive", "2024-02-01", "2024-02-29"}).status, 0);
    ASSERT_EQ(run_program(example.path(), {"--today", "2024-03-03", "--csv", "--svg", "--monthly", "--archive-page",
                                           "--station", "Citt\xC3\xA0 <di> \"Roma\" & 'Lazio'", "--station-code",
                                           "RO041"})
                  .status,
              0);

    const RunResult run = check("audit_pages.py", {archive.string(), "2024-03.html", "index.html"});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    for (const char* page : {"2024-03.html", "index.html"}) {
        const std::string scores = std::string(page) + ": Lighthouse accessibility 100, best-practices 100, seo 100";
        EXPECT_NE(run.out.find(scores), std::string::npos) << run.out;
        EXPECT_NE(run.out.find(std::string(page) + ": pa11y (axe, htmlcs): 0 issues"), std::string::npos) << run.out;
    }
    std::printf("%s", run.out.c_str());
}

}  // namespace
