#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>  // mkfifo, to put a pipe where a sounding should be
#endif

#include "app/form1.h"
#include "support/day_form.h"
#include "support/pixels.h"
#include "support/sounding.h"
#include "support/temp_folder.h"

namespace {


struct Sounding {
    int hour;
    int minute;  // the minute index: 1..59, and 60 for minute 00
    std::string content;
};

// A form drawing 14 February 2031 from a measurement folder of the test's own.
class ObservedValues : public testing::Test {
protected:
    ObservedValues() {
        prepare_day_form(form, folder.slash());
        // Listed before every sounding, so it names the station whatever
        // the soundings hold.
        folder.write("A_station.txt", "Tucuman\n");
    }

    static std::string name(int hour, int minute) {
        char text[32];
        std::snprintf(text, sizeof text, "TUJ2O_2031045%02d%02d.TXT", hour, minute % 60);
        return text;
    }

    // Adds the soundings to the folder, lists it as a run does, and draws.
    void draw(const std::vector<Sounding>& soundings) {
        for (const Sounding& s : soundings) folder.write(name(s.hour, s.minute), s.content);
        ASSERT_TRUE(form.list_measurement_folder(form_day, form_day));
        form.grafico_valori_autoscalati("022031");
    }

    // The same on a cleared surface, from a measurement folder of its own
    // that holds the station's file and these soundings only.
    void draw_afresh(const std::vector<Sounding>& soundings) {
        TempFolder day;
        form.cartella_autoscalati = day.slash();
        day.write("A_station.txt", "Tucuman\n");
        for (const Sounding& s : soundings) day.write(name(s.hour, s.minute), s.content);
        form.superficie.Cls();
        ASSERT_TRUE(form.list_measurement_folder(form_day, form_day));
        form.grafico_valori_autoscalati("022031");
    }

    const Image& image() const { return form.superficie.image(); }

    // A filled red dot: the 3 x 3 pixels about its centre.
    bool dot(float x, float y) const {
        const Surface& s = form.superficie;
        for (int dc = -1; dc <= 1; ++dc) {
            for (int dr = -1; dr <= 1; ++dr) {
                if (!(image().at(s.column(x) + dc, s.row(y) + dr) == colours::red)) return false;
            }
        }
        return true;
    }

    // Some red pixel between two dots, out of the reach of both: in their
    // columns, in the rows between them less 3 at each end.
    bool segment(float x1, float y1, float x2, float y2) const {
        const Surface& s = form.superficie;
        for (int c = s.column(std::min(x1, x2)); c <= s.column(std::max(x1, x2)); ++c) {
            for (int r = s.row(std::max(y1, y2)) + 3; r <= s.row(std::min(y1, y2)) - 3; ++r) {
                if (image().at(c, r) == colours::red) return true;
            }
        }
        return false;
    }

    // The green tick of a sounding without value, from y 52 to 73.
    bool tick(float x) const {
        const Surface& s = form.superficie;
        for (int r = s.row(73); r <= s.row(52); ++r) {
            if (!(image().at(s.column(x), r) == colours::green)) return false;
        }
        return true;
    }

