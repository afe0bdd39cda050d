// The station named on the pages and in the feed, the pages' closing line,
// the day against its forecast in words, and latest.json: the real binary
// on a station's files, the feed read by Python's json and validated
// against its schema (tests/data/read_feed.py), the clock set by libfaketime.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/plotmuf_process.h"
#include "support/sounding.h"
#include "support/station_folder.h"

namespace fs = std::filesystem;
using station::StationFolder;

namespace {

const char* const today = "2024-03-03";  // the six days: 27 February to 3 March 2024
const fs::path source = PLOTMUF_SOURCE_DIR;

// "dd.d", the value field of a sounding, for `tenths` of MHz; "N/A " for none.
std::string field(std::optional<int> tenths) {
    if (!tenths) return "N/A ";
    char text[16];
    std::snprintf(text, sizeof text, "%2d.%d", *tenths / 10, *tenths % 10);
    return text;
}

// A forecast file whose line 2 gives hour h the value forecast[h].
std::string forecast_file(const std::array<int, 24>& forecast) {
    std::string line;
    for (const int v : forecast) {
        char text[16];
        std::snprintf(text, sizeof text, "%3d.%d", v / 10, v % 10);
        line += text;
    }
    return "forecast\r\n" + line + "\r\n";
}

std::array<int, 24> flat(int tenths) {
    std::array<int, 24> f;
    f.fill(tenths);
    return f;
}

// Soundings of a "Rome" station on `date` (day of the year `doy` of 2024):
// minute of the day -> value, none for a sounding without value.
void write_day(const StationFolder& station, int doy, const std::map<int, std::optional<int>>& soundings) {
    for (const auto& [minute, tenths] : soundings) {
        char name[64];
        std::snprintf(name, sizeof name, "autoscalati/RM041_2024%03d%02d%02d00.TXT", doy, minute / 60, minute % 60);
        station.root.write(name, sounding_file(field(tenths), "Rome"));
    }
}

// The feed's fields as read_feed.py prints them, by name, each as JSON;
// empty when the feed does not read or breaks the schema (the test fails).
std::map<std::string, std::string> read_feed(const fs::path& feed) {
    const RunResult read = run_program(fs::temp_directory_path(),
                                       {(source / "tests" / "data" / "read_feed.py").string(), feed.string(),
                                        (source / "docs" / "latest.schema.json").string()},
                                       {.program = "/usr/bin/python3"});
    EXPECT_EQ(read.status, 0) << feed << ": " << read.err;
    std::map<std::string, std::string> fields;
    std::istringstream lines(read.out);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t tab = line.find('\t');
        if (tab != std::string::npos) fields[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return fields;
}

fs::path feed_of(const StationFolder& station) { return station.root.path() / "web" / "latest.json"; }
fs::path archive_of(const StationFolder& station) { return station.root.path() / station::archive; }

// The run under libfaketime, its clock at `clock` UTC.
RunResult run_at(const StationFolder& station, const std::string& clock, std::vector<std::string> arguments) {
    const std::vector<std::string> start = at_clock(clock);
    arguments.insert(arguments.begin(), start.begin(), start.end());
    return run_program(station.work(), arguments, {.program = "/usr/bin/env"});
}

// "MHz" text of tenths, as the feed must write it, rounded as given.
std::string one_decimal(long tenths) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%ld.%ld", tenths < 0 ? "-" : "", std::labs(tenths) / 10, std::labs(tenths) % 10);
    return text;
}

TEST(Station, NamesAndCodesThatAreRefusedAreUsageErrors) {
    const struct {
        const char* what;
        std::vector<std::string> arguments;
        const char* says;
    } cases[] = {
        {"an empty name", {"--station", ""}, "--station: the name is empty"},
        {"an empty name after =", {"--station="}, "--station: the name is empty"},
        {"no name at all", {"--station"}, "--station needs a name"},
        {"65 characters", {"--station", std::string(65, 'a')}, "the name has 65 characters; at most 64"},
        {"65 characters of two bytes each", {"--station", [] {
             std::string s;
             for (int i = 0; i < 65; ++i) s += "\xC3\xA9";
             return s;
         }()},
         "the name has 65 characters"},
        {"a line end", {"--station", "Rome\nRO041"}, "the name holds a control character (character 5)"},
        {"a tab", {"--station=Ro\tme"}, "control character (character 3)"},
        {"DEL", {"--station", "Rome\x7F"}, "control character"},
        {"a C1 control, U+0085", {"--station", "Rome\xC2\x85"}, "control character"},
        {"a byte that is not UTF-8", {"--station", "Rom\xE9"}, "the name is not UTF-8 (byte 4)"},
        {"an overlong form of /", {"--station", "a\xC0\xAF"}, "not UTF-8"},
        {"a surrogate", {"--station", "\xED\xA0\x80"}, "not UTF-8"},
        {"a sequence cut short", {"--station", "Rome\xE2\x82"}, "not UTF-8"},
        {"a code in lower case", {"--station-code", "ro041"}, "--station-code: 'ro041' is not 5 characters of A-Z and 0-9"},
        {"a code of 6", {"--station-code", "RO0411"}, "is not 5 characters"},
        {"a code of 4", {"--station-code=RO04"}, "is not 5 characters"},
        {"a code with a control character, not echoed", {"--station-code", "RO\x1B" "41"},
         "--station-code: the code is not 5 characters"},
        {"no code", {"--station-code"}, "--station-code needs a code"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StationFolder station;
        const auto before = station::files_in(station.root.path());
        std::vector<std::string> arguments = {"--today", station::today, "--feed", "--archive-page"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const RunResult run = run_program(station.work(), arguments);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("usage: plotmuf"), std::string::npos);
        EXPECT_EQ(station::files_in(station.root.path()), before) << "nothing written";
    }

    // At the bounds: 64 characters of two bytes each, and a code of digits.
    StationFolder station;
    std::string name;
    for (int i = 0; i < 64; ++i) name += "\xC3\xA9";
    const RunResult run =
        run_program(station.work(), {"--today", station::today, "--station", name, "--station-code", "12345", "--feed"});
    EXPECT_EQ(run.status, 0) << run.err;
    const auto feed = read_feed(feed_of(station));
    EXPECT_EQ(feed.at("station.name"), "\"" + name + "\"");
    EXPECT_EQ(feed.at("station.code"), "\"12345\"");
}

TEST(Station, IsEscapedOnEveryPageAndInTheFeed) {
    StationFolder station;
    const std::string name = "A<b>&\"c'";
    const RunResult run = run_program(station.work(), {"--today", station::today, "--station", name, "--station-code",
                                                       "TU12O", "--archive-page", "--csv", "--feed"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string escaped = "A&lt;b&gt;&amp;&quot;c&#39; (TU12O)";
    for (const char* page : {"index.html", "2024-02.html", "2024-03.html"}) {
        SCOPED_TRACE(page);
        const std::string html = read_text(archive_of(station) / page);
        EXPECT_NE(html.find("<title>MUF(3000)F2 charts of " + escaped), std::string::npos) << html.substr(0, 600);
        EXPECT_NE(html.find("<h1>MUF(3000)F2 charts of " + escaped), std::string::npos);
        EXPECT_EQ(html.find("<b>"), std::string::npos) << "the name's markup reaches no page";
    }
    EXPECT_NE(read_text(archive_of(station) / "2024-03.html").find(": March 2024</h1>"), std::string::npos);
    const auto feed = read_feed(feed_of(station));
    EXPECT_EQ(feed.at("station.name"), "\"A<b>&\\\"c'\"") << "the name read back whole";
    EXPECT_EQ(read_text(feed_of(station)).find("<b>"), std::string::npos) << "escaped in the file itself";

    // Without the options the station is named nowhere.
    StationFolder plain;
    ASSERT_EQ(run_program(plain.work(), {"--today", station::today, "--archive-page", "--feed"}).status, 0);
    EXPECT_NE(read_text(archive_of(plain) / "index.html").find("<title>MUF(3000)F2 charts</title>"), std::string::npos);
    const auto plain_feed = read_feed(feed_of(plain));
    EXPECT_EQ(plain_feed.at("station.name"), "null");
    EXPECT_EQ(plain_feed.at("station.code"), "null");
}

TEST(Pages, EndWithTheNewestSoundingAndTheRunsClock) {
    const struct {
        const char* what;
        bool soundings;
        std::string line;
    } cases[] = {
        // The station's newest sounding: 1 March 2024, 11:15 UT (TUJ2O_20240611115).
        {"soundings", true, "Newest sounding 2024-03-01 11:15 UT; written 2024-03-04 00:05 UT by plotmuf " PLOTMUF_VERSION "."},
        {"none", false, "No sounding in the days drawn; written 2024-03-04 00:05 UT by plotmuf " PLOTMUF_VERSION "."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StationFolder station;
        if (!c.soundings) {
            for (const auto& entry : fs::directory_iterator(station.root.path() / "autoscalati")) fs::remove(entry.path());
        }
        const RunResult run = run_at(station, "2024-03-04 00:05:59", {"--today", station::today, "--archive-page", "--feed"});
        ASSERT_EQ(run.status, 0) << run.err;
        for (const char* page : {"index.html", "2024-02.html", "2024-03.html"}) {
            SCOPED_TRACE(page);
            const std::string html = read_text(archive_of(station) / page);
            EXPECT_TRUE(html.ends_with("<p class=\"stamp\">" + c.line + "</p>\n</body>\n</html>\n"))
                << html.substr(html.size() > 300 ? html.size() - 300 : 0);
        }
        const auto feed = read_feed(feed_of(station));
        EXPECT_EQ(feed.at("written"), "\"2024-03-04T00:05:59Z\"") << "to the second";
        EXPECT_EQ(feed.at("newest_sounding"), c.soundings ? "\"2024-03-01T11:15:00Z\"" : "null");
    }
}

// The words of the last day, 3 March 2024 (day 063), against a forecast of
// 10.0 MHz at every hour unless said otherwise: in the feed, at the end of
// the day's alt text and SVG description, and, unless "near the forecast",
// under the day on its month's page.
TEST(AgainstForecast, CraftedDaysInWordsEverywhereTheDayIsDescribed) {
    const struct {
        const char* what;
        std::map<int, std::optional<int>> hours;  // hour -> value at h:00
        std::optional<std::array<int, 24>> forecast;
        std::string words;  // empty for none
    } cases[] = {
        {"one spell", {{9, 100}, {10, 82}, {11, 69}, {12, 75}, {13, 80}, {14, 70}, {15, 95}}, flat(100),
         "depressed 18 to 31 % from 10 to 14 UT"},
        {"two spells", {{2, 80}, {3, 80}, {4, 80}, {5, 100}, {19, 130}, {20, 140}, {21, 125}}, flat(100),
         "depressed 20 % from 02 to 04 UT; enhanced 25 to 40 % from 19 to 21 UT"},
        {"a spell broken by a missing hour", {{10, 70}, {11, 70}, {13, 70}, {14, 70}}, flat(100), "near the forecast"},
        {"a spell broken by a sounding without value", {{10, 70}, {11, 70}, {12, std::nullopt}, {13, 70}}, flat(100),
         "near the forecast"},
        {"two hours only", {{22, 60}, {23, 60}}, flat(100), "near the forecast"},
        {"exactly -15 %", {{6, 85}, {7, 85}, {8, 85}}, flat(100), "depressed 15 % from 06 to 08 UT"},
        {"-14.85 %, which rounds to 15", {{6, 86}, {7, 86}, {8, 86}}, flat(101), "near the forecast"},
        {"ties in the rounding: 15.5, 16.5, 18.5 %", {{6, 169}, {7, 167}, {8, 163}}, flat(200),
         "depressed 16 to 18 % from 06 to 08 UT"},
        {"no forecast", {{10, 50}, {11, 50}, {12, 50}}, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StationFolder station(station::NoData{});
        station.root.write("previsioni/022024.txt", forecast_file(flat(100)));
        if (c.forecast) station.root.write("previsioni/032024.txt", forecast_file(*c.forecast));
        std::map<int, std::optional<int>> soundings;
        for (const auto& [h, v] : c.hours) soundings[60 * h] = v;
        write_day(station, 63, soundings);
        const RunResult run =
            run_program(station.work(), {"--today", today, "--csv", "--svg", "--archive-page", "--feed"});
        ASSERT_EQ(run.status, 0) << run.err;

        const auto feed = read_feed(feed_of(station));
        EXPECT_EQ(feed.at("today"), c.words.empty() ? "null" : "\"" + c.words + "\"");
        const std::string ending = c.words.empty() ? "; no forecast" : "; " + c.words;
        EXPECT_NE(read_text(station.root.path() / "web" / "plotMUF6.svg").find(ending + "</desc>"), std::string::npos)
            << "the SVG's description";
        const std::string page = read_text(archive_of(station) / "2024-03.html");
        EXPECT_NE(page.find(ending + "\"></object>"), std::string::npos) << "the alt text";
        const bool shown = !c.words.empty() && c.words != "near the forecast";
        EXPECT_EQ(page.find("<p class=\"against\">" + c.words + "</p>") != std::string::npos, shown) << page;
        if (!shown) {
            EXPECT_EQ(page.find("class=\"against\""), std::string::npos);
        }
    }
}

// The newest value of the last day, 3 March 2024, at 20:30 UT; a sounding
// without value after it; the forecast 10.0 MHz at 20 UT and 11.7 at 21 UT.
struct FeedStation {
    StationFolder station{station::NoData{}};
    std::array<int, 24> forecast = flat(100);
    std::map<int, std::optional<int>> last_day = {
        {10 * 60, 82}, {11 * 60, 69}, {12 * 60, 75}, {20 * 60 + 15, 97}, {20 * 60 + 30, 91}, {20 * 60 + 45, std::nullopt}};

    FeedStation() {
        forecast[21] = 117;
        station.root.write("previsioni/022024.txt", forecast_file(flat(90)));
        station.root.write("previsioni/032024.txt", forecast_file(forecast));
        write_day(station, 62, {{23 * 60 + 45, 120}});
        write_day(station, 63, last_day);
    }
};

TEST(Feed, EachFieldIsWhatTheStationsFilesGive) {
    FeedStation s;
    const RunResult run = run_at(s.station, "2024-03-03 20:47:12",
                                 {"--today", today, "--svg", "--feed", "--station", "Rome", "--station-code", "RO041"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto feed = read_feed(feed_of(s.station));

    // Worked out here: the forecast at 20:30 half way from 10.0 to 11.7 MHz,
    // 10.85, rounded ties to even to 10.8; the departure of 9.1 MHz from it.
    const double at = s.forecast[20] + (s.forecast[21] - s.forecast[20]) * 30.0 / 60.0;
    const long forecast = std::lrint(at);  // the default rounding: to nearest, ties to even
    const long departure = std::lrint(1000.0 * (91 - forecast) / forecast);
    EXPECT_EQ(forecast, 108);
    const std::map<std::string, std::string> expected = {
        {"station.name", "\"Rome\""},
        {"station.code", "\"RO041\""},
        {"cs", "-1"},
        {"time", "\"2024-03-03T20:30:00Z\""},
        {"mufd", "9.1"},
        {"forecast_mhz", one_decimal(forecast)},
        {"departure_percent", one_decimal(departure)},
        {"today", "\"depressed 18 to 31 % from 10 to 12 UT\""},
        {"newest_sounding", "\"2024-03-03T20:45:00Z\""},
        {"soundings_today", std::to_string(s.last_day.size())},
        {"without_value_today", "1"},
        {"written", "\"2024-03-03T20:47:12Z\""},
        {"charts", "[\"plotMUF1.gif\", \"plotMUF1.svg\", \"plotMUF2.gif\", \"plotMUF2.svg\", \"plotMUF3.gif\", "
                   "\"plotMUF3.svg\", \"plotMUF4.gif\", \"plotMUF4.svg\", \"plotMUF5.gif\", \"plotMUF5.svg\", "
                   "\"plotMUF6.gif\", \"plotMUF6.svg\"]"},
        {"generator", "\"plotmuf " PLOTMUF_VERSION "\""},
    };
    EXPECT_EQ(feed, expected);
    for (const char* chart : {"plotMUF1.gif", "plotMUF6.svg"})
        EXPECT_TRUE(fs::exists(s.station.root.path() / "web" / chart)) << chart << ", relative to the feed";
    EXPECT_EQ(station::leftovers(s.station.root.path()), std::vector<std::string>{"web/latest.json"}) << "no temporary";
}

TEST(Feed, OfARangeAndOfDaysWithoutValues) {
    // A range: its last day, and no chart published.
    FeedStation s;
    ASSERT_EQ(run_program(s.station.work(), {"--archive", "2024-03-01", "2024-03-03", "--feed"}).status, 0);
    auto feed = read_feed(feed_of(s.station));
    EXPECT_EQ(feed.at("time"), "\"2024-03-03T20:30:00Z\"");
    EXPECT_EQ(feed.at("soundings_today"), "6");
    EXPECT_EQ(feed.at("charts"), "[]");

    // The newest value a day before the last, which has soundings without
    // value only; its forecast that of its own day (February's 9.0 MHz).
    StationFolder station(station::NoData{});
    station.root.write("previsioni/022024.txt", forecast_file(flat(90)));
    station.root.write("previsioni/032024.txt", forecast_file(flat(200)));
    write_day(station, 60, {{23 * 60 + 45, 90}});  // 29 February
    write_day(station, 63, {{0, std::nullopt}, {15, 0}});
    ASSERT_EQ(run_program(station.work(), {"--today", today, "--feed"}).status, 0);
    feed = read_feed(feed_of(station));
    EXPECT_EQ(feed.at("time"), "\"2024-02-29T23:45:00Z\"") << "a value of 0.0 is none";
    EXPECT_EQ(feed.at("mufd"), "9.0");
    EXPECT_EQ(feed.at("forecast_mhz"), "9.0") << "hour 23's value after 23:00";
    EXPECT_EQ(feed.at("departure_percent"), "0.0");
    EXPECT_EQ(feed.at("today"), "null") << "no hour of the last day has a value";
    EXPECT_EQ(feed.at("newest_sounding"), "\"2024-03-03T00:15:00Z\"");
    EXPECT_EQ(feed.at("soundings_today"), "2");
    EXPECT_EQ(feed.at("without_value_today"), "1") << "a value of 0.0 is drawn, as the CSV counts it";

    // No sounding at all.
    StationFolder empty(station::NoData{});
    ASSERT_EQ(run_program(empty.work(), {"--today", today, "--feed"}).status, 0);
    feed = read_feed(feed_of(empty));
    for (const char* none : {"time", "mufd", "forecast_mhz", "departure_percent", "today", "newest_sounding"})
        EXPECT_EQ(feed.at(none), "null") << none;
    EXPECT_EQ(feed.at("soundings_today"), "0");
}

TEST(Feed, ThatCannotBeWrittenIsNamedAndFailsTheRunAndChangesNoChart) {
    StationFolder plain, station;
    ASSERT_EQ(run_program(plain.work(), {"--today", station::today}).status, 0);
    station.root.make_folder("web/latest.json");  // a folder where the feed goes
    const RunResult run = run_program(station.work(), {"--today", station::today, "--feed", "--verbose"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("feed: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("latest.json"), std::string::npos) << run.err;
    EXPECT_EQ(station.output_bytes(), plain.output_bytes()) << "every chart as without --feed";
    EXPECT_TRUE(fs::is_directory(station.root.path() / "web" / "latest.json"));
    EXPECT_EQ(station::leftovers(station.root.path()), std::vector<std::string>{}) << "no temporary";

    // Without --feed no feed.
    EXPECT_FALSE(fs::exists(feed_of(plain)));
}

}  // namespace
