#include "app/options.h"

#include <charconv>
#include <string_view>

const char* const usage_text =
    "usage: plotmuf [--today YYYY-MM-DD] [--verbose]\n"
    "       plotmuf --help | --version\n"
    "\n"
    "Draws the MUF(3000)F2 charts of the last six days from the configuration\n"
    "file Quorel_RAV3000I2.ini of the working folder.\n"
    "\n"
    "  --today YYYY-MM-DD  draw the six days ending on this date, not today\n"
    "  --verbose           write one line to standard error for each failure\n"
    "  --help              show this help and exit\n"
    "  --version           show the version and exit\n"
    "\n"
    "Exit status: 0 all twelve GIF files written, 1 some export failed,\n"
    "2 usage error.\n";

namespace {

bool number(std::string_view text, int& value) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc();
}

// YYYY-MM-DD, a real calendar date with a four-digit year, and late enough
// that five days before it still has one.
bool read_date(std::string_view text, std::chrono::year_month_day& date) {
    int y = 0, m = 0, d = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !number(text.substr(0, 4), y) ||
        !number(text.substr(5, 2), m) || !number(text.substr(8, 2), d))
        return false;
    date = std::chrono::year{y} / std::chrono::month{static_cast<unsigned>(m)} / std::chrono::day{static_cast<unsigned>(d)};
    return date.ok() && date >= std::chrono::year{1000} / 1 / 6;
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
        } else if (arg == "--today" || arg.starts_with("--today=")) {
            std::string_view value;
            if (arg == "--today") {
                if (i + 1 >= argc) {
                    error = "--today needs a date, YYYY-MM-DD";
                    return false;
                }
                value = argv[++i];
            } else {
                value = arg.substr(8);
            }
            std::chrono::year_month_day date{};
            if (!read_date(value, date)) {
                error = "--today: '" + std::string(value) + "' is not a date YYYY-MM-DD from 1000-01-06 to 9999-12-31";
                return false;
            }
            options.today = date;
        } else {
            error = "unknown option '" + std::string(arg) + "'";
            return false;
        }
    }
    return true;
}
