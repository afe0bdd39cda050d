// The month's product (--monthly): the real binary on a station's files,
// its two tables read back by Python's csv module (tests/data/csv_rows.py)
// against the figures worked out here from the soundings written, its
// chart decoded by giflib, and a station's published monthly bulletin.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/form1.h"
#include "support/gif_decode.h"
#include "support/pixels.h"
#include "support/plotmuf_process.h"
#include "support/sounding.h"
#include "support/station_folder.h"

namespace fs = std::filesystem;
using station::StationFolder;

namespace {

using Rows = std::vector<std::vector<std::string>>;

// The rows of a CSV file as Python's csv module reads them; fails the test
// when it does not read as RFC 4180 with CRLF line ends.
Rows csv_rows(const fs::path& file) {
    const RunResult read = run_program(fs::temp_directory_path(),
                                       {(fs::path(PLOTMUF_SOURCE_DIR) / "tests" / "data" / "csv_rows.py").string(),
                                        file.string()},
                                       {.program = "/usr/bin/python3"});
    EXPECT_EQ(read.status, 0) << file << ": " << read.err;
    Rows rows;
    std::istringstream lines(read.out);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields(1);
        for (const char c : line) {
            if (c == '\t') fields.emplace_back();
            else fields.back() += c;
        }
        rows.push_back(fields);
    }
    return rows;
}

// A month of soundings of a "Rome" station: for each day of the month, the
// value field of each minute that has a sounding.
using Soundings = std::map<int, std::map<int, std::string>>;  // day -> minute -> field

void write_soundings(const StationFolder& station, std::chrono::year_month month, const Soundings& soundings) {
    using namespace std::chrono;
    for (const auto& [d, minutes] : soundings) {
        const year_month_day date = month / day{static_cast<unsigned>(d)};
        for (const auto& [minute, field] : minutes)
            station.root.write("autoscalati/" + rome_sounding_name(date, minute), sounding_file(field, "Rome"));
    }
}

// A value field as tenths of MHz, read as a sounder's reader would: none
// for N/A, the leading number of "dd" "d" otherwise, 0 when there is none.
std::optional<int> field_tenths(const std::string& field) {
    std::string trimmed = field;
    trimmed.erase(0, trimmed.find_first_not_of(' '));
    trimmed.erase(trimmed.find_last_not_of(' ') + 1);
    if (trimmed == "N/A") return std::nullopt;
    int whole = 0, tenth = 0;
    if (std::sscanf(field.c_str(), "%d.%1d", &whole, &tenth) != 2) return 0;
    return whole * 10 + tenth;
}

// What the month's tables must hold, worked out from the soundings: each
// hour's value from the sounding nearest to it (0, -1, +1, -2, ... -7, +7
// minutes), then the statistics by rank.
struct Expected {
    std::map<int, std::array<std::optional<int>, 24>> hourly;  // by day
    std::array<int, 24> count{};
    std::array<std::optional<std::array<int, 5>>, 24> statistics;  // median, lq, uq, ld, ud
};

Expected expected_of(const Soundings& soundings) {
    Expected e;
    for (const auto& [d, minutes] : soundings) {
        auto& hours = e.hourly[d];
        for (int h = 0; h < 24; ++h) {
            for (int away = 0; away <= 7; ++away) {
                std::optional<std::string> found;
                for (const int minute : {60 * h - away, 60 * h + away}) {
                    if (minute < 0 || minute >= 1440 || !minutes.contains(minute)) continue;
                    found = minutes.at(minute);
                    break;
                }
                if (!found) continue;
                const auto tenths = field_tenths(*found);
                if (tenths && *tenths > 0) hours[h] = *tenths;
                break;
            }
        }
    }
    for (int h = 0; h < 24; ++h) {
        std::vector<int> values;
        for (const auto& [d, hours] : e.hourly)
            if (hours[h]) values.push_back(*hours[h]);
        std::sort(values.begin(), values.end());
        const int n = static_cast<int>(values.size());
        e.count[h] = n;
        if (n < 5) continue;
        const auto rank = [](int n, int parts) { return (n + parts - 1) / parts; };
        e.statistics[h] = {values[rank(n, 2) - 1], values[rank(n, 4) - 1], values[n - rank(n, 4)],
                           values[rank(n, 10) - 1], values[n - rank(n, 10)]};
    }
    return e;
}

