// The archive's browsing pages, written beside its charts.

#include <algorithm>
#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "app/date_text.h"
#include "app/form1.h"
#include "export/archive_pages.h"
#include "export/chart_csv.h"
#include "export/chart_description.h"
#include "export/day_against_forecast.h"
#include "export/month_files.h"
#include "platform/files.h"
#include "platform/folder_listing.h"

namespace {

// What the folder holds of `month`'s own files, among the names `listed`,
// and what its chart shows in words, read back from its two CSVs.
MonthOwnFiles month_own_files(const std::string& folder, std::chrono::year_month month,
                              const std::set<std::string, std::less<>>& listed) {
    MonthOwnFiles own;
    own.chart = listed.contains(month_file_name(month, ".gif"));
    own.svg = listed.contains(month_file_name(month, ".svg"));
    own.summary = listed.contains(month_file_name(month, ".csv"));
    own.hourly = listed.contains(month_file_name(month, hourly_suffix));
    if (!own.chart || !own.summary || !own.hourly) return own;
    std::vector<std::uint8_t> hourly, summary;
    if (!platform::read_file(folder + month_file_name(month, hourly_suffix), hourly, max_csv_bytes) ||
        !platform::read_file(folder + month_file_name(month, ".csv"), summary, max_csv_bytes))
        return own;
    MonthData data;
    data.month = month;
    auto days = read_month_hourly_csv({reinterpret_cast<const char*>(hourly.data()), hourly.size()}, month);
    const auto forecast = read_month_forecast({reinterpret_cast<const char*>(summary.data()), summary.size()});
    if (!days || !forecast) return own;
    data.days = std::move(*days);
    data.forecast = *forecast;
    own.description = month_description(data, month_figures(data));
    return own;
}

}  // namespace

void Form1::write_archive_pages(std::chrono::year_month_day first, std::chrono::year_month_day last) {
    using namespace std::chrono;
    // The pages show the charts that are in the folder now, whoever wrote
    // them, and the files beside them; other files there, folders and
    // hidden files are left out.
    const std::string folder = archive_folder();
    std::vector<year_month_day> charts;
    std::set<year_month_day> csv, svg;
    std::set<year_month> pages;
    std::set<std::string, std::less<>> month_files;  // names such as 2024-03.gif
    const Status listed = platform::list_ordinary_files(folder, [&](std::string_view name) {
        if (const auto day = archived_chart_day(name)) charts.push_back(*day);
        else if (const auto data = archived_chart_day(name, ".csv")) csv.insert(*data);
        else if (const auto picture = archived_chart_day(name, ".svg")) svg.insert(*picture);
        else if (const auto month = month_file_month(name, ".html")) pages.insert(*month);
        else if (month_own_file(name)) month_files.emplace(name);
    });
    if (!listed) {
        ++failures;
        report("archive pages: " + listed.message());
        return;
    }
    std::sort(charts.begin(), charts.end());

    // The pages written: those of the months drawn, and of every month that
    // has charts and no page yet (charts of a run without --archive-page, or
    // of a range before them), since each page links every month that has
    // charts.
    const year_month from = first.year() / first.month(), to = last.year() / last.month();
    std::set<year_month> written;
    for (year_month month = from; month <= to; month += months{1}) written.insert(month);
    for (const year_month_day day : charts)
        if (!pages.contains(day.year() / day.month())) written.insert(day.year() / day.month());

    // What they show of the files beside the charts, and the index of the
    // latest month. A chart's CSV says in words what the chart shows.
    const year_month latest = charts.empty() ? to : charts.back().year() / charts.back().month();
    ArchiveExtras beside;
    for (const year_month_day day : charts) {
        const year_month month = day.year() / day.month();
        if (!written.contains(month) && month != latest) continue;
        if (!csv.contains(day) && !svg.contains(day)) continue;
        BesideChart& extra = beside[day];
        extra.csv = csv.contains(day);
        extra.svg = svg.contains(day);
        if (!extra.csv) continue;
        // A CSV that cannot be read or holds no chart's data leaves the
        // chart its plain alt text: named, and no failure of the run.
        const std::string csv_path = folder + beside_name(archived_chart_name(day), ".csv");
        std::vector<std::uint8_t> bytes;
        if (Status s = platform::read_file(csv_path, bytes, max_csv_bytes); !s) {
            report("archive pages: the plain alt text for " + iso_date(day) + ": " + s.message());
        } else if (const auto data = read_chart_csv({reinterpret_cast<const char*>(bytes.data()), bytes.size()})) {
            extra.description = chart_description(*data, day);
            extra.against_forecast = against_forecast(*data);
        } else {
            report("archive pages: the plain alt text for " + iso_date(day) + ": " + platform::native_path(csv_path) +
                   " holds no chart's data");
        }
    }

    // Whose charts, and how fresh: the newest sounding of the days drawn.
    PageStamp stamp{.station = settings_.station, .station_code = settings_.station_code,
                    .newest_sounding = std::nullopt, .written = record.written, .generator = settings_.generator};
    for (const DayRecord& day : record.days) {
        if (!day.newest_minute) continue;
        const sys_seconds t = sys_days{day.date} + minutes{*day.newest_minute};
        if (!stamp.newest_sounding || t > *stamp.newest_sounding) stamp.newest_sounding = t;
    }

    auto write = [&](const std::string& name, const std::string& page) {
        const std::span bytes(reinterpret_cast<const std::uint8_t*>(page.data()), page.size());
        if (Status s = platform::write_file_atomic(folder + name, bytes); !s) {
            ++failures;
            report("archive pages: " + s.message());
        }
    };
    for (const year_month month : written)
        write(month_page_name(month),
              month_page(month, charts, beside, month_own_files(folder, month, month_files), stamp));
    write("index.html", index_page(charts, beside, stamp));
}
