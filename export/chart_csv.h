#pragma once
// A chart's data as CSV (RFC 4180), the file NAME.csv beside NAME.gif: a
// header, then one row for each forecast dot, each red dot and each green
// tick the chart shows, in time order and the forecast first at the same
// time. CRLF line ends, ASCII only, fields quoted where they must be.
//
//   time_utc,series,muf3000f2_mhz,file
//   2024-03-03T13:00:00Z,forecast,14.2,032024.txt
//   2024-03-03T12:15:00Z,observed,12.3,RM041_2024063121500.TXT
//   2024-03-03T12:30:00Z,observed,,RM041_2024063123000.TXT

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <vector>

#include "export/month_statistics.h"
#include "series/chart_data.h"

std::string chart_csv(const ChartData& data, std::chrono::year_month_day day);

// The most bytes read of a CSV this program wrote, a chart's or a month's:
// far above any that a chart's data makes (1,464 rows).
inline constexpr std::size_t max_csv_bytes = std::size_t{1} << 20;

// The points of a CSV that chart_csv wrote (their series, minute, value
// and file, in the file's order); nullopt for any other text.
std::optional<ChartData> read_chart_csv(std::string_view text);
// Of the same, the soundings alone, each as its minute and value: what an
// archived day gives its month.
std::optional<std::vector<ObservedValue>> read_observed_values(std::string_view text);

