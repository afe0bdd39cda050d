#include "export/archive_pages.h"

#include <cstdint>
#include <iterator>
#include <set>

#include "app/date_text.h"
#include "canvas/chart_size.h"
#include "export/chart_files.h"
#include "export/day_against_forecast.h"
#include "export/markup.h"
#include "export/month_files.h"

using namespace std::chrono;

namespace {

// Wide enough for seven charts side by side (7 x 286 px, six gaps of 10 px,
// the body's padding and a scroll bar); narrower screens get a wrapping flow
// of the days with the padding cells and the weekday row hidden.
constexpr const char* style =
    ":root{color-scheme:light dark;--ink:#1f1f1f;--paper:#fff;--soft:#5e5e5e;--blank:#f0f0f0;--link:#0b57d0}\n"
    "@media (prefers-color-scheme:dark){:root{--ink:#e3e3e3;--paper:#131314;--soft:#a0a0a0;--blank:#222326;"
    "--link:#a8c7fa}}\n"
    "body{margin:0;padding:10px;background:var(--paper);color:var(--ink);font:16px/1.4 system-ui,sans-serif}\n"
    "a{color:var(--link)}\n"
    "h1{font-size:1.5em;margin:0 0 8px}\n"
    "h2{font-size:1.25em;margin:16px 0 8px}\n"
    "h3{font-size:1.1em;margin:12px 0 4px}\n"
    "nav.pager{display:flex;flex-wrap:wrap;gap:4px 20px;margin:0 0 10px}\n"
    ".calendar{display:grid;grid-template-columns:repeat(auto-fill,min(100%,286px));gap:10px}\n"
    ".week{display:contents}\n"
    ".weekdays,.pad{display:none}\n"
    ".day time{display:block;font-weight:bold}\n"
    ".day.empty{background:var(--blank)}\n"
    ".day.empty time{color:var(--soft);font-weight:normal;padding:0 4px}\n"
    ".day img{display:block;max-width:100%;height:auto}\n"
    "ul.months{list-style:none;margin:0;padding:0;display:flex;flex-wrap:wrap;gap:4px 20px}\n"
    ".count{color:var(--soft)}\n"
    ".against{margin:2px 0 0}\n"
    ".stamp{color:var(--soft);margin:16px 0 0}\n"
    "@media (min-width:2100px){.calendar{grid-template-columns:repeat(7,286px)}"
    ".weekdays{display:contents;color:var(--soft)}.pad{display:block}.day{min-height:calc(1.4em + 221px)}}\n";
// Only on a page that shows a month's own chart: the chart with its words
// beside it (below it on a phone), and the month's table in a box of its
// own that scrolls sideways where the screen is narrower than the table.
constexpr const char* month_style =
    ".medians img,.medians object{display:block}\n"
    ".month-chart{display:flex;flex-wrap:wrap;align-items:flex-start;gap:8px 20px;margin:0 0 10px}\n"
    ".month-chart figcaption{flex:1 1 16em;max-width:40em}\n"
    ".month-chart p{margin:0 0 8px}\n"
    ".legend{display:grid;grid-template-columns:auto 1fr;gap:2px 10px;margin:0}\n"
    ".legend dt{font-weight:bold}\n"
    ".legend dd{margin:0}\n"
    "ul.files{margin:0 0 10px;padding-left:1.2em}\n"
    ".table{overflow-x:auto;margin:0 0 16px}\n"
    ".table table{border-collapse:collapse;font-variant-numeric:tabular-nums}\n"
    ".table caption{text-align:left;padding:0 0 4px;position:sticky;left:0;max-width:calc(100vw - 20px)}\n"
    ".table th,.table td{padding:1px 5px;text-align:right;white-space:nowrap}\n"
    ".table tr>:first-child{text-align:left;position:sticky;left:0;background:var(--paper)}\n"
    ".table tbody tr:nth-child(even),.table tbody tr:nth-child(even)>:first-child{background:var(--blank)}\n"
    ".table tbody+tbody tr:first-child>*{border-top:2px solid var(--soft)}\n";

// The archive as the pages need it: its days, and its months.
struct Archive {
    std::set<year_month_day> days;
    std::set<year_month> months;
    const ArchiveExtras& beside;

