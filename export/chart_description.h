#pragma once
// What a chart shows, in one sentence, for whoever cannot see it: the
// archive pages' alt text of a chart, and the description inside its SVG.
//
//   MUF(3000)F2 on Sunday 3 March 2024: 92 soundings, 4 without a value;
//   observed 4.1 to 15.3 MHz; forecast 5.2 to 14.6 MHz; depressed 18 to 31 %
//   from 10 to 14 UT
//
// The last words say how the day stands against its forecast
// (export/day_against_forecast.h), where it has one.

#include <chrono>
#include <string>

#include "series/chart_data.h"

std::string chart_description(const ChartData& data, std::chrono::year_month_day day);
