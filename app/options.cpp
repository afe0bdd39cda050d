#include "app/options.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

const char* const usage_text =
    "usage: plotmuf [--today YYYY-MM-DD] [--archive-page] [--csv] [--svg] [--monthly]\n"
    "               [--feed] [--station NAME] [--station-code CODE]\n"
    "               [--metrics FILE] [--stale-after MINUTES] [--verbose]\n"
    "       plotmuf --check [the options of that run]\n"
    "       plotmuf --archive FROM TO [--archive-page] [--csv] [--svg] [--monthly]\n"
    "               [--feed] [--station NAME] [--station-code CODE]\n"
    "               [--metrics FILE] [--verbose]\n"
    "       plotmuf -h | --help | --version\n"
    "\n"
    "Draws the MUF(3000)F2 charts of the last six days from the configuration\n"
    "file Quorel_RAV3000I2.ini of the working folder, publishes them as\n"
    "plotMUF1.gif ... plotMUF6.gif and archives each as yyyyddd.gif.\n"
    "\n"
    "  --today YYYY-MM-DD   draw the six days ending on this date, not today\n"
    "  --archive FROM TO    redraw the archived chart of every day from FROM to TO\n"
    "                       (YYYY-MM-DD, both included) and write nothing else\n"
    "                       but what --archive-page, --csv, --svg, --monthly and\n"
    "                       --metrics add\n"
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
    "  --feed               then replace latest.json in the publication folder: the\n"
    "                       newest value, its time, its forecast and its departure\n"
    "                       from it, the last day against its forecast in words,\n"
    "                       the station, the charts published; for dashboards\n"
    "  --station NAME       the station as its visitors know it, 1 to 64 characters\n"
    "                       of UTF-8 without control characters: named in the\n"
    "                       pages' titles and headings and in the feed\n"
    "  --station-code CODE  its URSI code, 5 characters of A-Z and 0-9 (RO041):\n"
    "                       beside the name, and in the feed\n"
    "  --metrics FILE       at the end, replace FILE with the run's figures for\n"
    "                       Prometheus (node_exporter's textfile collector)\n"
    "  --stale-after MINUTES\n"
    "                       when the newest sounding, by the time in its name, is\n"
    "                       older than MINUTES (1 to 10080) at the clock, or there\n"
    "                       is none, say so on standard error and exit 3\n"
    "  --check              read what the run would read, write nothing, and print\n"
    "                       one line per finding, in the order of the configuration,\n"
    "                       each starting with ok:, note: or fail: (a failure, or\n"
    "                       charts without observed values); takes the options of\n"
    "                       the run, whose folders it checks too\n"
    "  --verbose            write one line to standard error for each failure\n"
    "                       (exit status 1) and each note, such as a missing\n"
    "                       forecast (exit status 0 all the same), once a run\n"
    "  -h, --help           show this help and exit\n"
    "  --version            show the version and exit\n"
    "\n"
    "An option's value may also follow it after '=' (--today=2024-03-03), but\n"
    "--archive's two dates; each option may be given once.\n"
    "\n"
    "Exit status: 0 every file written, 1 some day, page or file failed (every\n"
    "day is still attempted) or the measurement folder could not be read\n"
    "(nothing is written then but the metrics), 2 usage error, 3 every file\n"
    "written but the newest sounding older than --stale-after. --check: 0 no\n"
    "fail: line, 1 one or more, 2 usage error.\n";

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

// Why `name` is no station name (1 to 64 characters of UTF-8 without
// control characters); empty when it is one.
std::string station_name_fault(std::string_view name) {
    if (name.empty()) return "the name is empty; it needs 1 to 64 characters";
    std::size_t characters = 0;
    for (std::size_t i = 0; i < name.size(); ++characters) {
        const auto lead = static_cast<unsigned char>(name[i]);
        // The sequence's length, and the least code point it may stand for.
        std::size_t length = 1;
        char32_t code = lead, least = 0;
        if (lead >= 0xF0 && lead <= 0xF4) length = 4, code = lead & 0x07, least = 0x10000;
        else if (lead >= 0xE0) length = 3, code = lead & 0x0F, least = 0x800;
        else if (lead >= 0xC2 && lead < 0xE0) length = 2, code = lead & 0x1F, least = 0x80;
        else if (lead >= 0x80) length = 0;
        if (length == 0 || lead > 0xF4 || i + length > name.size())
            return "the name is not UTF-8 (byte " + std::to_string(i + 1) + ")";
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(name[i + k]);
            if ((next & 0xC0) != 0x80) return "the name is not UTF-8 (byte " + std::to_string(i + k + 1) + ")";
            code = code << 6 | (next & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return "the name is not UTF-8 (byte " + std::to_string(i + 1) + ")";
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F))
            return "the name holds a control character (character " + std::to_string(characters + 1) + ")";
        i += length;
    }
    if (characters > 64) return "the name has " + std::to_string(characters) + " characters; at most 64";
    return "";
}

