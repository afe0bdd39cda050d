#include "app/options.h"

#include <charconv>
#include <string_view>

const char* const usage_text =
    "usage: plotmuf [--today YYYY-MM-DD] [--archive-page] [--csv] [--svg] [--monthly]\n"
    "               [--metrics FILE] [--verbose]\n"
    "       plotmuf --archive FROM TO [--archive-page] [--csv] [--svg] [--monthly]\n"
    "               [--metrics FILE] [--verbose]\n"
    "       plotmuf --help | --version\n"
    "\n"
    "Draws the MUF(3000)F2 charts of the last six days from the configuration\n"
    "file Quorel_RAV3000I2.ini of the working folder, publishes them as\n"
    "plotMUF1.gif ... plotMUF6.gif and archives each as yyyyddd.gif.\n"
    "\n"
    "  --today YYYY-MM-DD   draw the six days ending on this date, not today\n"
    "  --archive FROM TO    redraw the archived chart of every day from FROM to TO\n"
    "                       (YYYY-MM-DD, both included) and write nothing else\n"
    "  --archive-page       then (re)write the archive's browsing pages,\n"
    "                       yyyy-mm.html and index.html, in the archive folder\n"
    "  --csv                beside each chart NAME.gif, write NAME.csv: the\n"
    "                       values the chart shows, one row per dot or tick\n"
    "  --svg                beside each chart NAME.gif, write NAME.svg: the same\n"
    "                       chart as a vector picture, each value under the pointer\n"
    "  --monthly            then, for each month of the days drawn, from its archived\n"
    "                       day CSVs (implies --csv), in the archive folder:\n"
    "                       yyyy-mm-hourly.csv, each day's value at each whole hour\n"
    "                       (the sounding nearest h:00 within 7 minutes, if it has\n"
    "                       a value above 0); yyyy-mm.csv, for each hour the count\n"
    "                       of days, and from 5 days on the median, quartiles and\n"
    "                       deciles by rank, the forecast and the median against it:\n"
    "                         13,27,14.8,13.9,15.6,12.7,16.4,14.2,4.2\n"
    "                       yyyy-mm.gif (and .svg with --svg), the medians and\n"
    "                       quartiles over the forecast; --archive-page shows them\n"
    "                       with their words, a legend and the month's table\n"
    "  --metrics FILE       at the end, replace FILE with the run's figures for\n"
    "                       Prometheus (node_exporter's textfile collector)\n"
    "  --verbose            write one line to standard error for each failure\n"
    "                       (exit status 1) and each note, such as a missing\n"
    "                       forecast (exit status 0 all the same)\n"
    "  --help               show this help and exit\n"
    "  --version            show the version and exit\n"
    "\n"
    "Exit status: 0 every file written, 1 some day, page or file failed (every\n"
    "day is still attempted) or the measurement folder could not be read\n"
    "(nothing is written then but the metrics), 2 usage error.\n";

namespace {

bool number(std::string_view text, int& value) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc();
}

// YYYY-MM-DD, a real calendar date with a four-digit year.
bool read_date(std::string_view text, std::chrono::year_month_day& date) {
    int y = 0, m = 0, d = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !number(text.substr(0, 4), y) ||
        !number(text.substr(5, 2), m) || !number(text.substr(8, 2), d))
        return false;
    date = std::chrono::year{y} / std::chrono::month{static_cast<unsigned>(m)} / std::chrono::day{static_cast<unsigned>(d)};
    return date.ok() && date.year() >= std::chrono::year{1000};
}

// The value of option `name` at argv[i], given as "--name VALUE" or
// "--name=VALUE"; false when there is none.
bool option_value(int argc, const char* const* argv, int& i, std::string_view name, std::string_view& value) {
    const std::string_view arg = argv[i];
    if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= argc) return false;
    value = argv[++i];
    return true;
}

}  // namespace

bool parse_options(int argc, const char* const* argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--archive-page") {
            options.archive_page = true;
        } else if (arg == "--csv") {
            options.csv = true;
        } else if (arg == "--svg") {
            options.svg = true;
        } else if (arg == "--monthly") {
            options.monthly = true;
        } else if (arg == "--metrics" || arg.starts_with("--metrics=")) {
            std::string_view value;
            if (!option_value(argc, argv, i, "--metrics", value) || value.empty() || value.starts_with("-")) {
                error = "--metrics needs a file name";
                return false;
            }
            options.metrics = value;
        } else if (arg == "--today" || arg.starts_with("--today=")) {
            std::string_view value;
            if (!option_value(argc, argv, i, "--today", value)) {
                error = "--today needs a date, YYYY-MM-DD";
                return false;
            }
            std::chrono::year_month_day date{};
            // Five days before it must still have a four-digit year.
            if (!read_date(value, date) || date < std::chrono::year{1000} / 1 / 6) {
                error = "--today: '" + std::string(value) + "' is not a date YYYY-MM-DD from 1000-01-06 to 9999-12-31";
                return false;
            }
            options.today = date;
        } else if (arg == "--archive") {
            if (i + 2 >= argc) {
                error = "--archive needs two dates, FROM and TO, YYYY-MM-DD";
                return false;
            }
            std::chrono::year_month_day dates[2]{};
            for (std::chrono::year_month_day& date : dates) {
                const std::string_view value = argv[++i];
                if (!read_date(value, date)) {
                    error = "--archive: '" + std::string(value) + "' is not a date YYYY-MM-DD from 1000-01-01 to 9999-12-31";
                    return false;
                }
            }
            if (dates[0] > dates[1]) {
                error = "--archive: FROM " + std::string(argv[i - 1]) + " comes after TO " + std::string(argv[i]);
                return false;
            }
            options.archive_from = dates[0];
            options.archive_to = dates[1];
        } else {
            error = "unknown option '" + std::string(arg) + "'";
            return false;
        }
    }
    if (options.today && options.archive_from) {
        error = "--archive and --today cannot go together: a range names its own days";
        return false;
    }
    return true;
}
