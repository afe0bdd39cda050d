// plotmuf: the six MUF(3000)F2 charts of the last six days, for a station's
// web page and archive. Meant to be started by a scheduler.

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "app/form1.h"
#include "app/options.h"
#include "platform/console.h"

int main(int argc, char** argv) {
    platform::attach_console();
    Options options;
    std::string error;
    if (!parse_options(argc, argv, options, error)) {
        std::cerr << "plotmuf: " << error << "\n\n" << usage_text;
        return 2;
    }
    if (options.help) {
        std::cout << usage_text;
        return 0;
    }
    if (options.version) {
        std::cout << "plotmuf " << PLOTMUF_VERSION << '\n';
        return 0;
    }

    Form1 form1({.today = options.today,
                 .diagnostics = options.verbose ? &std::cerr : nullptr,
                 // Progress is for a person at a terminal, never for a log.
                 .progress = platform::is_terminal(stderr) ? &std::cerr : nullptr,
                 .archive_page = options.archive_page,
                 // The month's tables are made from the days' CSVs.
                 .csv = options.csv || options.monthly,
                 .svg = options.svg,
                 .monthly = options.monthly,
                 .metrics = options.metrics,
                 .stale_after = options.stale_after,
                 .station = options.station.value_or(""),
                 .station_code = options.station_code.value_or(""),
                 .feed = options.feed,
                 .generator = "plotmuf " PLOTMUF_VERSION});
    if (options.check) return form1.check(std::cout);
    if (options.archive_from) {
        form1.archive_range(*options.archive_from, *options.archive_to);
    } else {
        form1.Form_Load();
    }
    form1.say_findings();
    // Whatever the run did, monitoring learns it.
    form1.write_metrics();
    // The operator asked to hear of a sounder that stopped: said whatever
    // --verbose says, and a failure's status goes first.
    const std::optional<std::string> stale = options.archive_from ? std::nullopt : form1.stale_sounding();
    if (stale) std::cerr << "plotmuf: " << *stale << '\n';
    if (form1.failures != 0) return 1;
    return stale ? 3 : 0;
}
