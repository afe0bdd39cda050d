#pragma once
// Test support (header only): the text of a sounding file as a sounder
// writes it. The station's name begins line 1, lines 2 and 3 are free, and
// the value field is characters 16 to 19 of line 4. And the name a "Rome"
// station gives it.

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

inline std::string sounding_file(std::string_view field, std::string_view station = "Tucuman",
                                 std::string_view line_end = "\r\n") {
    std::string text;
    for (const std::string_view part : {station, std::string_view("line 2"), std::string_view("line 3")}) {
        text += part;
        text += line_end;
    }
    text += "FoF2 MUF3000 = ";
    text += field;
    text += " MHz";
    text += line_end;
    return text;
}

// "RM041_2024063121500.TXT": the name of a "Rome" station's sounding of the
// day `date` at `minute` of the day (seconds 00), the day given by its
// number in the year.
inline std::string rome_sounding_name(std::chrono::year_month_day date, int minute) {
    using namespace std::chrono;
    const int day_of_year = static_cast<int>((sys_days{date} - sys_days{date.year() / January / 1}).count()) + 1;
    char name[64];
    std::snprintf(name, sizeof name, "RM041_%04d%03d%02d%02d00.TXT", static_cast<int>(date.year()), day_of_year,
                  minute / 60, minute % 60);
    return name;
}
