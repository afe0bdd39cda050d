// The archive's browsing pages, written beside its charts.

#include <algorithm>
#include <chrono>
#include <optional>
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

// What the folder holds of `month`'s own files, among the names `listed`.
MonthOwnFiles month_own_files(std::chrono::year_month month, const std::set<std::string, std::less<>>& listed) {
    MonthOwnFiles own;
    own.chart = listed.contains(month_file_name(month, ".gif"));
    own.svg = listed.contains(month_file_name(month, ".svg"));
    own.summary = listed.contains(month_file_name(month, ".csv"));
    own.hourly = listed.contains(month_file_name(month, hourly_suffix));
    return own;
}

// What the month's chart shows in words, and its tables, read back from its
// two CSVs in `folder` into `own`; a failure when either cannot be read or
// holds no month's table.
Status read_month_tables(const std::string& folder, std::chrono::year_month month, MonthOwnFiles& own) {
    const std::string hourly_path = folder + month_file_name(month, hourly_suffix);
    const std::string summary_path = folder + month_file_name(month, ".csv");
    std::vector<std::uint8_t> hourly, summary;
    if (Status s = platform::read_file(hourly_path, hourly, max_csv_bytes); !s) return s;
    if (Status s = platform::read_file(summary_path, summary, max_csv_bytes); !s) return s;
    MonthData data;
    data.month = month;
    auto days = read_month_hourly_csv({reinterpret_cast<const char*>(hourly.data()), hourly.size()}, month);
    if (!days) return Status::fail(platform::native_path(hourly_path) + " holds no month's table");
    const auto forecast = read_month_forecast({reinterpret_cast<const char*>(summary.data()), summary.size()});
    if (!forecast) return Status::fail(platform::native_path(summary_path) + " holds no month's table");
    data.days = std::move(*days);
    data.forecast = *forecast;
    own.figures = month_figures(data);
    own.description = month_description(data, *own.figures);
    own.days = std::move(data.days);
    return Status::ok();
}

// What the archive folder holds that its pages show: the charts that are
// in it now, whoever wrote them, and the files beside them; other files
// there, folders and hidden files are left out.
struct ArchiveListing {
    std::vector<std::chrono::year_month_day> charts;  // sorted
    std::set<std::chrono::year_month_day> csv, svg;
    std::set<std::chrono::year_month> pages;
    std::set<std::string, std::less<>> month_files;  // names such as 2024-03.gif
};

Status list_archive(const std::string& folder, ArchiveListing& archive) {
    const Status listed = platform::list_ordinary_files(folder, [&](std::string_view name) {
        if (const auto day = archived_chart_day(name)) archive.charts.push_back(*day);
        else if (const auto data = archived_chart_day(name, ".csv")) archive.csv.insert(*data);
        else if (const auto picture = archived_chart_day(name, ".svg")) archive.svg.insert(*picture);
        else if (const auto month = month_file_month(name, ".html")) archive.pages.insert(*month);
        else if (month_own_file(name)) archive.month_files.emplace(name);
    });
    std::sort(archive.charts.begin(), archive.charts.end());
    return listed;
}

// The pages written: those of the months from `from` to `to`, and of every
// month that has charts and no page yet (charts of a run without
// --archive-page, or of a range before them), since each page links every
// month that has charts.
std::set<std::chrono::year_month> pages_written(const ArchiveListing& archive, std::chrono::year_month from,
                                                std::chrono::year_month to) {
    std::set<std::chrono::year_month> written;
    for (std::chrono::year_month month = from; month <= to; month += std::chrono::months{1}) written.insert(month);
    for (const std::chrono::year_month_day day : archive.charts)
        if (!archive.pages.contains(day.year() / day.month())) written.insert(day.year() / day.month());
    return written;
}

// What the pages of `shown` show of the files beside the charts. A chart's
// CSV says in words what the chart shows; one that cannot be read or holds
// no chart's data leaves the chart its plain alt text: named in `notes`,
// and no failure of the run.
ArchiveExtras beside_charts(const std::string& folder, const ArchiveListing& archive,
                            const std::set<std::chrono::year_month>& shown, std::vector<std::string>& notes) {
    ArchiveExtras beside;
    for (const std::chrono::year_month_day day : archive.charts) {
        if (!shown.contains(day.year() / day.month())) continue;
        if (!archive.csv.contains(day) && !archive.svg.contains(day)) continue;
        BesideChart& extra = beside[day];
        extra.csv = archive.csv.contains(day);
        extra.svg = archive.svg.contains(day);
        if (!extra.csv) continue;
        const std::string csv_path = folder + beside_name(archived_chart_name(day), ".csv");
        std::vector<std::uint8_t> bytes;
        if (Status s = platform::read_file(csv_path, bytes, max_csv_bytes); !s) {
            notes.push_back("the plain alt text for " + iso_date(day) + ": " + s.message());
        } else if (const auto data = read_chart_csv({reinterpret_cast<const char*>(bytes.data()), bytes.size()})) {
            extra.description = chart_description(*data, day);
            extra.against_forecast = against_forecast(*data);
        } else {
            notes.push_back("the plain alt text for " + iso_date(day) + ": " + platform::native_path(csv_path) +
                            " holds no chart's data");
        }
    }
    return beside;
}

}  // namespace

void Form1::write_archive_pages(std::chrono::year_month_day first, std::chrono::year_month_day last) {
    using namespace std::chrono;
    const std::string folder = archive_folder();
    ArchiveListing archive;
    if (Status s = list_archive(folder, archive); !s) {
        ++failures;
        report("archive pages: " + s.message());
        return;
    }
    const year_month from = first.year() / first.month(), to = last.year() / last.month();
    const std::set<year_month> written = pages_written(archive, from, to);

    // The files beside the charts, as the pages written and the index of
    // the latest month show them.
    const year_month latest =
        archive.charts.empty() ? to : archive.charts.back().year() / archive.charts.back().month();
    std::set<year_month> shown = written;
    shown.insert(latest);
    std::vector<std::string> notes;
    const ArchiveExtras beside = beside_charts(folder, archive, shown, notes);
    for (const std::string& note : notes) report("archive pages: " + note);

    // Whose charts, and how fresh: the newest sounding of the days drawn.
    const PageStamp stamp{.station = settings_.station, .station_code = settings_.station_code,
                          .newest_sounding = record.newest_sounding(), .written = record.written,
                          .generator = settings_.generator};

    auto write = [&](const std::string& name, const std::string& page) {
        const std::span bytes(reinterpret_cast<const std::uint8_t*>(page.data()), page.size());
        if (Status s = platform::write_file_atomic(folder + name, bytes); !s) {
            ++failures;
            report("archive pages: " + s.message());
        }
    };
    // A month's own files, and when all three are there what its chart
    // shows and its tables, read back from its CSVs; tables that cannot be
    // read leave the month's chart its plain alt text, as a day's CSV does.
    auto own_files = [&](year_month month) {
        MonthOwnFiles own = month_own_files(month, archive.month_files);
        if (own.chart && own.summary && own.hourly) {
            if (Status s = read_month_tables(folder, month, own); !s)
                report("archive pages: the plain alt text for " + iso_month(month) + ": " + s.message());
        }
        return own;
    };
    std::optional<MonthOwnFiles> latest_own;
    for (const year_month month : written) {
        MonthOwnFiles own = own_files(month);
        write(month_page_name(month), month_page(month, archive.charts, beside, own, stamp));
        if (month == latest) latest_own = std::move(own);
    }
    write("index.html", index_page(archive.charts, beside, latest_own ? *latest_own : own_files(latest), stamp));
}
