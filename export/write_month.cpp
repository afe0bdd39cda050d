// The month's files, written in the archive folder after a run's days: for
// each month that a drawn day belongs to, from that month's archived day
// CSVs and its forecast file, the tables of hourly values and of each
// hour's statistics, and the month's chart (and its SVG). Each month in
// steps: its days read, its forecast read, its figures, its chart drawn,
// its files written.

#include <chrono>
#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "app/date_text.h"
#include "app/day_keys.h"
#include "app/form1.h"
#include "export/chart_csv.h"
#include "export/chart_files.h"
#include "export/gif.h"
#include "export/month_chart.h"
#include "export/month_files.h"
#include "export/write_chart.h"
#include "platform/files.h"
#include "platform/folder_listing.h"

using namespace std::chrono;

namespace {

// The days of `month` from their CSVs in `folder`, those `listed`; a day
// without one has no values. The faults of those that cannot be read,
// each a day without values.
MonthData read_month(const std::string& folder, year_month month, const std::set<year_month_day>& listed,
                     std::vector<std::string>& faults) {
    MonthData data;
    data.month = month;
    const unsigned days_in_month = static_cast<unsigned>((month / std::chrono::last).day());
    data.days.resize(days_in_month);
    for (unsigned d = 1; d <= days_in_month; ++d) {
        const year_month_day date = month / day{d};
        if (!listed.contains(date)) continue;
        const std::string name = beside_name(archived_chart_name(date), ".csv");
        std::vector<std::uint8_t> bytes;
        if (Status s = platform::read_file(folder + name, bytes, max_csv_bytes); !s) {
            faults.push_back(name + " cannot be read: " + s.message());
            continue;
        }
        const auto values = read_observed_values({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
        if (!values) {
            faults.push_back(name + " holds no chart data this program reads");
            continue;
        }
        data.days[d - 1] = hourly_values(*values);
    }
    return data;
}

// The month's files from its chart drawn on `surface`, added to `files`.
Status write_month_files(const std::string& folder, const MonthData& data, const MonthFigures& figures,
                         const Surface& surface, const std::vector<MonthMark>& marks, bool svg,
                         platform::DurableWrites& files) {
    std::vector<std::uint8_t> gif;
    if (Status s = encode_gif(surface.image(), gif); !s) return s;
    std::vector<BesideFile> beside = {{hourly_suffix, month_hourly_csv(data)},
                                      {".csv", month_summary_csv(data, figures)}};
    if (svg) beside.push_back({".svg", month_chart_svg(surface, data, figures, marks)});
    return write_chart(folder + month_file_name(data.month, ".gif"), gif, beside, &files);
}

}  // namespace

std::vector<MonthMark> Form1::draw_month_chart(const MonthData& data, const MonthFigures& figures) {
    // The frame and the month's forecast as a day's chart has them, under
    // the month's own marks.
    superficie.Cls();
    disegno_dello_stage();
    if (data.forecast) draw_forecast(*data.forecast, day_keys(data.month / 1).mese_anno, false);
    return draw_month_medians(superficie, data.month, figures);
}

void Form1::write_months(year_month_day first, year_month_day last) {
    const std::string folder = archive_folder();
    const year_month from = first.year() / first.month(), to = last.year() / last.month();

    // The days whose CSV the archive holds, by the folder's names: a day
    // without one has no values; one listed that cannot be read fails.
    std::set<year_month_day> listed;
    const platform::FolderListing listing(folder, [&](std::string_view name) {
        if (const auto day = archived_chart_day(name, ".csv")) listed.insert(*day);
    });
    if (!listing.status()) {
        for (year_month month = from; month <= to; month += months{1}) {
            ++failures;
            report("month " + iso_month(month) + ": " + listing.status().message());
        }
        return;
    }

    // The files of every month, written together and flushed to the disk
    // together; a month's files are a group.
    platform::DurableWrites files;
    std::vector<std::string> labels;  // of each month
    for (year_month month = from; month <= to; month += months{1}) {
        const std::string label = "month " + iso_month(month);
        labels.push_back(label);
        files.start_group();
        std::vector<std::string> faults;
        MonthData data = read_month(folder, month, listed, faults);
        for (const std::string& fault : faults) {
            ++failures;
            report(label + ": " + fault);
        }
        data.forecast = read_forecast(day_keys(month / 1).mese_anno);
        const MonthFigures figures = month_figures(data);
        const std::vector<MonthMark> marks = draw_month_chart(data, figures);
        const Status s = write_month_files(folder, data, figures, superficie, marks, settings_.svg, files);
        superficie.Cls();
        if (!s) {
            files.fail_group();
            ++failures;
            report(label + ": " + s.message());
        }
    }
    const std::vector<platform::DurableWrites::GroupOutcome> written = files.finish_groups();
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (written[i].failed_at_finish) continue;
        ++failures;
        report(labels[i] + ": " + written[i].failed_at_finish.message());
    }
}