std::string mhz(std::optional<int> tenths) {
    if (!tenths) return "";
    char text[16];
    std::snprintf(text, sizeof text, "%s%d.%d", *tenths < 0 ? "-" : "", std::abs(*tenths) / 10, std::abs(*tenths) % 10);
    return text;
}

// March 2024 at a station sounding every 15 minutes on days 1 to 8, and
// nothing on days 9 to 12: N/A at 10:00 on day 2, a field without a number
// at 12:00 on day 3, soundings off the hour on days 4 to 6 (14:04 nearer
// than 13:55; 14:57 and 15:03 equally near; only 16:08, too far), and
// 20 UT on days 1 to 4 alone.
Soundings march() {
    Soundings s;
    for (int d = 1; d <= 8; ++d) {
        for (int minute = 0; minute < 1440; minute += 15) {
            if (minute / 60 == 20 && d > 4) continue;
            const int tenths = 50 + (minute * 7 + d * 13) % 140;
            s[d][minute] = mhz(tenths).size() == 3 ? " " + mhz(tenths) : mhz(tenths);
        }
    }
    s[2][600] = "N/A ";
    s[3][720] = "bad ";
    s[4].erase(840), s[4][835] = "11.1", s[4][844] = "12.2";
    s[5].erase(900), s[5][897] = "13.3", s[5][903] = "14.4";
    s[6].erase(960), s[6][968] = "15.5";
    for (int d = 9; d <= 12; ++d) s[d];
    return s;
}

std::string forecast_file() { return "forecast\n" + station::forecast_line(60, 21) + "\n"; }

const fs::path archive_of(const StationFolder& station) { return station.root.path() / station::archive; }

// The tables against the figures worked out from the soundings.
void expect_tables(const fs::path& archive, const Soundings& soundings) {
    const Expected e = expected_of(soundings);
    const Rows hourly = csv_rows(archive / "2024-03-hourly.csv");
    ASSERT_EQ(hourly.size(), 32u);
    EXPECT_EQ(hourly[0][0], "date");
    EXPECT_EQ(hourly[0][24], "23");
    for (int d = 1; d <= 31; ++d) {
        char date[16];
        std::snprintf(date, sizeof date, "2024-03-%02d", d);
        EXPECT_EQ(hourly[d][0], date);
        for (int h = 0; h < 24; ++h) {
            const auto it = e.hourly.find(d);
            EXPECT_EQ(hourly[d][h + 1], it == e.hourly.end() ? "" : mhz(it->second[h])) << date << " hour " << h;
        }
    }
    const Rows summary = csv_rows(archive / "2024-03.csv");
    ASSERT_EQ(summary.size(), 25u);
    EXPECT_EQ(summary[0], (std::vector<std::string>{"hour_utc", "count", "median_mhz", "lower_quartile_mhz",
                                                    "upper_quartile_mhz", "lower_decile_mhz", "upper_decile_mhz",
                                                    "forecast_mhz", "median_minus_forecast_percent"}));
    for (int h = 0; h < 24; ++h) {
        SCOPED_TRACE("hour " + std::to_string(h));
        const auto& row = summary[h + 1];
        char hour[4];
        std::snprintf(hour, sizeof hour, "%02d", h);
        EXPECT_EQ(row[0], hour);
        EXPECT_EQ(row[1], std::to_string(e.count[h]));
        const int forecast = 60 + 21 * (h < 12 ? h : 23 - h);
        EXPECT_EQ(row[7], mhz(forecast));
        if (!e.statistics[h]) {
            for (int i = 2; i <= 6; ++i) EXPECT_EQ(row[i], "");
            EXPECT_EQ(row[8], "");
            continue;
        }
        for (int i = 0; i < 5; ++i) EXPECT_EQ(row[2 + i], mhz((*e.statistics[h])[i])) << i;
        const double percent = std::nearbyint(1000.0 * ((*e.statistics[h])[0] - forecast) / forecast);
        EXPECT_EQ(row[8], mhz(static_cast<int>(percent)));
    }
}

