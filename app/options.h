#pragma once
// The command line. With no option the run is the plain scheduled one.

#include <chrono>
#include <optional>
#include <string>

struct Options {
    std::optional<std::chrono::year_month_day> today;  // --today YYYY-MM-DD
    // --archive FROM TO: redraw the archive charts of these days, both included.
    std::optional<std::chrono::year_month_day> archive_from, archive_to;
    bool archive_page = false;  // --archive-page
    bool csv = false;           // --csv
    bool svg = false;           // --svg
    bool monthly = false;       // --monthly
    std::string metrics;        // --metrics FILE; empty for none
    std::optional<int> stale_after;  // --stale-after MINUTES, 1 to 10080
    bool check = false;         // --check
    // --station NAME, --station-code CODE: the station as its visitors know
    // it ("Rome") and its URSI code ("RO041"); none when not given.
    std::optional<std::string> station, station_code;
    bool feed = false;          // --feed
    bool verbose = false;       // --verbose
    bool help = false;          // --help
    bool version = false;       // --version
};

// Reads argv[1..argc-1] into `options`. On a usage error returns false and
// sets `error` to a one-line message.
bool parse_options(int argc, const char* const* argv, Options& options, std::string& error);

extern const char* const usage_text;
