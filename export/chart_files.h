#pragma once
// The names of a chart's files: the published chart of day n, the archived
// chart of a day, the archive folder they go to, and the files beside a
// chart that carry the same name with another extension.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

// The archive: a folder below the forecast folder.
inline constexpr std::string_view archive_folder_name = "previous_RAV3000I2_plots\\";

// "plotMUF6.gif" for day 6, today.
std::string published_chart_name(int n);

// "2024063.gif": the year of the day's month-year key `mese_anno` and its
// day of the year `giorno_anno`.
std::string archived_chart_name(std::string_view mese_anno, std::string_view giorno_anno);
// The same for a date.
std::string archived_chart_name(std::chrono::year_month_day day);

// The file beside the chart `gif_path` (NAME.gif) with the same name and
// another extension: NAME.csv for ".csv".
std::string beside_name(std::string_view gif_path, std::string_view extension);

// The day an archived chart's file name stands for: exactly seven ASCII
// digits (four of the year, three of the day of the year, 001 to 365, or 366
// in a leap year) and ".gif" in lower case (or the extension of a file
// beside it: ".csv", ".svg"). Any other name: nullopt.
std::optional<std::chrono::year_month_day> archived_chart_day(std::string_view file_name,
                                                              std::string_view extension = ".gif");
