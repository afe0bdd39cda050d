#pragma once
// Test support (header only): the text of a sounding file as a sounder
// writes it. The station's name begins line 1, lines 2 and 3 are free, and
// the value field is characters 16 to 19 of line 4.

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