TEST(Monthly, TablesOfARangeAreTheFiguresOfTheStationsFiles) {
    StationFolder station(station::NoData{});
    station.root.write("previsioni/032024.txt", forecast_file());
    const Soundings soundings = march();
    write_soundings(station, std::chrono::year{2024} / 3, soundings);

    const RunResult run = run_program(station.work(), {"--archive", "2024-03-01", "2024-03-12", "--monthly", "--verbose"});
    ASSERT_EQ(run.status, 0) << run.err;
    // Nothing failed; the one field of another form is named.
    EXPECT_EQ(run.err,
              "plotmuf: soundings: 1 value field (line 4, characters 16 to 19) is neither N/A nor a number of the form "
              "dd.d, the first in RM041_2024063120000.TXT: drawn at its leading number, 0 when it has none\n");
    expect_tables(archive_of(station), soundings);
    const Rows summary_rows = csv_rows(archive_of(station) / "2024-03.csv");
    EXPECT_EQ(summary_rows.at(21).at(1), "4") << "20 UT has four values";
    EXPECT_EQ(summary_rows.at(21).at(2), "") << "and so no median";
    EXPECT_TRUE(fs::exists(archive_of(station) / "2024061.csv")) << "--monthly writes the days' CSVs";
    EXPECT_TRUE(fs::exists(archive_of(station) / "2024-03.gif"));
    EXPECT_FALSE(fs::exists(archive_of(station) / "2024-03.svg")) << "only with --svg";
    EXPECT_FALSE(fs::exists(archive_of(station) / "2024-02.csv")) << "no day of February was drawn";
    EXPECT_EQ(station::leftovers(station.root.path()),
              std::vector<std::string>{"previsioni/previous_RAV3000I2_plots/2024-03-hourly.csv"})
        << "no temporary file";

    // A scheduled run with the soundings of its six days alone counts every
    // archived day of the month.
    for (const auto& entry : fs::directory_iterator(station.root.path() / "autoscalati")) {
        const std::string name = entry.path().filename().string();
        if (name.substr(6, 7) < "2024066") fs::remove(entry.path());
    }
    const std::string hourly = read_text(archive_of(station) / "2024-03-hourly.csv");
    const std::string summary = read_text(archive_of(station) / "2024-03.csv");
    fs::remove(archive_of(station) / "2024-03-hourly.csv");
    fs::remove(archive_of(station) / "2024-03.csv");
    const RunResult scheduled = run_program(station.work(), {"--today", "2024-03-12", "--monthly"});
    ASSERT_EQ(scheduled.status, 0) << scheduled.err;
    EXPECT_EQ(read_text(archive_of(station) / "2024-03-hourly.csv"), hourly);
    EXPECT_EQ(read_text(archive_of(station) / "2024-03.csv"), summary);
}

TEST(Monthly, WithoutTheOptionNothingIsWrittenAndTheChartsStayTheSame) {
    StationFolder plain, monthly;
    ASSERT_EQ(run_program(plain.work(), {"--today", station::today, "--csv"}).status, 0);
    ASSERT_EQ(run_program(monthly.work(), {"--today", station::today, "--monthly"}).status, 0);
    EXPECT_EQ(station::files_in(archive_of(plain)).size() + 6, station::files_in(archive_of(monthly)).size());
    for (const std::string& file : station::files_in(archive_of(plain)))
        EXPECT_EQ(read_text(archive_of(plain) / file), read_text(archive_of(monthly) / file)) << file;
    for (int n = 1; n <= 6; ++n) EXPECT_EQ(read_text(plain.published(n)), read_text(monthly.published(n)));
    // February and March, both: the six days span them.
    for (const char* name : {"2024-02.csv", "2024-02-hourly.csv", "2024-02.gif", "2024-03.csv", "2024-03-hourly.csv",
                             "2024-03.gif"})
        EXPECT_TRUE(fs::exists(archive_of(monthly) / name)) << name;
}

