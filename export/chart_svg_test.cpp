#include "export/chart_svg.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "app/form1.h"

namespace {

using namespace std::chrono;

// A few operations on a form's surface, logged as a run with --svg logs them.
class ChartSvg : public testing::Test {
protected:
    ChartSvg() : form({.svg = true}) { form.impostazioni_dimensioni_e_scala_del_form(); }

    std::string svg() const {
        return chart_svg(s.log(), s.BackColor, Surface::width, Surface::height, data, 2024y / March / 3);
    }

    Form1 form;
    Surface& s = form.superficie;
    ChartData data;
};

TEST_F(ChartSvg, DrawsEachOperationAtTheBitmapsPixelsAndTitlesEachValue) {
    s.FillStyle = Surface::Fill::solid;
    s.FillColor = colours::white;
    s.Circle(130, 142, 2, colours::white);
    data.points.push_back({ChartPoint::Series::forecast, 13 * 60, 142, "032024.txt", s.operations() - 1});
    s.FillColor = colours::red;
    s.Circle(102, 123, 2, colours::red);
    data.points.push_back({ChartPoint::Series::observed, 10 * 60 + 15, 123, "a.TXT", s.operations() - 1});
    s.Line(102, 123, 100, 130, colours::red);  // a segment, no title
    s.Line(105, 52, 105, 73, colours::green);
    data.points.push_back({ChartPoint::Series::observed, 10 * 60 + 30, std::nullopt, "b.TXT", s.operations() - 1});
    s.Line(0, 50, 242, 50, colours::yellow);
    s.Line(0, 551, 0, 50, colours::yellow);
    s.CurrentX = 75;
    s.CurrentY = 600;
    s.Print("Date: 03/03/2024");

    const std::string text = svg();
    const auto circle = [&](float x, float y) {
        return "<circle cx=\"" + std::to_string(s.column(x)) + "\" cy=\"" + std::to_string(s.row(y)) + "\" r=\"2\">";
    };
    EXPECT_NE(text.find("<g stroke=\"#fff\" fill=\"#fff\">\n" + circle(130, 142) +
                        "<title>13:00 UT forecast: 14.2 MHz</title></circle>"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("<g stroke=\"#f00\" fill=\"#f00\">\n" + circle(102, 123) +
                        "<title>10:15 UT: 12.3 MHz</title></circle>\n<path d=\"M" + std::to_string(s.column(102)) + " " +
                        std::to_string(s.row(123)) + " " + std::to_string(s.column(100)) + " " +
                        std::to_string(s.row(130)) + "\"/>"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("<path d=\"M140 " + std::to_string(s.row(52)) + "V" + std::to_string(s.row(73)) +
                        "\"><title>10:30 UT: no value</title></path>"),
              std::string::npos)
        << text;
    // Lines of one colour without a title, one path; the text at its cell.
    EXPECT_NE(text.find("<g stroke=\"#ff0\" fill=\"none\">\n<path d=\"M35 178H277M35 16V178\"/>"), std::string::npos)
        << text;
    EXPECT_NE(text.find("<g fill=\"#ffff80\">\n<text x=\"110\" y=\"11\">Date: 03/03/2024</text>"), std::string::npos)
        << text;
    // Named, described, sized, and inert.
    EXPECT_TRUE(text.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                 "width=\"286\" height=\"221\" viewBox=\"0 0 286 221\" role=\"img\" "
                                 "aria-labelledby=\"title desc\">\n<title id=\"title\">MUF(3000)F2, Sunday 3 March "
                                 "2024</title>\n<desc id=\"desc\">MUF(3000)F2 on Sunday 3 March 2024: 2 soundings, 1 "
                                 "without a value; observed 12.3 MHz; forecast 14.2 MHz</desc>\n"))
        << text;
    for (const char* never : {"<script", "href", "<image", "<foreignObject"})
        EXPECT_EQ(text.find(never), std::string::npos) << never;
    EXPECT_FALSE(std::regex_search(text, std::regex(" on[a-z]+=\"")));
}

TEST_F(ChartSvg, TextsAreEscapedAndAnOutlineIsNoDisc) {
    s.CurrentX = 0;
    s.CurrentY = 300;
    s.Print("a < b & \"c\"");
    s.FillStyle = Surface::Fill::transparent;
    s.Circle(50, 300, 2, colours::green);
    const std::string text = svg();
    EXPECT_NE(text.find(">a &lt; b &amp; &quot;c&quot;</text>"), std::string::npos) << text;
    EXPECT_NE(text.find("<g stroke=\"#0f0\" fill=\"none\">\n<circle cx=\"85\""), std::string::npos) << text;
}

}  // namespace
