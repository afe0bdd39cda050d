#pragma once
// The month's tables as CSV (RFC 4180, CRLF line ends, ASCII), as station
// bulletins print them, and the month in words. Pure text: the caller reads
// the archived days and writes the files.
//
//   yyyy-mm-hourly.csv  each day's value at each whole hour:
//     date,00,01,...,23
//     2024-03-01,6.1,,5.8,...
//   yyyy-mm.csv         each hour over the month:
//     hour_utc,count,median_mhz,lower_quartile_mhz,upper_quartile_mhz,lower_decile_mhz,upper_decile_mhz,forecast_mhz,median_minus_forecast_percent
//     13,27,14.8,13.9,15.6,12.7,16.4,14.2,4.2

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/month_statistics.h"

struct MonthData {
    std::chrono::year_month month;
    std::vector<DayHours> days;  // one for each day of the month, the 1st first
    // The month's forecast at each hour, as its forecast file gives it and
    // a day's chart draws it; none when the file could not be read.
    std::optional<std::array<std::int16_t, 24>> forecast;
};

// What the tables and the chart show, from the data.
struct MonthFigures {
    std::array<HourStatistics, 24> hours;
    std::array<std::optional<long>, 24> percent;  // median against forecast, tenths of a percent
    int days_with_values = 0;
};
MonthFigures month_figures(const MonthData& data);

// "2024-03" followed by `suffix`: "-hourly.csv", ".csv", ".gif", ".svg"
// (years 0 to 9999).
std::string month_file_name(std::chrono::year_month month, std::string_view suffix);
// The month a name written by month_file_name with `suffix` stands for:
// four ASCII digits, "-", two digits 01 to 12 and `suffix`. Any other name:
// nullopt.
std::optional<std::chrono::year_month> month_file_month(std::string_view name, std::string_view suffix);
inline constexpr std::string_view hourly_suffix = "-hourly.csv";
// The suffixes of a month's own files, which --monthly writes.
inline constexpr std::string_view month_own_suffixes[] = {".gif", ".svg", ".csv", hourly_suffix};
// A name of one of them: "2024-03.gif", "2024-03-hourly.csv" ...
bool month_own_file(std::string_view name);

std::string month_hourly_csv(const MonthData& data);
std::string month_summary_csv(const MonthData& data, const MonthFigures& figures);

// "MUF(3000)F2 in March 2024: hourly medians of 29 days, 6.2 to 14.8 MHz;
// on average 4.1 % above the forecast; away from the forecast on 3, 5 and
// 17 March", the last part naming the days with a spell of three hours or
// more 15 % off the forecast (export/day_against_forecast.h)"
std::string month_description(const MonthData& data, const MonthFigures& figures);

// "3 days of soundings: too few for hourly medians, which need 5", when no
// hour of the month has values of that many days; empty when one has.
std::string too_few_for_medians(const MonthFigures& figures);

// Back from the files month_hourly_csv and month_summary_csv wrote: the
// days of `month`, and the forecast (none where the summary has none);
// nullopt for any other text.
std::optional<std::vector<DayHours>> read_month_hourly_csv(std::string_view text, std::chrono::year_month month);
std::optional<std::optional<std::array<std::int16_t, 24>>> read_month_forecast(std::string_view summary);
