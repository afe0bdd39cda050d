#include <gtest/gtest.h>

#include <array>
#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "app/form1.h"
#include "support/pixels.h"
#include "support/temp_folder.h"

namespace {

using Values = std::array<int, 24>;

// A forecast field as the files write it: a blank, two characters of whole
// MHz, the point and the tenths digit.
std::string field(int tenths) {
    char text[16];
    std::snprintf(text, sizeof text, " %2d.%d", tenths / 10, tenths % 10);
    return text;
}

std::string line_2(const Values& values) {
    std::string line;
    for (int v : values) line += field(v);
    return line;
}

// A day of realistic values, all different, none near y = 0.
constexpr Values a_day = {123, 118, 95, 100, 140, 182, 233, 261, 300, 322, 345, 351,
                             360, 342, 318, 297, 280, 260, 244, 213, 188, 160, 141, 130};

class Forecast : public testing::Test {
protected:
    Forecast() {
        form.impostazioni_dimensioni_e_scala_del_form();
        form.cartella_previsioni = folder.slash();
    }

    void draw(const std::string& content) {
        folder.write("032024.txt", content);
        form.grafico_previsione("032024");
    }

    // A filled white dot: the 3 x 3 pixels about its centre.
    bool dot(float x, float y) const {
        const Surface& s = form.superficie;
        if (s.row(y) < 1 || s.row(y) > Surface::height - 2) return false;
        for (int dc = -1; dc <= 1; ++dc) {
            for (int dr = -1; dr <= 1; ++dr) {
                if (!(s.image().at(s.column(x) + dc, s.row(y) + dr) == colours::white)) return false;
            }
        }
        return true;
    }

    // Some white pixel in the column of x between the rows of y1 and y2.
    bool white_in_column(float x, float y1, float y2) const {
        const Surface& s = form.superficie;
        const int from = std::max(0, s.row(std::max(y1, y2)));
        const int to = std::min(Surface::height - 1, s.row(std::min(y1, y2)));
        for (int r = from; r <= to; ++r) {
            if (s.image().at(s.column(x), r) == colours::white) return true;
        }
        return false;
    }

    // 24 dots at the hours and 23 segments, each seen halfway between its
    // dots, where no dot reaches; and no segment from the origin.
    void expect_curve(const Values& values) const {
        for (int k = 0; k < 24; ++k) {
            // A value above 600 lies beyond the top of the surface, unseen.
            if (values[k] <= 600) {
                EXPECT_TRUE(dot(10.0f * k, values[k])) << "dot of hour " << k << " at y " << values[k];
            }
            if (k > 0) {
                EXPECT_TRUE(white_in_column(10.0f * k - 5, values[k - 1], values[k]))
                    << "segment from hour " << k - 1 << " to hour " << k;
            }
        }
        if (values[0] > 20) {
            EXPECT_FALSE(white_in_column(0, 0, values[0] - 20.0f)) << "segment from the origin";
        }
        EXPECT_FALSE(white_in_column(-5, -81, 600));
        EXPECT_FALSE(white_in_column(235, -81, 600));
    }