    TempFolder folder;
    Form1 form;
};

TEST_F(ObservedValues, JoinedOnlyToAValueTwoOrThreeUnitsEarlierInProcessingOrder) {
    const struct {
        const char* name;
        std::vector<Sounding> soundings;
        float x1, y1, x2, y2;
        bool joined;
    } cases[] = {
        {"gap 2", {{10, 10, sounding_file("30.0")}, {10, 22, sounding_file("10.0")}}, 102, 300, 104, 100, true},
        {"gap 3", {{10, 15, sounding_file("30.0")}, {10, 30, sounding_file("10.0")}}, 102, 300, 105, 100, true},
        {"gap 1", {{10, 10, sounding_file("30.0")}, {10, 20, sounding_file("10.0")}}, 102, 300, 103, 100, false},
        {"gap 5", {{10, 15, sounding_file("30.0")}, {10, 45, sounding_file("10.0")}}, 102, 300, 107, 100, false},
        {"gap -7: minute 00 comes after minute 45", {{10, 45, sounding_file("30.0")}, {10, 60, sounding_file("10.0")}},
         107, 300, 100, 100, false},
        {"minute 58 lies at the next hour", {{10, 58, sounding_file("30.0")}, {11, 10, sounding_file("10.0")}},
         110, 300, 112, 100, true},
        {"never to a value of 0", {{10, 10, sounding_file("00.0")}, {10, 22, sounding_file("30.0")}}, 102, 0, 104, 300, false},
        {"never to a short field, read as 0", {{10, 10, "1\n2\n3\nshort line\n"}, {10, 22, sounding_file("30.0")}},
         102, 0, 104, 300, false},
        {"across a tick", {{10, 15, sounding_file("30.0")}, {10, 20, sounding_file("N/A ")}, {10, 30, sounding_file("10.0")}},
         102, 300, 105, 100, true},
        {"a tick does not shorten the gap",
         {{10, 15, sounding_file("30.0")}, {10, 30, sounding_file(" N/A")}, {10, 45, sounding_file("10.0")}}, 102, 300, 107, 100, false},
        {"across a file of three lines", {{10, 10, sounding_file("30.0")}, {10, 16, "Tucuman\n2\nFoF2 MUF3000 = 50.0\n"},
                                          {10, 27, sounding_file("10.0")}},
         102, 300, 104, 100, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        draw_afresh(c.soundings);

        EXPECT_TRUE(dot(c.x1, c.y1));
        EXPECT_TRUE(dot(c.x2, c.y2));
        EXPECT_EQ(segment(c.x1, c.y1, c.x2, c.y2), c.joined);
    }
}

TEST_F(ObservedValues, EachHourIsReadFromMinute01ToMinute59AndThenMinute00) {
    // Soundings every quarter hour from 10:00 to 11:30.
    draw({{10, 60, sounding_file("50.0")}, {10, 15, sounding_file("10.0")}, {10, 30, sounding_file("30.0")},
             {10, 45, sounding_file("10.0")}, {11, 15, sounding_file("30.0")}, {11, 30, sounding_file("10.0")}});
    EXPECT_TRUE(dot(100, 500));
    EXPECT_TRUE(segment(102, 100, 105, 300));   // 10:15 to 10:30
    EXPECT_TRUE(segment(105, 300, 107, 100));   // 10:30 to 10:45
    EXPECT_FALSE(segment(101, 100, 101, 500));  // 10:45 to 10:00 would cross x 101
    EXPECT_FALSE(segment(109, 300, 109, 500));  // 10:00 to 11:15 would cross x 109
    EXPECT_TRUE(segment(112, 300, 115, 100));   // 11:15 to 11:30
    EXPECT_EQ(count_colour(image(), colours::green), 0);
}

TEST_F(ObservedValues, TheValueFieldAndItsTick) {
    const struct {
        const char* name;
        std::string content;
        float y;       // the dot's y; none when negative
        bool tick;
    } cases[] = {
        {"value", sounding_file("30.0"), 300, false},
        {"one whole-MHz digit", sounding_file(" 9.8"), 98, false},
        {"the point is not looked at", sounding_file("25x7"), 257, false},
        {"above the frame: nothing is clipped", sounding_file("58.0"), 580, false},
        {"lower-case n/a is no number", sounding_file("n/a "), 0, false},
        {"a line 4 shorter than 16 characters", "1\n2\n3\nFoF2\n", 0, false},
        {"N/A", sounding_file("N/A "), -1, true},
        {"N/A after a blank", sounding_file(" N/A"), -1, true},
        {"N/A at the end of the line", "1\n2\n3\nFoF2 MUF3000 = N/A\n", -1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        draw_afresh({{10, 15, c.content}});

        if (c.y >= 0) {
            EXPECT_TRUE(dot(102, c.y));
        } else {
            EXPECT_EQ(count_colour(image(), colours::red), 0);
        }
        EXPECT_EQ(tick(102), c.tick);
        if (!c.tick) {
            EXPECT_EQ(count_colour(image(), colours::green), 0);
        }
    }
}

TEST_F(ObservedValues, TheLastMinutesOfTheDayLieAtTheEndOfTheTimeAxis) {
    for (int minute : {58, 59}) {
        SCOPED_TRACE(minute);
        draw_afresh({{23, minute, sounding_file("20.0")}, {23, 60, sounding_file("N/A ")}});
        EXPECT_TRUE(dot(240, 200));
        EXPECT_EQ(form.superficie.column(240), 275);
        EXPECT_TRUE(tick(230));  // minute 00 of hour 23
    }
}

TEST_F(ObservedValues, AnyLineEndAndAnyContentOfTheOtherLines) {
    const std::string long_line(100000, '7');
    const struct {
        const char* name;
        std::string content;
    } cases[] = {
        {"LF", sounding_file("30.0", "Tucuman", "\n")},
        {"CR only", sounding_file("30.0", "Tucuman", "\r")},
        {"no final line end", "Tucuman\n2\n3\nFoF2 MUF3000 = 30.0"},
        {"binary lines", std::string("\0\xff\x01\n\x80\x81\n\0\0\0\n", 11) + "FoF2 MUF3000 = 30.0\n"},
        {"long lines", long_line + "\n" + long_line + "\r\n" + long_line + "\r" + "FoF2 MUF3000 = 30.0" + long_line + "\n"},
        {"empty lines", "\n\n\nFoF2 MUF3000 = 30.0\n"},
        {"more lines", sounding_file("30.0") + sounding_file("10.0") + "FoF2 MUF3000 = 10.0\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        draw_afresh({{10, 15, c.content}});
        EXPECT_TRUE(dot(102, 300));
        EXPECT_FALSE(dot(102, 100));
    }
}

TEST_F(ObservedValues, FilesOfFewerThanFourLinesArePassedOver) {
    // Each would give a dot at y 0 if it were read from a line left over
    // from the recognition, from an earlier file or from its own lines.
    draw({{10, 10, ""},
             {10, 20, "Tucuman\n"},
             {10, 30, "Tucuman\r\n2\r\n"},
             {10, 40, "Tucuman\n2\nFoF2 MUF3000 = 30.0\n"},
             {10, 50, "FoF2 MUF3000 = 30.0\nFoF2 MUF3000 = 30.0\nFoF2 MUF3000 = 30.0"}});
    EXPECT_EQ(count_colour(image(), colours::red), 0);
    EXPECT_EQ(count_colour(image(), colours::green), 0);
}

TEST_F(ObservedValues, AFolderOrAPipeAtASoundingNameIsPassedOver) {
    folder.make_folder(name(10, 16));
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((folder.path() / name(10, 17)).c_str(), 0600), 0);
#endif
    // Without a writer, opening the pipe for reading must not wait.
    draw({{10, 10, sounding_file("30.0")}, {10, 22, sounding_file("10.0")}});
    EXPECT_TRUE(dot(102, 300));
    EXPECT_TRUE(dot(104, 100));
    EXPECT_TRUE(segment(102, 300, 104, 100));
}

TEST_F(ObservedValues, NoMarksWhenTheStationIsNotRecognised) {
    const std::vector<Sounding> day_of_soundings = {
        {10, 15, sounding_file("30.0")}, {10, 30, sounding_file("N/A ")}, {10, 45, sounding_file("10.0")}};
    // A note listed before the soundings; then a station name in lower case.
    for (const char* first : {"Remember the antenna\n", "tucuman\n"}) {
        SCOPED_TRACE(first);
        folder.write("A_station.txt", first);
        draw(day_of_soundings);
        EXPECT_EQ(count_colour(image(), colours::red), 0);
        EXPECT_EQ(count_colour(image(), colours::green), 0);
    }
    folder.write("A_station.txt", "Tucuman\n");
    draw(day_of_soundings);
    EXPECT_TRUE(dot(102, 300));
    EXPECT_TRUE(tick(105));
}

}  // namespace
