// The month's files, written in the archive folder after a run's days: for
// each month that a drawn day belongs to, from that month's archived day
// CSVs, the tables of hourly values and of each hour's statistics, and the
// month's chart (and its SVG).

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

void Form1::write_months(std::chrono::year_month_day first, std::chrono::year_month_day last) {
    using namespace std::chrono;
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
    // together; a month fails once, at the first of its files that fails.
    platform::DurableWrites files;
    std::vector<std::string> labels;      // of each month
    std::vector<bool> failed;             // each month
    std::vector<std::size_t> month_of;    // of each file added
    for (year_month month = from; month <= to; month += months{1}) {
        const std::string label = "month " + iso_month(month);
        labels.push_back(label);
        failed.push_back(false);

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
                ++failures;
                report(label + ": " + name + " cannot be read: " + s.message());
                continue;
            }
            const auto values = read_observed_values({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
            if (!values) {
                ++failures;
                report(label + ": " + name + " holds no chart data this program reads");
                continue;
            }
            data.days[d - 1] = hourly_values(*values);
        }

        // The chart: the frame and the month's forecast as a day's chart
        // has them, and what the forecast drew is the month's forecast.
        const std::string key = day_keys(month / 1).mese_anno;
        superficie.Cls();
        chart_data.points.clear();
        chart_data.forecast_drawn = false;
        disegno_dello_stage();
        grafico_previsione(key);
        if (chart_data.forecast_drawn) {
            std::array<std::int16_t, 24> forecast{};
            for (const ChartPoint& point : chart_data.points)
                if (point.series == ChartPoint::Series::forecast && point.tenths) forecast[point.minute / 60] = *point.tenths;
            data.forecast = forecast;
        }
        const MonthFigures figures = month_figures(data);
        const std::vector<MonthMark> marks = draw_month_medians(superficie, month, figures);

        std::vector<std::uint8_t> gif;
        Status s = encode_gif(superficie.image(), gif);
        std::vector<BesideFile> beside = {{hourly_suffix, month_hourly_csv(data)},
                                          {".csv", month_summary_csv(data, figures)}};
        if (settings_.svg) beside.push_back({".svg", month_chart_svg(superficie, data, figures, marks)});
        if (s) s = write_chart(folder + month_file_name(month, ".gif"), gif, beside, &files);
        month_of.resize(files.size(), labels.size() - 1);
        superficie.Cls();
        if (!s) {
            failed.back() = true;
            ++failures;
            report(label + ": " + s.message());
        }
    }
    const std::vector<Status> written = files.finish();
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (written[i] || failed[month_of[i]]) continue;
        failed[month_of[i]] = true;
        ++failures;
        report(labels[month_of[i]] + ": " + written[i].message());
    }
}