    TempFolder folder;
    Form1 form;
};

TEST_F(Forecast, DotsAndSegmentsAtTheValuesOfLine2) {
    ASSERT_EQ(line_2(a_day).substr(0, 15), " 12.3 11.8  9.5");
    draw("Forecast MUF(3000)F2 March 2024\n" + line_2(a_day) + "\n");
    expect_curve(a_day);
    // The fill is left as the last dot set it.
    EXPECT_EQ(form.superficie.FillStyle, Surface::Fill::solid);
    EXPECT_EQ(form.superficie.FillColor, colours::white);
}

TEST_F(Forecast, FieldsReadFromLine2) {
    Values short_line{};  // a line 2 of 100 characters: hours 20 to 23 are 0
    std::copy(a_day.begin(), a_day.begin() + 20, short_line.begin());
    Values cut = short_line;  // a field cut by the end of the line: " 3" with no tenths
    cut[20] = 3;
    Values odd = a_day;
    odd[0] = 12;   // " 12. ": a blank tenths, read as 12 and not 120
    odd[1] = 95;   // "  9.5": one whole-MHz digit
    odd[2] = 0;    // "  0.0"
    odd[3] = 0;    // blanks only
    odd[4] = 147;  // "x14?7": the separator and the point are never looked at
    odd[5] = 0;    // "  n/a" and other text with no number
    odd[6] = 620;  // above the top of the surface: nothing is clipped

    const struct {
        const char* name;
        std::string line;
        Values values;
    } cases[] = {
        {"short line", line_2(a_day).substr(0, 100), short_line},
        {"cut field", line_2(a_day).substr(0, 100) + " 3", cut},
        {"odd fields", " 12.   9.5  0.0     x14?7  n/a 62.0" + line_2(a_day).substr(35), odd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form.superficie.Cls();
        draw("line 1\n" + c.line + "\n");
        expect_curve(c.values);
    }
}

TEST_F(Forecast, OnlyLine2CountsWhateverTheFileAroundItHolds) {
    const std::string data = line_2(a_day);
    const std::string others = line_2({300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300,
                                      300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300});
    const struct {
        const char* name;
        std::string content;
    } cases[] = {
        {"CR LF", "header\r\n" + data + "\r\n"},
        {"CR only", "header\r" + data + "\r"},
        {"no final line end", "header\n" + data},
        {"line 1 looks like data", others + "\n" + data + "\n"},
        {"long binary line 1", std::string(100000, '\xff') + std::string("\0\x01", 2) + "\n" + data + "\n"},
        {"empty line 1", "\n" + data + "\n" + others + "\n"},
        {"more lines after", "header\n" + data + "\n" + others + "\n" + others + "\n"},
        {"line 2 longer than 120", "header\n" + data + others + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form.superficie.Cls();
        draw(c.content);
        expect_curve(a_day);
        EXPECT_FALSE(dot(60, 300)) << "a value of another line";
    }
}

TEST_F(Forecast, NoCurveWithoutALine2) {
    const struct {
        const char* name;
        std::string content;
    } cases[] = {
        {"empty file", ""},
        {"one line", line_2(a_day) + "\n"},
        {"one line without line end", line_2(a_day)},
        {"one CR-ended line", "header\r"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        draw(c.content);
        EXPECT_EQ(count_colour(form.superficie.image(), colours::white), 0);
    }
}

TEST_F(Forecast, NoCurveWhenTheMonthHasNoFile) {
    folder.write("022024.txt", "header\n" + line_2(a_day) + "\n");
    folder.make_folder("042024.txt");
    form.grafico_previsione("032024");  // missing
    form.grafico_previsione("042024");  // a folder of that name
    form.cartella_previsioni = (folder.path() / "missing").string() + "/";
    form.grafico_previsione("022024");  // the folder is missing
    EXPECT_EQ(count_colour(form.superficie.image(), colours::white), 0);

    form.cartella_previsioni = folder.slash();
    form.grafico_previsione("022024");
    expect_curve(a_day);
}

TEST_F(Forecast, AFileWithoutALine2IsReportedWhenVerbose) {
    std::ostringstream diagnostics;
    Form1 verbose(Form1::Settings{.today = {}, .diagnostics = &diagnostics});
    verbose.cartella_previsioni = folder.slash();
    folder.write("032024.txt", "header only\n");
    verbose.grafico_previsione("032024");
    verbose.grafico_previsione("042024");
    // Said once, at the end of the run.
    EXPECT_EQ(diagnostics.str(), "");
    verbose.say_findings();
    EXPECT_NE(diagnostics.str().find("032024.txt"), std::string::npos) << diagnostics.str();
    EXPECT_NE(diagnostics.str().find("042024.txt"), std::string::npos) << diagnostics.str();
}

}  // namespace
