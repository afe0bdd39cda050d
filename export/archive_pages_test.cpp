#include "export/archive_pages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <regex>
#include <vector>

#include "export/markup.h"

namespace {

using namespace std::chrono;

std::vector<std::string> matches(const std::string& text, const std::string& pattern, int group = 1) {
    std::vector<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        found.push_back((*it)[group]);
    return found;
}

// One cell of a page's calendar, in page order.
struct Cell {
    bool pad = false;
    std::string date;     // its datetime
    std::string content;  // what the cell holds
    std::vector<std::string> images;
};

std::vector<Cell> calendar_cells(const std::string& page) {
    std::vector<Cell> cells;
    const std::regex cell_pattern(R"re(<div class="(pad|day[^"]*)">(.*?)</div>)re");
    for (auto it = std::sregex_iterator(page.begin(), page.end(), cell_pattern); it != std::sregex_iterator(); ++it) {
        Cell cell{(*it)[1] == "pad", {}, (*it)[2], matches((*it)[2], "<img [^>]*>", 0)};
        const auto dates = matches(cell.content, R"re(datetime="([^"]*)")re");
        if (!dates.empty()) cell.date = dates.front();
        cells.push_back(cell);
    }
    return cells;
}

std::vector<year_month_day> days_of(std::initializer_list<year_month_day> days) { return days; }

TEST(MonthPageName, IsYearDashMonth) {
    EXPECT_EQ(month_page_name(2024y / March), "2024-03.html");
    EXPECT_EQ(month_page_name(2024y / December), "2024-12.html");
    EXPECT_EQ(month_page_name(987y / January), "0987-01.html");
}

TEST(HtmlEscape, ReplacesEveryCharacterThatCouldEndTextOrAttribute) {
    const struct {
        std::string_view text, html;
    } cases[] = {
        {"", ""},
        {"2024-03.html", "2024-03.html"},
        {"<script>.gif", "&lt;script&gt;.gif"},
        {R"(a"b'c)", "a&quot;b&#39;c"},
        {"&amp; & &&", "&amp;amp; &amp; &amp;&amp;"},
        {"\" onload=\"x", "&quot; onload=&quot;x"},
    };
    for (const auto& c : cases) EXPECT_EQ(html_escape(c.text), c.html) << c.text;
}

TEST(MonthPage, LaysTheMonthOutInWeeksFromMonday) {
    const struct {
        year_month month;
        unsigned pads_before;  // the first day's weekday, Monday 0
        const char* first_weekday;
        unsigned days;
    } cases[] = {
        {2024y / April, 0, "Mon", 30},    {2024y / September, 6, "Sun", 30}, {2024y / December, 6, "Sun", 31},
        {2024y / February, 3, "Thu", 29}, {2023y / February, 2, "Wed", 28}, {2021y / February, 0, "Mon", 28},
        {2024y / March, 4, "Fri", 31},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(month_page_name(c.month));
        const auto cells = calendar_cells(month_page(c.month, {}));
        ASSERT_EQ(cells.size() % 7, 0u);
        ASSERT_EQ(cells.size(), (c.pads_before + c.days + 6) / 7 * 7);
        for (unsigned i = 0; i < cells.size(); ++i) {
            const bool in_month = i >= c.pads_before && i < c.pads_before + c.days;
            EXPECT_EQ(cells[i].pad, !in_month) << "cell " << i;
            if (!in_month) {
                EXPECT_EQ(cells[i].content, "") << "cell " << i;
                continue;
            }
            const year_month_day day = c.month / std::chrono::day{i - c.pads_before + 1};
            char date[32];
            std::snprintf(date, sizeof date, "%04d-%02u-%02u", static_cast<int>(day.year()),
                          static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()));
            EXPECT_EQ(cells[i].date, date);
            EXPECT_TRUE(cells[i].images.empty()) << "cell " << i;  // no charts in the archive
        }
        EXPECT_NE(cells[c.pads_before].content.find(std::string(">") + c.first_weekday + " 1 "), std::string::npos)
            << cells[c.pads_before].content;
    }
}

TEST(MonthPage, ShowsEachChartInTheCellOfItsDayOnly) {
    // Charts either side of February too, which its page must not show.
    const auto charts = days_of({2024y / January / 31, 2024y / February / 1, 2024y / February / 15,
                                 2024y / February / 29, 2024y / March / 1});
    const std::map<std::string, std::string> expected = {
        {"2024-02-01", R"(<img src="2024032.gif" width="286" height="221" loading="lazy" )"
                       R"(alt="MUF(3000)F2 chart of 1 February 2024">)"},
        {"2024-02-15", R"(<img src="2024046.gif" width="286" height="221" loading="lazy" )"
                       R"(alt="MUF(3000)F2 chart of 15 February 2024">)"},
        {"2024-02-29", R"(<img src="2024060.gif" width="286" height="221" loading="lazy" )"
                       R"(alt="MUF(3000)F2 chart of 29 February 2024">)"},
    };
    const std::string page = month_page(2024y / February, charts);
    int days = 0;
    for (const Cell& cell : calendar_cells(page)) {
        if (cell.pad) continue;
        ++days;
        SCOPED_TRACE(cell.date);
        const auto chart = expected.find(cell.date);
        if (chart == expected.end()) {
            EXPECT_TRUE(cell.images.empty());
        } else {
            ASSERT_EQ(cell.images.size(), 1u);
            EXPECT_EQ(cell.images[0], chart->second);
        }
        // The date above the chart, as text.
        const auto weekday_and_day = matches(cell.content, "<time [^>]*>([A-Z][a-z]{2} [0-9]+ February 2024)</time>");
        EXPECT_EQ(weekday_and_day.size(), 1u) << cell.content;
    }
    EXPECT_EQ(days, 29);
    EXPECT_EQ(matches(page, "<img ", 0).size(), expected.size());
}

TEST(MonthPage, LinksTheNearestMonthsWithChartsAndTheIndex) {
    const struct {
        const char* what;
        std::vector<year_month> months_with_charts;
        year_month page;
        const char* previous;  // "" for none
        const char* next;
    } cases[] = {
        {"the only month", {2024y / March}, 2024y / March, "", ""},
        {"the first month", {2024y / January, 2024y / February, 2024y / March}, 2024y / January, "", "2024-02.html"},
        {"the last month", {2024y / January, 2024y / February, 2024y / March}, 2024y / March, "2024-02.html", ""},
        {"gaps across a year", {2023y / November, 2024y / March, 2024y / July}, 2024y / March, "2023-11.html",
         "2024-07.html"},
        {"a month without charts", {2023y / November, 2024y / July}, 2024y / March, "2023-11.html", "2024-07.html"},
        {"before the archive", {2024y / March}, 2023y / December, "", "2024-03.html"},
        {"after the archive", {2024y / March}, 2025y / January, "2024-03.html", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<year_month_day> charts;
        for (const year_month month : c.months_with_charts) charts.push_back(month / 2);
        const std::string page = month_page(c.page, charts);

        std::map<std::string, std::string> links;  // rel, or the text, to href
        const std::regex anchor(R"re(<a href="([^"]*)"(?: rel="([a-z]+)")?>([^<]*)</a>)re");
        for (auto it = std::sregex_iterator(page.begin(), page.end(), anchor); it != std::sregex_iterator(); ++it)
            links[(*it)[2].matched ? (*it)[2].str() : (*it)[3].str()] = (*it)[1];
        std::map<std::string, std::string> expected = {{"All months", "index.html"}};
        if (*c.previous) expected["prev"] = c.previous;
        if (*c.next) expected["next"] = c.next;
        EXPECT_EQ(links, expected);
    }
}

TEST(MonthPage, NamesTheLinkedMonths) {
    const auto page =
        month_page(2024y / March, days_of({2023y / December / 24, 2024y / March / 3, 2025y / January / 2}));
    EXPECT_NE(page.find(R"(<a href="2023-12.html" rel="prev">&larr; December 2023</a>)"), std::string::npos);
    EXPECT_NE(page.find(R"(<a href="2025-01.html" rel="next">January 2025 &rarr;</a>)"), std::string::npos);
    EXPECT_NE(page.find("<title>MUF(3000)F2 charts: March 2024</title>"), std::string::npos);
}

TEST(IndexPage, ShowsTheLatestMonthAndListsEveryMonthNewestFirstByYear) {
    const auto charts = days_of({2022y / December / 30, 2022y / December / 31, 2023y / January / 1, 2023y / May / 9,
                                 2024y / February / 29, 2024y / March / 1, 2024y / March / 2, 2024y / March / 3});
    const std::string page = index_page(charts);

    // The latest month's calendar, as on its own page.
    const std::string march = month_page(2024y / March, charts);
    const auto calendar_of = [](const std::string& html) {
        const auto start = html.find("<div class=\"calendar\">");
        return html.substr(start, html.find("</body>") - start);
    };
    const std::string index_calendar = calendar_of(page.substr(0, page.find("<h2>All months</h2>")) + "</body>");
    EXPECT_EQ(index_calendar, calendar_of(march));
    EXPECT_NE(page.find(R"(<a href="2024-03.html">March 2024</a>)"), std::string::npos);
    EXPECT_NE(page.find(R"(<a href="2024-02.html" rel="prev">)"), std::string::npos);
    EXPECT_EQ(page.find("index.html"), std::string::npos);  // no link to itself

    // Then every month, each under its year: years newest first, months newest first.
    const std::string list = page.substr(page.find("<h2>All months</h2>"));
    const std::vector<std::string> expected = {
        "2024", "2024-03.html", "2024-02.html", "2023", "2023-05.html", "2023-01.html", "2022", "2022-12.html"};
    std::vector<std::string> order;
    for (const std::string& item : matches(list, R"re(<h3>[0-9]+</h3>|<a href="[^"]+">)re", 0))
        order.push_back(item.starts_with("<h3>") ? item.substr(4, 4) : item.substr(9, item.size() - 11));
    EXPECT_EQ(order, expected);
    EXPECT_NE(list.find(R"(<a href="2024-03.html">March</a> <span class="count">3 charts</span>)"), std::string::npos);
    EXPECT_NE(list.find(R"(<a href="2023-05.html">May</a> <span class="count">1 chart</span>)"), std::string::npos);
}

// The month's own chart and what the page says of it, from the files the
// folder holds: its table only when both CSVs were read back, its words
// only where they are known; the index the same chart, without the table,
// and as before when the month has no chart of its own.
TEST(MonthPage, ShowsOfTheMonthsOwnFilesWhatTheFolderHolds) {
    const auto charts = days_of({2024y / March / 1, 2024y / March / 2});
    MonthData data;
    data.month = 2024y / March;
    data.days.resize(31);
    data.days[0][13] = 123;
    MonthOwnFiles read{.chart = true, .svg = false, .summary = true, .hourly = true,
                       .description = "MUF(3000)F2 in March 2024: values of 1 day, too few for hourly medians",
                       .days = data.days, .figures = month_figures(data)};
    MonthOwnFiles unread = read;  // a CSV missing: no words, no table
    unread.hourly = false;
    unread.description.clear();
    unread.days.clear();
    unread.figures.reset();

    const std::string with = month_page(2024y / March, charts, {}, read);
    EXPECT_NE(with.find("<figcaption>\n<p>MUF(3000)F2 in March 2024: values of 1 day"), std::string::npos) << with;
    EXPECT_NE(with.find("<p class=\"few\">1 day of soundings: too few for hourly medians, which need 5</p>"),
              std::string::npos);
    EXPECT_NE(with.find("<tr><th scope=\"row\">1</th><td></td>"), std::string::npos);
    EXPECT_NE(with.find("<td></td><td>12.3</td><td></td>"), std::string::npos);
    EXPECT_NE(with.find("<tr><th scope=\"row\">31</th>"), std::string::npos);
    EXPECT_EQ(with.find("<tr><th scope=\"row\">32</th>"), std::string::npos);
    EXPECT_NE(with.find("<tr><th scope=\"row\">Count</th><td>0</td>"), std::string::npos);

    const std::string without = month_page(2024y / March, charts, {}, unread);
    EXPECT_NE(without.find("<img src=\"2024-03.gif\""), std::string::npos);
    EXPECT_NE(without.find("<dt>Red dots</dt>"), std::string::npos) << "the legend, whatever the CSVs";
    for (const char* absent : {"<table", "class=\"few\"", "2024-03-hourly.csv", "<figcaption>\n<p>"})
        EXPECT_EQ(without.find(absent), std::string::npos) << absent;
    EXPECT_NE(without.find("<li><a href=\"2024-03.csv\">"), std::string::npos);

    const std::string index = index_page(charts, {}, read);
    EXPECT_NE(index.find("<p class=\"few\">1 day of soundings"), std::string::npos);
    EXPECT_EQ(index.find("<table"), std::string::npos);
    EXPECT_EQ(index_page(charts, {}, MonthOwnFiles{}), index_page(charts)) << "no chart of its own: as before";
    EXPECT_EQ(index_page(charts).find(".legend"), std::string::npos);
}

TEST(IndexPage, SaysSoWhenTheArchiveIsEmpty) {
    const std::string page = index_page({});
    EXPECT_NE(page.find("<p>The archive holds no charts yet.</p>"), std::string::npos);
    EXPECT_EQ(page.find("<a "), std::string::npos);
    EXPECT_EQ(page.find("<img"), std::string::npos);
}

// Each page says what it holds, and carries its icon inline: a browser asks
// the server for /favicon.ico only when a page names no icon.
TEST(Pages, DescribeThemselvesAndCarryTheirIcon) {
    const auto charts = days_of({2024y / February / 29, 2024y / March / 1, 2024y / March / 3});
    const ArchiveExtras with_data = {{2024y / March / 3, BesideChart{.csv = true, .svg = false, .description = "", .against_forecast = ""}}};
    const struct {
        const char* what;
        std::string page, description;
    } cases[] = {
        {"month", month_page(2024y / March, charts), "MUF(3000)F2 charts of March 2024: one a day"},
        {"month with data", month_page(2024y / March, charts, with_data),
         "MUF(3000)F2 charts of March 2024: one a day, with their data"},
        {"month, data of another", month_page(2024y / February, charts, with_data),
         "MUF(3000)F2 charts of February 2024: one a day"},
        {"index", index_page(charts),
         "MUF(3000)F2 charts, one a day: the latest month, March 2024, and every month of the archive"},
        {"empty index", index_page({}), "MUF(3000)F2 charts, one a day: the archive holds none yet"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(matches(c.page, R"re(<meta name="description" content="([^"]*)">)re"),
                  std::vector<std::string>{c.description});
        const auto icons = matches(c.page, R"re(<link rel="icon" href="([^"]*)">)re");
        ASSERT_EQ(icons.size(), 1u);
        // The SVG's text, base64: its first bytes "<svg " are "PHN2ZyB".
        EXPECT_TRUE(icons[0].starts_with("data:image/svg+xml;base64,PHN2ZyB")) << icons[0];
        EXPECT_EQ((icons[0].size() - std::string_view("data:image/svg+xml;base64,").size()) % 4, 0u);
    }
}

TEST(Pages, AreSelfContainedDeterministicHtml5) {
    const auto charts = days_of({2023y / December / 31, 2024y / March / 3, 2024y / March / 1, 2024y / March / 3});
    auto sorted = charts;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    const struct {
        const char* what;
        std::string page, again, from_sorted;
    } cases[] = {
        {"month", month_page(2024y / March, charts), month_page(2024y / March, charts),
         month_page(2024y / March, sorted)},
        {"index", index_page(charts), index_page(charts), index_page(sorted)},
        {"empty index", index_page({}), index_page({}), index_page({})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string& page = c.page;
        EXPECT_EQ(page, c.again);
        EXPECT_EQ(page, c.from_sorted);
        EXPECT_TRUE(page.starts_with("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"));
        EXPECT_NE(page.find(R"(<meta name="viewport" content="width=device-width, initial-scale=1">)"),
                  std::string::npos);
        EXPECT_EQ(matches(page, "<title>[^<]+</title>", 0).size(), 1u);
        EXPECT_NE(page.find("color-scheme:light dark"), std::string::npos);
        EXPECT_NE(page.find("@media (prefers-color-scheme:dark)"), std::string::npos);
        EXPECT_TRUE(page.ends_with("</body>\n</html>\n"));
        EXPECT_EQ(page.find("<script"), std::string::npos);
        EXPECT_EQ(page.find("url("), std::string::npos);
        EXPECT_EQ(page.find('\r'), std::string::npos);
        EXPECT_TRUE(std::all_of(page.begin(), page.end(), [](char ch) { return ch > 0 && ch < 0x7f; }));
        // Every link and source: a file of the archive folder, by its own
        // name, or the icon held in the page itself.
        for (const std::string& target : matches(page, R"re((?:href|src)="([^"]*)")re"))
            EXPECT_TRUE(std::regex_match(target, std::regex(R"([0-9]{4}-[0-9]{2}\.html|index\.html|[0-9]{7}\.gif|)"
                                                            R"(data:image/svg\+xml;base64,[A-Za-z0-9+/]+=*)")))
                << target;
    }
}

}  // namespace
