// The archive redrawn for a range of days: each day's chart drawn as the
// scheduled run draws it and written to its archive file (with the files
// beside it), then, when asked, the months' files and the archive's pages.
// The scratch bitmaps and the published charts are left to the scheduled
// run, which may be running at the same moment.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "app/date_text.h"
#include "app/form1.h"
#include "export/gif.h"
#include "export/write_chart.h"
#include "platform/files.h"

namespace {

// Days drawn one after the other by one form, their charts flushed to the
// disk together: each flush then finds most of them there already. Bounds
// the files open at once as well.
constexpr int days_per_block = 32;

// The measurement folder is listed once for this many days of a range: the
// names of four years of soundings at the most are kept, so that memory
// stays small however long the range.
constexpr int days_per_listing = 4 * 365 + 1;

}  // namespace

// What the forms that draw a range share: they take the blocks of days of
// its stretch of days in turn, and count what they did.
struct Form1::Range {
    int total = 0;                // days of the range
    std::chrono::sys_days first;  // the stretch being drawn
    int days = 0;
    std::atomic<int> next_block{0};
    std::atomic<int> done{0};
    std::atomic<int> failed{0};
};

void Form1::archive_range(std::chrono::year_month_day from, std::chrono::year_month_day to) {
    using namespace std::chrono;
    const auto started = steady_clock::now();
    start_run();
    impostazioni_dimensioni_e_scala_del_form();

    Range range;
    bool unreadable = false;  // the measurement folder could not be read
    range.total = static_cast<int>((sys_days{to} - sys_days{from}).count()) + 1;
    for (range.first = from; range.first <= sys_days{to}; range.first += days{days_per_listing}) {
        range.days = static_cast<int>(std::min<std::int64_t>(days_per_listing, (sys_days{to} - range.first).count() + 1));
        range.next_block = 0;
        // A folder that cannot be read draws no chart: the days not drawn
        // yet all fail, and the archive's pages stay as they are.
        if (Status s = list_measurement_folder(range.first, range.first + days{range.days - 1}); !s) {
            const int not_drawn = static_cast<int>((sys_days{to} - range.first).count()) + 1;
            range.failed += not_drawn;
            record.failed += not_drawn;
            report(s.message());
            unreadable = true;
            break;
        }
        if (range.first == sys_days{from}) clear_stale_temporaries(false);

        // Drawing a chart costs about as much as reading its day's
        // soundings, and a station's machine has two cores at least: a copy
        // of this form, which shares its listing and its output, takes
        // every other block. Where no thread can be started, this form
        // draws them all.
        Form1 second = *this;
        second.record = {};
        std::thread helper;
        try {
            helper = std::thread([&second, &range] { second.archive_days(range); });
        } catch (const std::system_error&) {
        }
        archive_days(range);
        if (helper.joinable()) helper.join();
        record.days.insert(record.days.end(), second.record.days.begin(), second.record.days.end());
        record.exported += second.record.exported;
        record.failed += second.record.failed;
    }
    failures += range.failed;

    if (settings_.monthly && !unreadable) write_months(from, to);
    if (settings_.archive_page && !unreadable) write_archive_pages(from, to);
    if (settings_.feed && !unreadable) write_feed();

    const duration<double> took = steady_clock::now() - started;
    char summary[128];
    std::snprintf(summary, sizeof summary, "plotmuf: archived %d of %d days, %d failed, in %.1f s",
                  range.total - range.failed, range.total, range.failed.load(), took.count());
    output_->progress(summary);
    output_->end_progress();
}

void Form1::archive_days(Range& range) {
    using namespace std::chrono;
    // Each day goes through slot 1 of the day keys, as day 1 of a run.
    indice_giorno = 1;
    for (int block = range.next_block++; block * days_per_block < range.days; block = range.next_block++) {
        // A day's chart and the files beside it are a group.
        platform::DurableWrites charts;
        std::vector<std::string> dates;  // of the block's days
        const int end = std::min(range.days, (block + 1) * days_per_block);
        for (int d = block * days_per_block; d < end; ++d) {
            const year_month_day date{range.first + days{d}};
            set_day_keys(1, date);

            draw_chart();
            record_day();
            dates.push_back(data_giorno[1]);
            charts.start_group();
            const std::string chart = archive_folder() + archived_chart_name(mese_anno[1], giorno_anno[1]);
            std::vector<std::uint8_t> gif;
            Status s = encode_gif(superficie.image(), gif);
            if (s) s = write_chart(chart, gif, files_beside(), &charts);
            if (!s) {
                charts.fail_group();
                report("day " + data_giorno[1] + ": " + s.message());
            }
            superficie.Cls();
            output_->progress("plotmuf: archiving day " + std::to_string(++range.done) + " of " +
                              std::to_string(range.total) + ", " + iso_date(date));
        }
        const std::vector<platform::DurableWrites::GroupOutcome> days_written = charts.finish_groups();
        for (std::size_t i = 0; i < days_written.size(); ++i) {
            const auto& day = days_written[i];
            if (!day.failed_at_finish) report("day " + dates[i] + ": " + day.failed_at_finish.message());
            ++(day.failed ? record.failed : record.exported);
            if (day.failed) ++range.failed;
        }
    }
}