    Archive(std::span<const year_month_day> charts, const ArchiveExtras& beside) : beside(beside) {
        for (const year_month_day& day : charts) {
            days.insert(day);
            months.insert(day.year() / day.month());
        }
    }
};

// The pages' icon, in the page itself so that no browser asks the server
// for /favicon.ico: a red curve in a yellow frame, as on the charts.
constexpr std::string_view icon_svg =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 16 16\"><rect width=\"16\" height=\"16\"/>"
    "<rect x=\".5\" y=\".5\" width=\"15\" height=\"15\" fill=\"none\" stroke=\"#ff0\"/>"
    "<path d=\"M2 12L5 7L8 9L11 4L14 6\" fill=\"none\" stroke=\"#f00\" stroke-width=\"1.5\"/></svg>";

std::string base64(std::string_view bytes) {
    constexpr const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k)
            group = group << 8 | (i + k < bytes.size() ? static_cast<std::uint8_t>(bytes[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= bytes.size() - i ? digits[group >> (18 - 6 * k) & 63] : '=';
    }
    return out;
}

// The head of a page: its title, and for search engines and link previews
// what it holds; `more_style` after the pages' own.
std::string head(std::string_view title, std::string_view description, std::string_view more_style = {}) {
    static const std::string icon = "data:image/svg+xml;base64," + base64(icon_svg);
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<meta name=\"description\" content=\"" + html_escape(description) + "\">\n"
           "<link rel=\"icon\" href=\"" + icon + "\">\n<title>" +
           html_escape(title) + "</title>\n<style>\n" + style + std::string(more_style) + "</style>\n</head>\n<body>\n";
}

// `<tag>text</tag>`
std::string element(std::string_view tag, std::string_view text) {
    return "<" + std::string(tag) + ">" + html_escape(text) + "</" + std::string(tag) + ">";
}

// `content` is markup: the caller escapes its text.
std::string link(std::string_view href, std::string_view content, std::string_view rel = {}) {
    std::string html = "<a href=\"" + html_escape(href) + "\"";
    if (!rel.empty()) html += " rel=\"" + html_escape(rel) + "\"";
    return html + ">" + std::string(content) + "</a>";
}

// Links to the nearest earlier and later months that have charts, and to
// the index unless the page is the index.
std::string pager(year_month month, const Archive& archive, bool index_link) {
    std::string html = "<nav class=\"pager\" aria-label=\"Months\">\n";
    if (auto later = archive.months.lower_bound(month); later != archive.months.begin()) {
        const year_month earlier = *std::prev(later);
        html += link(month_page_name(earlier), "&larr; " + html_escape(month_year(earlier)), "prev") + "\n";
    }
    if (index_link) html += link("index.html", html_escape("All months")) + "\n";
    if (auto later = archive.months.upper_bound(month); later != archive.months.end())
        html += link(month_page_name(*later), html_escape(month_year(*later)) + " &rarr;", "next") + "\n";
    return html + "</nav>\n";
}

// A chart of the archive: its vector picture `svg` where there is one (sharp
// on every screen, with its values under the pointer), the GIF inside it for
// where it cannot be shown; else the GIF, loaded as it scrolls into view when
// `lazy`.
std::string picture(const std::string& gif, const std::string& svg, const std::string& alt, bool lazy) {
    const std::string size =
        "width=\"" + std::to_string(chart_width) + "\" height=\"" + std::to_string(chart_height) + "\"";
    if (svg.empty())
        return "<img src=\"" + html_escape(gif) + "\" " + size + (lazy ? " loading=\"lazy\"" : "") + " alt=\"" +
               html_escape(alt) + "\">";
    return "<object data=\"" + html_escape(svg) + "\" type=\"image/svg+xml\" " + size + " role=\"img\" aria-label=\"" +
           html_escape(alt) + "\"><img src=\"" + html_escape(gif) + "\" " + size + " alt=\"" + html_escape(alt) +
           "\"></object>";
}

std::string day_cell(year_month_day day, const Archive& archive) {
    const bool has_chart = archive.days.contains(day);
    std::string html = has_chart ? "<div class=\"day\">" : "<div class=\"day empty\">";
    html += "<time datetime=\"" + html_escape(iso_date(day)) + "\">" + html_escape(short_weekday_date(day)) + "</time>";
    if (!has_chart) return html + "</div>\n";

    const auto found = archive.beside.find(day);
    const BesideChart none;
    const BesideChart& beside = found == archive.beside.end() ? none : found->second;
    const std::string alt =
        beside.description.empty() ? "MUF(3000)F2 chart of " + day_month_year(day) : beside.description;
    const std::string gif = archived_chart_name(day);
    if (beside.csv) html += link(beside_name(gif, ".csv"), html_escape("Data (CSV)"));
    html += picture(gif, beside.svg ? beside_name(gif, ".svg") : "", alt, true);
    // In words where the day departs from its forecast, not only in the alt text.
    if (!beside.against_forecast.empty() && beside.against_forecast != near_forecast)
        html += "<p class=\"against\">" + html_escape(beside.against_forecast) + "</p>";
    return html + "</div>\n";
}

// The month's weeks, Monday to Sunday, with padding cells before its first
// day and after its last one.
std::string calendar(year_month month, const Archive& archive) {
    std::string html = "<div class=\"calendar\">\n<div class=\"weekdays\" aria-hidden=\"true\">";
    // ISO order: the calendar's weeks start on Monday.
    for (unsigned d = 1; d <= 7; ++d) html += element("div", short_weekday_name(weekday{d}));
    html += "</div>\n";
    const unsigned lead = weekday{sys_days{month / 1}}.iso_encoding() - 1;
    const unsigned last = static_cast<unsigned>((month / std::chrono::last).day());
    const unsigned cells = (lead + last + 6) / 7 * 7;
    for (unsigned cell = 0; cell < cells; ++cell) {
        if (cell % 7 == 0) html += "<div class=\"week\">\n";
        const unsigned number = cell + 1 - lead;
        if (cell < lead || number > last)
            html += "<div class=\"pad\"></div>\n";
        else
            html += day_cell(month / day{number}, archive);
        if (cell % 7 == 6) html += "</div>\n";
    }
    return html + "</div>\n";
}

// The months of the archive, newest first, under a heading for each year.
std::string month_list(const Archive& archive) {
    std::string html = element("h2", "All months") + "\n";
    std::optional<year> open_year;
    for (auto month = archive.months.rbegin(); month != archive.months.rend(); ++month) {
        if (month->year() != open_year) {
            if (open_year) html += "</ul>\n";
            open_year = month->year();
            html += element("h3", std::to_string(static_cast<int>(month->year()))) + "\n<ul class=\"months\">\n";
        }
        const auto count = std::distance(archive.days.lower_bound(*month / 1),
                                         archive.days.upper_bound(*month / std::chrono::last));
        const std::string name(month_name(month->month()));
        html += "<li>" + link(month_page_name(*month), html_escape(name)) + " <span class=\"count\">" +
                html_escape(counted(static_cast<long>(count), "chart")) + "</span></li>\n";
    }
    return html + "</ul>\n";
}

// "Hourly medians of March 2024", the heading of a month's own chart.
std::string medians_heading(year_month month) {
    return "<h2 id=\"medians\">" + html_escape("Hourly medians of " + month_year(month)) + "</h2>\n";
}

// The month's own chart with its words beside it: what it shows, what too
// few days leave out of it, and what its marks mean.
std::string month_chart_figure(year_month month, const MonthOwnFiles& own) {
    const std::string alt =
        own.description.empty() ? "MUF(3000)F2 hourly medians of " + month_year(month) : own.description;
    const std::string gif = month_file_name(month, ".gif");
    std::string html = "<figure class=\"month-chart\">\n" +
                       picture(gif, own.svg ? month_file_name(month, ".svg") : "", alt, false) + "\n<figcaption>\n";
    if (!own.description.empty()) html += element("p", own.description) + "\n";
    if (own.figures) {
        if (const std::string few = too_few_for_medians(*own.figures); !few.empty())
            html += "<p class=\"few\">" + html_escape(few) + "</p>\n";
    }
    html += "<dl class=\"legend\">\n" + element("dt", "Red dots") + element("dd", "the hourly medians, each hour's middle "
            "value over the month's days") + "\n" + element("dt", "Red bars") +
            element("dd", "their quartiles, from each hour's lower quartile to its upper one") + "\n" +
            element("dt", "White") + element("dd", "the month's forecast") + "\n</dl>\n";
    return html + "</figcaption>\n</figure>\n";
}

// The month's two tables as files, a list of links each with what it holds.
std::string month_file_links(year_month month, const MonthOwnFiles& own) {
    if (!own.summary && !own.hourly) return "";
    std::string html = "<ul class=\"files\">\n";
    if (own.summary)
        html += "<li>" + link(month_file_name(month, ".csv"), html_escape("Each hour's statistics (CSV)")) +
                html_escape(": over the month's days, each hour's count, median, quartiles and deciles, its forecast "
                            "and the median against it") +
                "</li>\n";
    if (own.hourly)
        html += "<li>" + link(month_file_name(month, hourly_suffix), html_escape("Each day's hourly values (CSV)")) +
                html_escape(": each day's value at each whole hour") + "</li>\n";
    return html + "</ul>\n";
}

// One row of the month's table: its header cell, then a cell for each hour.
template <typename Cell>
std::string table_row(std::string_view header, const Cell& cell) {
    std::string html = "<tr>" + std::string("<th scope=\"row\">") + html_escape(header) + "</th>";
    for (int h = 0; h < 24; ++h) html += "<td>" + cell(h) + "</td>";
    return html + "</tr>\n";
}

// The month's tables as a station's bulletin prints them, in one table: a
// row for each day of the month, its value at each hour in MHz, then each
// hour's count and statistics; as wide as 25 columns, in a box that
// scrolls sideways and can be reached from the keyboard for it.
std::string month_table(year_month month, const MonthOwnFiles& own) {
    if (!own.figures) return "";
    const auto mhz = [](const std::optional<std::int16_t>& tenths) { return tenths ? tenths_text(*tenths) : ""; };
    std::string html = "<div class=\"table\" role=\"region\" aria-labelledby=\"values\" tabindex=\"0\">\n<table>\n"
                       "<caption id=\"values\">" +
                       html_escape("Each day's value at each hour UT in MHz, and each hour's statistics, " +
                                   month_year(month)) +
                       "</caption>\n<thead>\n<tr><th scope=\"col\">Day</th>";
    for (int h = 0; h < 24; ++h) {
        html += "<th scope=\"col\">";
        append_two_digits(html, h);
        html += "</th>";
    }
    html += "</tr>\n</thead>\n<tbody>\n";
    for (std::size_t d = 0; d < own.days.size(); ++d)
        html += table_row(std::to_string(d + 1), [&](int h) { return mhz(own.days[d][h]); });
    html += "</tbody>\n<tbody>\n";
    const auto& hours = own.figures->hours;
    html += table_row("Count", [&](int h) { return std::to_string(hours[h].count); });
    using Statistic = std::optional<std::int16_t> HourStatistics::*;
    const std::pair<const char*, Statistic> rows[] = {
        {"Median", &HourStatistics::median},
        {"Upper quartile", &HourStatistics::upper_quartile},
        {"Lower quartile", &HourStatistics::lower_quartile},
        {"Upper decile", &HourStatistics::upper_decile},
        {"Lower decile", &HourStatistics::lower_decile},
    };
    for (const auto& row : rows) {
        const Statistic statistic = row.second;
        html += table_row(row.first, [&](int h) { return mhz(hours[h].*statistic); });
    }
    return html + "</tbody>\n</table>\n</div>\n";
}

// The month's own chart and tables, above its calendar; nothing when the
// month has no chart of its own.
std::string month_section(year_month month, const MonthOwnFiles& own) {
    if (!own.chart) return "";
    return "<section class=\"medians\" aria-labelledby=\"medians\">\n" + medians_heading(month) +
           month_chart_figure(month, own) + month_file_links(month, own) + month_table(month, own) + "</section>\n";
}

// The latest month's own chart at the top of the index, its tables on its
// page; nothing when the month has no chart of its own.
std::string latest_month_section(year_month month, const MonthOwnFiles& own) {
    if (!own.chart) return "";
    return "<section class=\"medians\" aria-labelledby=\"medians\">\n" + medians_heading(month) +
           month_chart_figure(month, own) + "</section>\n";
}

const std::string page_end = "</body>\n</html>\n";

// The end of a page: its closing line, where the stamp gives one.
std::string end_of_page(const PageStamp& stamp) {
    if (stamp.generator.empty()) return page_end;
    return "<p class=\"stamp\">" + html_escape(freshness_line(stamp)) + "</p>\n" + page_end;
}

// "MUF(3000)F2 charts of Rome (RO041)", "MUF(3000)F2 charts" for no station.
std::string charts_of(const PageStamp& stamp) {
    std::string title = "MUF(3000)F2 charts";
    if (stamp.station.empty() && stamp.station_code.empty()) return title;
    title += " of ";
    if (stamp.station.empty()) return title + stamp.station_code;
    title += stamp.station;
    if (!stamp.station_code.empty()) title += " (" + stamp.station_code + ")";
    return title;
}

}  // namespace

std::string month_page_name(year_month month) { return month_file_name(month, ".html"); }

std::string month_page(year_month month, std::span<const year_month_day> charts, const ArchiveExtras& beside,
                       const MonthOwnFiles& own, const PageStamp& stamp) {
    const Archive archive(charts, beside);
    const std::string title = charts_of(stamp) + ": " + month_year(month);
    bool data = false;  // a chart of the month has its CSV beside it
    for (const auto& [day, files] : beside) data = data || (files.csv && day.year() / day.month() == month);
    const std::string description =
        "MUF(3000)F2 charts of " + month_year(month) + ": one a day" + (data ? ", with their data" : "");
    return head(title, description, own.chart ? month_style : "") + element("h1", title) + "\n" +
           pager(month, archive, true) + month_section(month, own) + calendar(month, archive) + end_of_page(stamp);
}

std::string index_page(std::span<const year_month_day> charts, const ArchiveExtras& beside,
                       const MonthOwnFiles& latest_own, const PageStamp& stamp) {
    const Archive archive(charts, beside);
    const std::string title = charts_of(stamp);
    if (archive.months.empty())
        return head(title, "MUF(3000)F2 charts, one a day: the archive holds none yet") + element("h1", title) + "\n" +
               element("p", "The archive holds no charts yet.") + "\n" + end_of_page(stamp);

    const year_month latest = *archive.months.rbegin();
    const std::string html = head(title, "MUF(3000)F2 charts, one a day: the latest month, " + month_year(latest) +
                                             ", and every month of the archive",
                                  latest_own.chart ? month_style : "") +
                             element("h1", title) + "\n" + latest_month_section(latest, latest_own);
    return html + "<h2>" + html_escape("Latest month: ") +
           link(month_page_name(latest), html_escape(month_year(latest))) + "</h2>\n" +
           pager(latest, archive, false) + calendar(latest, archive) + month_list(archive) + end_of_page(stamp);
}

std::string freshness_line(const PageStamp& stamp) {
    std::string line = stamp.newest_sounding ? "Newest sounding " + date_and_minute(*stamp.newest_sounding) + " UT"
                                             : "No sounding in the days drawn";
    return line + "; written " + date_and_minute(stamp.written) + " UT by " + stamp.generator + ".";
}
