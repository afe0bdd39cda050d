// What runs killed part way left behind: the temporaries of files that this
// program writes, in the folders that this run writes to anyway.

#include <string>
#include <string_view>

#include "app/form1.h"
#include "export/chart_files.h"
#include "export/feed.h"
#include "export/month_files.h"
#include "platform/files.h"

namespace {

// "grafico1.bmp" to "grafico6.bmp", and likewise the published charts.
bool day_file(std::string_view name, std::string_view start, std::string_view extension) {
    return name.size() == start.size() + 1 + extension.size() && name.starts_with(start) &&
           name[start.size()] >= '1' && name[start.size()] <= '6' && name.ends_with(extension);
}

bool scratch_bitmap(std::string_view name) { return day_file(name, "grafico", ".bmp"); }

bool feed_file(std::string_view name) { return name == feed_name; }

bool published_file(std::string_view name) {
    if (feed_file(name)) return true;
    for (const std::string_view extension : {".gif", ".csv", ".svg"})
        if (day_file(name, "plotMUF", extension)) return true;
    return false;
}

// A month's page "yyyy-mm.html" and its own files: "yyyy-mm.gif",
// "yyyy-mm-hourly.csv" ...
bool month_file(std::string_view name) { return month_file_month(name, ".html") || month_own_file(name); }

bool archive_file(std::string_view name) {
    for (const std::string_view extension : {".gif", ".csv", ".svg"})
        if (archived_chart_day(name, extension)) return true;
    return name == "index.html" || month_file(name);
}

}  // namespace

void Form1::clear_stale_temporaries(const std::string& folder, const std::function<bool(std::string_view)>& ours) {
    // Left where it is, a temporary costs a little room: never a failure.
    for (const Status& s : platform::remove_stale_temporaries(folder, ours)) report(s.message());
}

void Form1::clear_stale_temporaries(bool scheduled) {
    if (scheduled) {
        clear_stale_temporaries(cartella_previsioni, scratch_bitmap);
        clear_stale_temporaries(cartella_figure, published_file);
    } else if (settings_.feed) {
        // A range writes no published chart, but the feed.
        clear_stale_temporaries(cartella_figure, feed_file);
    }
    clear_stale_temporaries(archive_folder(), archive_file);
}
