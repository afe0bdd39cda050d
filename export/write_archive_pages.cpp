// The archive's browsing pages, written beside its charts.

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "app/form1.h"
#include "export/archive_pages.h"
#include "platform/files.h"
#include "platform/folder_listing.h"

void Form1::write_archive_pages(std::chrono::year_month_day first, std::chrono::year_month_day last) {
    // The pages show the charts that are in the folder now, whoever wrote
    // them; other files there, folders and hidden files are left out.
    const std::string folder = archive_folder();
    std::vector<std::chrono::year_month_day> charts;
    const Status listed = platform::list_ordinary_files(folder, [&charts](std::string_view name) {
        if (const auto day = archived_chart_day(name)) charts.push_back(*day);
    });
    if (!listed) {
        ++failures;
        report("archive pages: " + listed.message());
        return;
    }
    std::sort(charts.begin(), charts.end());

    auto write = [&](const std::string& name, const std::string& page) {
        const std::span bytes(reinterpret_cast<const std::uint8_t*>(page.data()), page.size());
        if (Status s = platform::write_file_atomic(folder + name, bytes); !s) {
            ++failures;
            report("archive pages: " + s.message());
        }
    };
    for (std::chrono::year_month month = first.year() / first.month(); month <= last.year() / last.month();
         month += std::chrono::months{1})
        write(month_page_name(month), month_page(month, charts));
    write("index.html", index_page(charts));
}