// An URSI code: 5 characters of A-Z and 0-9.
bool station_code(std::string_view code) {
    if (code.size() != 5) return false;
    for (const char c : code)
        if (!(c >= 'A' && c <= 'Z') && !(c >= '0' && c <= '9')) return false;
    return true;
}

}  // namespace

bool parse_options(int argc, const char* const* argv, Options& options, std::string& error) {
    // Each option once: a second one would silently win over the first.
    std::vector<std::string_view> given;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const std::string_view name = arg.substr(0, arg.find('='));
        const std::string_view once = name == "-h" ? std::string_view("--help") : name;
        if (std::find(given.begin(), given.end(), once) != given.end()) {
            error = "option '" + std::string(once) + "' given twice";
            return false;
        }
        // A flag never takes a value; an unknown word is named below.
        const bool flag = name == "--verbose" || name == "--help" || name == "-h" || name == "--version" ||
                          name == "--archive-page" || name == "--csv" || name == "--svg" || name == "--monthly" ||
                          name == "--check" || name == "--feed";
        if (flag && name.size() != arg.size()) {
            error = "option '" + std::string(name) + "' takes no value";
            return false;
        }
        if (once.starts_with("--")) given.push_back(once);
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
        } else if (arg == "--check") {
            options.check = true;
        } else if (arg == "--feed") {
            options.feed = true;
        } else if (name == "--station") {
            std::string_view value;
            // "--station --feed" names no station: the next option is no name.
            if (!option_value(argc, argv, i, "--station", value) || value.starts_with("--")) {
                error = "--station needs a name, 1 to 64 characters";
                return false;
            }
            if (const std::string fault = station_name_fault(value); !fault.empty()) {
                error = "--station: " + fault;
                return false;
            }
            options.station = value;
        } else if (name == "--station-code") {
            std::string_view value;
            if (!option_value(argc, argv, i, "--station-code", value) || value.starts_with("--")) {
                error = "--station-code needs a code, 5 characters of A-Z and 0-9";
                return false;
            }
            if (!station_code(value)) {
                // The value is shown only where it is plain printable ASCII.
                const bool shown = value.size() <= 64 && std::all_of(value.begin(), value.end(), [](char c) {
                    return c >= 0x20 && c < 0x7F;
                });
                error = "--station-code: " + (shown ? "'" + std::string(value) + "'" : std::string("the code")) +
                        " is not 5 characters of A-Z and 0-9, a URSI code such as RO041";
                return false;
            }
            options.station_code = value;
        } else if (name == "--metrics") {
            std::string_view value;
            if (!option_value(argc, argv, i, "--metrics", value) || value.empty() || value.starts_with("-")) {
                error = "--metrics needs a file name";
                return false;
            }
            options.metrics = value;
        } else if (name == "--stale-after") {
            std::string_view value;
            int minutes = 0;
            if (!option_value(argc, argv, i, "--stale-after", value) || !number(value, minutes) || minutes < 1 ||
                minutes > 10080) {
                error = "--stale-after needs a number of minutes from 1 to 10080 (a week)";
                return false;
            }
            options.stale_after = minutes;
        } else if (name == "--today") {
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
        } else if (name == "--archive") {
            if (name.size() != arg.size()) {
                error = "--archive takes two dates: --archive FROM TO";
                return false;
            }
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
    if (options.archive_from && (options.check || options.stale_after)) {
        error = std::string(options.check ? "--check" : "--stale-after") +
                " is for the scheduled run of the six days, not for --archive";
        return false;
    }
    return true;
}