TEST(Monthly, ADayThatCannotBeReadOrAMonthThatCannotBeWrittenFails) {
    StationFolder station(station::NoData{});
    station.root.write("previsioni/032024.txt", forecast_file());
    Soundings soundings = march();
    write_soundings(station, std::chrono::year{2024} / 3, soundings);
    ASSERT_EQ(run_program(station.work(), {"--archive", "2024-03-01", "2024-03-12", "--csv"}).status, 0);
    const fs::path archive = archive_of(station);

    // Day 2's CSV cut short, day 3's a folder: both named, the month
    // written without them.
    const std::string day2 = read_text(archive / "2024062.csv");
    station.root.write(std::string(station::archive) + "/2024062.csv", day2.substr(0, day2.size() / 2));
    fs::remove(archive / "2024063.csv");
    fs::create_directory(archive / "2024063.csv");
    RunResult run = run_program(station.work(), {"--archive", "2024-03-12", "2024-03-12", "--monthly", "--verbose"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("plotmuf: month 2024-03: 2024062.csv holds no chart data"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("plotmuf: month 2024-03: 2024063.csv cannot be read"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
    soundings.erase(2);
    soundings.erase(3);
    expect_tables(archive, soundings);

    // The month's chart cannot be written: named once, exit status 1, its
    // day's chart as without the option, and no other file left.
    fs::remove_all(archive / "2024063.csv");
    fs::remove(archive / "2024-03.gif");
    fs::create_directory(archive / "2024-03.gif");
    const std::string chart = read_text(archive / "2024072.gif");
    fs::remove(archive / "2024072.gif");
    run = run_program(station.work(), {"--archive", "2024-03-12", "2024-03-12", "--monthly", "--verbose"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("plotmuf: month 2024-03: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("2024-03.gif"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;  // and day 2's CSV
    EXPECT_EQ(read_text(archive / "2024072.gif"), chart);
    EXPECT_TRUE(fs::is_directory(archive / "2024-03.gif"));
    for (const std::string& file : station::files_in(station.root.path()))
        EXPECT_EQ(file.find(".tmp"), std::string::npos) << file;
}

// A month's table that cannot be read, or that holds no month's table,
// leaves the month's chart its plain alt text on its page: named under
// --verbose, as a day's CSV is, and no failure of the run.
TEST(Monthly, AMonthsTableThatCannotBeReadLeavesThePlainAltTextAndIsNamed) {
    StationFolder station;
    ASSERT_EQ(run_program(station.work(), {"--today", station::today, "--monthly", "--archive-page"}).status, 0);
    const std::string read = read_text(archive_of(station) / "2024-03.html");
    EXPECT_NE(read.find("alt=\"MUF(3000)F2 in March 2024: "), std::string::npos) << "tables that read describe the chart";

    const std::string archive = std::string(station::archive) + "/";
    const fs::path garbled = station.root.write(archive + "2024-03.csv", "hour_utc,count\r\n13,27\r\n");
    const fs::path too_large =
        station.root.write(archive + "2024-02-hourly.csv", std::string(std::size_t{2} << 20, 'x'));
    const RunResult run = run_program(station.work(), {"--today", station::today, "--archive-page", "--verbose"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("plotmuf: archive pages: the plain alt text for 2024-03: " + garbled.string() +
                           " holds no month's table\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("plotmuf: archive pages: the plain alt text for 2024-02: file too large: " +
                           too_large.string() + "\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
    for (const char* month : {"2024-02", "2024-03"}) {
        const std::string page = read_text(archive_of(station) / (std::string(month) + ".html"));
        const std::string name = month == std::string("2024-02") ? "February 2024" : "March 2024";
        EXPECT_NE(page.find("alt=\"MUF(3000)F2 hourly medians of " + name + "\""), std::string::npos) << page;
    }
}

TEST(Monthly, TheChartShowsMediansAndQuartilesOnADaysFrameAndForecast) {
    StationFolder station(station::NoData{});
    station.root.write("previsioni/032024.txt", forecast_file());
    const Soundings soundings = march();
    write_soundings(station, std::chrono::year{2024} / 3, soundings);
    ASSERT_EQ(run_program(station.work(), {"--archive", "2024-03-01", "2024-03-12", "--monthly"}).status, 0);
    Image month, day;
    ASSERT_TRUE(decode_gif_file((archive_of(station) / "2024-03.gif").string(), month));
    // Day 12 has no soundings: its frame, its forecast and its stamp.
    ASSERT_TRUE(decode_gif_file((archive_of(station) / "2024072.gif").string(), day));
    ASSERT_EQ(month.width, 286);
    ASSERT_EQ(month.height, 221);

    Form1 scale;
    scale.impostazioni_dimensioni_e_scala_del_form();
    const auto at = [&](const Image& image, float x, float y) {
        return image.palette.at(image.pixels.at(static_cast<std::size_t>(scale.superficie.row(y)) * 286 +
                                                scale.superficie.column(x)));
    };
    // The frame: every yellow and grey pixel of the day's chart is there,
    // under the month's own red at most, and no other.
    const std::vector<Rgb> m = colours_of(month), d = colours_of(day);
    for (std::size_t i = 0; i < m.size(); ++i) {
        for (const Rgb frame : {colours::yellow, colours::grey}) {
            if (d[i] == frame) {
                EXPECT_TRUE(m[i] == frame || m[i] == colours::red) << i;
            }
            if (m[i] == frame) {
                EXPECT_TRUE(d[i] == frame) << i;
            }
        }
    }
    const Expected e = expected_of(soundings);
    int medians = 0, forecasts_under_bars = 0;
    for (int h = 0; h < 24; ++h) {
        const int forecast = 60 + 21 * (h < 12 ? h : 23 - h);
        if (!e.statistics[h]) {
            EXPECT_TRUE(at(month, 10 * h, forecast) == colours::white) << h;
            continue;
        }
        ++medians;
        const auto& [median, lower, upper, ld, ud] = *e.statistics[h];
        EXPECT_TRUE(at(month, 10 * h, median) == colours::red) << h;
        // The bar three pixels wide, its hour's column and one either side,
        // red over the forecast's white where the forecast crosses it.
        for (int y = lower; y <= upper; ++y) {
            for (const int column : {10 * h - 1, 10 * h, 10 * h + 1})
                EXPECT_TRUE(at(month, column, y) == colours::red) << h << " at " << y << ", x " << column;
        }
        if (forecast >= lower && forecast <= upper) ++forecasts_under_bars;
        if (std::abs(forecast - median) > 15 && std::abs(forecast - lower) > 8 && std::abs(forecast - upper) > 8 &&
            (forecast < lower || forecast > upper)) {
            EXPECT_TRUE(at(month, 10 * h, forecast) == colours::white) << h;
        }
    }
    EXPECT_EQ(medians, 23);
    EXPECT_GT(forecasts_under_bars, 0) << "the forecast crosses a bar somewhere";
    // Nothing but the bars and the dots widened: no red at two pixels from
    // an hour's column beyond the dot and the segments to its neighbours.
    for (int h = 1; h < 23; ++h) {
        if (!e.statistics[h] || !e.statistics[h - 1] || !e.statistics[h + 1]) continue;
        const int median = (*e.statistics[h])[0];
        const int lowest = std::min({median, (*e.statistics[h - 1])[0], (*e.statistics[h + 1])[0]});
        const int highest = std::max({median, (*e.statistics[h - 1])[0], (*e.statistics[h + 1])[0]});
        for (int y = 50; y <= 550; y += 3) {
            if (y >= lowest - 12 && y <= highest + 12) continue;
            for (const int column : {10 * h - 2, 10 * h + 2})
                EXPECT_FALSE(at(month, column, y) == colours::red) << h << " at " << y << ", x " << column;
        }
    }
}

// The table of a month's page against its two CSVs, cell by cell, as
// Python's html.parser and csv module read them (tests/data/check_month_table.py).
RunResult check_month_table(const fs::path& page, const fs::path& archive) {
    return run_program(fs::temp_directory_path(),
                       {(fs::path(PLOTMUF_SOURCE_DIR) / "tests" / "data" / "check_month_table.py").string(),
                        page.string(), (archive / "2024-03-hourly.csv").string(), (archive / "2024-03.csv").string()},
                       {.program = "/usr/bin/python3"});
}

// What `html` holds from the end of the first tag that `start` begins (or
// ends) up to `end`; empty when there is none.
std::string text_of(const std::string& html, const std::string& start, const std::string& end) {
    const std::size_t at = html.find(start);
    if (at == std::string::npos) return "";
    const std::size_t from = start.ends_with('>') ? at + start.size() : html.find('>', at + start.size()) + 1;
    const std::size_t to = html.find(end, from);
    return to == std::string::npos ? "" : html.substr(from, to - from);
}

// The month's page says in words what its chart shows, beside it: the
// month's description, a legend, and, when no hour has values of 5 days,
// why there is no median, which the chart says too in its plot area. The
// page's table is the two CSVs; the index shows the month's chart at its
// top with the same words.
TEST(Monthly, ThePageExplainsTheChartAndShowsTheTables) {
    const struct {
        const char* what;
        int days;  // of march()'s, from the 1st
        const char* description;
        const char* few;
    } cases[] = {
        {"medians", 8, "MUF(3000)F2 in March 2024: hourly medians of 8 days, ", nullptr},
        {"too few days", 3, "MUF(3000)F2 in March 2024: values of 3 days, too few for hourly medians",
         "3 days of soundings: too few for hourly medians, which need 5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StationFolder station(station::NoData{});
        station.root.write("previsioni/032024.txt", forecast_file());
        Soundings soundings = march();
        for (int d = c.days + 1; d <= 12; ++d) soundings.erase(d);
        write_soundings(station, std::chrono::year{2024} / 3, soundings);
        const RunResult run =
            run_program(station.work(), {"--archive", "2024-03-01", "2024-03-12", "--monthly", "--archive-page"});
        ASSERT_EQ(run.status, 0) << run.err;
        const fs::path archive = archive_of(station);
        const std::string page = read_text(archive / "2024-03.html");

        // The description in visible text beside the chart, as its alt text.
        const std::string figure = text_of(page, "<figure class=\"month-chart\">", "</figure>");
        ASSERT_NE(figure, "") << page;
        const std::string description = text_of(figure, "<figcaption>\n<p", "</p>");
        EXPECT_TRUE(description.starts_with(c.description)) << description;
        EXPECT_NE(figure.find("alt=\"" + description + "\""), std::string::npos) << figure;
        for (const char* words : {"<dt>Red dots</dt><dd>the hourly medians", "<dt>Red bars</dt><dd>their quartiles",
                                  "<dt>White</dt><dd>the month&#39;s forecast</dd>"})
            EXPECT_NE(figure.find(words), std::string::npos) << words << "\n" << figure;
        EXPECT_EQ(text_of(figure, "<p class=\"few\"", "</p>"), c.few ? c.few : "");
        // Each table's link in a list of its own, with its words.
        const std::string links = text_of(page, "<ul class=\"files\">", "</ul>");
        EXPECT_NE(links.find("<li><a href=\"2024-03.csv\">Each hour&#39;s statistics (CSV)</a>: "), std::string::npos)
            << links;
        EXPECT_NE(links.find("<li><a href=\"2024-03-hourly.csv\">Each day&#39;s hourly values (CSV)</a>: "),
                  std::string::npos)
            << links;

        // The table, cell by cell the CSVs; a cell changed fails the check.
        RunResult checked = check_month_table(archive / "2024-03.html", archive);
        EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
        EXPECT_NE(checked.out.find("950 cells compared"), std::string::npos) << checked.out;  // 38 rows of 25
        std::string changed = page;
        const std::size_t cell = changed.find("<tr><th scope=\"row\">2</th><td>");
        ASSERT_NE(cell, std::string::npos);
        changed.insert(cell + 30, "1");
        station.root.write(std::string(station::archive) + "/changed.html", changed);
        checked = check_month_table(archive / "changed.html", archive);
        EXPECT_EQ(checked.status, 1) << checked.out << checked.err;

        // The index: the month's chart at its top, with the same words.
        const std::string index = read_text(archive / "index.html");
        const std::size_t top = index.find("<section class=\"medians\"");
        EXPECT_LT(top, index.find("<h2>Latest month: ")) << index;
        EXPECT_EQ(text_of(index, "<figure class=\"month-chart\">", "</figure>"), figure);

        // The chart: the text colour inside the plot area only when it says
        // why there is no median; no text of its own outside it.
        Image month, day;
        ASSERT_TRUE(decode_gif_file((archive / "2024-03.gif").string(), month));
        ASSERT_TRUE(decode_gif_file((archive / "2024072.gif").string(), day));  // no soundings: the frame
        const std::vector<Rgb> m = colours_of(month), d = colours_of(day);
        int inside = 0, outside = 0;
        for (std::size_t i = 0; i < m.size(); ++i) {
            const int column = static_cast<int>(i % 286), row = static_cast<int>(i / 286);
            if (m[i] != colours::pale_yellow || d[i] == colours::pale_yellow) continue;
            if (row < 13) continue;  // the stamp, "Median: 03/2024"
            const bool in_plot = column >= 36 && column < 276 && row >= 17 && row < 178;
            ++(in_plot ? inside : outside);
        }
        EXPECT_EQ(outside, 0);
        if (c.few) EXPECT_GT(inside, 200) << "two lines of text"; else EXPECT_EQ(inside, 0);
    }
}

// The published bulletin of the Sodankylä Geophysical Observatory for July
// 2006, foF2, hours 00 to 11 (tests/data/sodankyla-2006-07-fof2.txt, which
// names its source): its daily values fed in as soundings at the whole
// hour, and plotmuf's counts and medians are the bulletin's.
TEST(Monthly, CountsAndMediansAreThoseOfAStationsPublishedBulletin) {
    std::ifstream fixture(fs::path(PLOTMUF_SOURCE_DIR) / "tests" / "data" / "sodankyla-2006-07-fof2.txt");
    ASSERT_TRUE(fixture);
    Soundings soundings;
    std::vector<std::string> count, median;
    for (std::string line; std::getline(fixture, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string first;
        words >> first;
        std::vector<std::string> fields;
        for (std::string w; words >> w;) fields.push_back(w);
        ASSERT_EQ(fields.size(), 12u) << line;
        if (first == "CNT") count = fields;
        else if (first == "MED") median = fields;
        else {
            const int d = std::stoi(first);
            soundings[d];
            for (int h = 0; h < 12; ++h) {
                // A letter is the bulletin's reason for no value.
                if (!std::isdigit(static_cast<unsigned char>(fields[h][0]))) continue;
                const int tenths = std::stoi(fields[h]);
                char field[32];
                std::snprintf(field, sizeof field, "%2d.%d", tenths / 10, tenths % 10);
                soundings[d][60 * h] = field;
            }
        }
    }
    ASSERT_EQ(soundings.size(), 31u);
    ASSERT_EQ(count.size(), 12u);
    ASSERT_EQ(median.size(), 12u);

    StationFolder station(station::NoData{});
    write_soundings(station, std::chrono::year{2006} / 7, soundings);
    const RunResult run = run_program(station.work(), {"--archive", "2006-07-01", "2006-07-31", "--monthly"});
    ASSERT_EQ(run.status, 0) << run.err;
    const Rows summary = csv_rows(archive_of(station) / "2006-07.csv");
    ASSERT_EQ(summary.size(), 25u);
    for (int h = 0; h < 12; ++h) {
        SCOPED_TRACE("hour " + std::to_string(h));
        EXPECT_EQ(summary[h + 1][1], std::to_string(std::stoi(count[h])));
        const int tenths = std::stoi(median[h]);
        EXPECT_EQ(summary[h + 1][2], mhz(tenths));
    }
    EXPECT_EQ(summary[13][1], "0") << "hours the bulletin's first half does not give";
}

}  // namespace
