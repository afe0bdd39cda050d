#pragma once
// The archive's browsing pages: one static page a month (yyyy-mm.html) that
// shows that month's charts as a calendar, and index.html, which shows the
// latest month and links every month of the archive. Pure text: the caller
// lists the archive folder and writes the files.
//
// The pages are self-contained (inline CSS, no script, no external resource,
// relative links only), so the folder can be served by any web server or
// opened from disk. Same input, same bytes; LF line ends; ASCII only, but
// for the station's name (UTF-8).

#include <chrono>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "export/month_files.h"


// What the archive folder holds beside a day's chart (yyyyddd.gif).
struct BesideChart {
    bool csv = false;          // yyyyddd.csv, the chart's data: the day links to it
    bool svg = false;          // yyyyddd.svg, the chart as a vector picture: shown instead of the GIF
    std::string description;   // what the chart shows, from its CSV: the picture's alt text; empty for none
    // The day against its forecast in words, from the same (shown under the
    // chart unless "near the forecast"); empty for none.
    std::string against_forecast;
};
using ArchiveExtras = std::map<std::chrono::year_month_day, BesideChart>;

// What the archive folder holds of a month's own files (--monthly).
struct MonthOwnFiles {
    bool chart = false;        // yyyy-mm.gif: shown above the calendar
    bool svg = false;          // yyyy-mm.svg: shown instead of the GIF
    bool summary = false;      // yyyy-mm.csv, each hour's statistics: linked
    bool hourly = false;       // yyyy-mm-hourly.csv, each day's hourly values: linked
    std::string description;   // what the chart shows, from the two CSVs; empty for none
    // The two tables read back from the CSVs, shown on the page as one
    // table; none when they could not be read.
    std::vector<DayHours> days;
    std::optional<MonthFigures> figures;
};

// Whose charts the pages show, and how fresh they are.
struct PageStamp {
    std::string station;       // the station's name, "Rome"; empty for none
    std::string station_code;  // its URSI code, "RO041"; empty for none
    // The closing line's figures: the newest sounding of the days drawn,
    // the run's clock and what wrote the page; no line when `generator`
    // is empty.
    std::optional<std::chrono::sys_seconds> newest_sounding;
    std::chrono::sys_seconds written{};
    std::string generator;
};

// "2024-03.html" for March 2024: month_file_name(month, ".html"), which
// month_file_month(name, ".html") reads back.
std::string month_page_name(std::chrono::year_month month);

// The page of `month`. `charts` holds every day of the archive that has a
// chart (sorted and unique as a rule; any order and repeats give the same
// page), so that the page can link the nearest earlier and later months
// that have charts; `beside`, what the folder holds beside some of them.
std::string month_page(std::chrono::year_month month, std::span<const std::chrono::year_month_day> charts,
                       const ArchiveExtras& beside = {}, const MonthOwnFiles& own = {}, const PageStamp& stamp = {});

// index.html: the latest month that has charts, as on its own page (its
// own chart, from `latest_own`, at the top), and links to every month that
// has charts, grouped by year, newest first. An empty archive gives a page
// that says so.
std::string index_page(std::span<const std::chrono::year_month_day> charts, const ArchiveExtras& beside = {},
                       const MonthOwnFiles& latest_own = {}, const PageStamp& stamp = {});

// The pages' closing line: "Newest sounding 2024-03-03 23:45 UT; written
// 2024-03-04 00:05 UT by plotmuf 1.0.0.", or "No sounding in the days
// drawn; written ... ." without one.
std::string freshness_line(const PageStamp& stamp);
