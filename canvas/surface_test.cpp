#include <gtest/gtest.h>

#include <utility>

#include "app/form1.h"
#include "support/pixels.h"

namespace {

// The surface of a form, sized and scaled as the run does it.
class ChartSurface : public testing::Test {
protected:
    ChartSurface() { form.impostazioni_dimensioni_e_scala_del_form(); }
    Form1 form;
    Surface& s = form.superficie;
};

TEST_F(ChartSurface, WindowAndScale) {
    EXPECT_EQ(form.Width, 292 * 15);
    EXPECT_EQ(form.Height, 246 * 15);
    EXPECT_EQ(s.image().width, 286);
    EXPECT_EQ(s.image().height, 221);
    // One x unit per pixel; 681 y units over 221 pixels.
    EXPECT_EQ(s.column(-35), 0);
    EXPECT_EQ(s.column(0), 35);
    EXPECT_EQ(s.column(240), 275);
    EXPECT_EQ(s.column(250), 285);
    EXPECT_EQ(s.row(600), 0);
    EXPECT_EQ(s.row(550), 16);
    EXPECT_EQ(s.row(0), 195);
    EXPECT_EQ(s.row(-80), 221);  // the last unit is the row past the bottom
}

TEST_F(ChartSurface, TheWindowStaysTheSameSizeAtAnyScreenResolution) {
    Form1 a_120_dpi;
    a_120_dpi.TwipsPerPixelX = a_120_dpi.TwipsPerPixelY = 12;
    a_120_dpi.impostazioni_dimensioni_e_scala_del_form();
    EXPECT_EQ(a_120_dpi.Width / 12, 292);
    EXPECT_EQ(a_120_dpi.Height / 12, 246);
}

TEST_F(ChartSurface, ClsBlanksEveryPixelAndResetsThePosition) {
    form.disegno_dello_stage();
    s.FillStyle = Surface::Fill::solid;
    s.Circle(100, 300, 2, colours::red);
    s.CurrentX = 75;
    s.CurrentY = 600;
    s.Print("Date: 03/03/2024");
    ASSERT_GT(colours_in(s.image()).size(), 3u);
    s.Cls();
    EXPECT_EQ(colours_in(s.image()), std::vector<Rgb>{colours::black});
    EXPECT_EQ(s.CurrentX, 0);
    EXPECT_EQ(s.CurrentY, 0);
}

TEST_F(ChartSurface, TextHasItsTopLeftCornerAtTheCurrentPosition) {
    s.CurrentX = 75;
    s.CurrentY = 600;
    s.Print("Date: ");
    // The first inked column and row of the text are those of its cell's
    // corner, column 110 and row 0, plus the glyph's own bearing: "D" is
    // inked from its first column and up to a line's cap height.
    int first_column = Surface::width, first_row = Surface::height, last_row = -1;
    for (int r = 0; r < Surface::height; ++r) {
        for (int c = 0; c < Surface::width; ++c) {
            if (s.image().at(c, r) == colours::black) continue;
            EXPECT_EQ(s.image().at(c, r), colours::pale_yellow);
            first_column = std::min(first_column, c);
            first_row = std::min(first_row, r);
            last_row = std::max(last_row, r);
        }
    }
    EXPECT_GE(first_column, 110);
    EXPECT_LE(first_column, 111);
    EXPECT_GE(first_row, 0);
    EXPECT_LE(first_row, 3);
    EXPECT_LT(last_row, 13);
}

TEST_F(ChartSurface, CircleIsRoundInPixelsAndFilledWhenSolid) {
    s.FillStyle = Surface::Fill::solid;
    s.FillColor = colours::white;
    s.Circle(0, 50, 2, colours::red);
    const int c = s.column(0), r = s.row(50);
    EXPECT_EQ(c, 35);
    // Two pixels to each side and up and down, corners left out.
    for (int d = -2; d <= 2; ++d) {
        EXPECT_NE(s.image().at(c + d, r), colours::black) << d;
        EXPECT_NE(s.image().at(c, r + d), colours::black) << d;
    }
    EXPECT_EQ(s.image().at(c + 3, r), colours::black);
    EXPECT_EQ(s.image().at(c, r + 3), colours::black);
    EXPECT_EQ(s.image().at(c - 3, r), colours::black);
    EXPECT_EQ(s.image().at(c, r - 3), colours::black);
    EXPECT_EQ(s.image().at(c + 2, r + 2), colours::black);
    EXPECT_EQ(s.image().at(c + 2, r), colours::red);  // outline
    EXPECT_EQ(s.image().at(c, r), colours::white);     // fill

    s.Cls();
    s.FillStyle = Surface::Fill::transparent;
    s.Circle(0, 50, 2, colours::red);
    EXPECT_EQ(s.image().at(c + 2, r), colours::red);
    EXPECT_EQ(s.image().at(c, r), colours::black);
}

// Every pixel of a circle of any radius, anywhere on or off the edges: in
// the disc when its distance from the centre is within the radius and a
// half, on the outline when one of its four neighbours is not in the disc.
TEST_F(ChartSurface, CirclesOfEveryRadiusArePaintedPixelByPixelAsTheyAreDefined) {
    for (const bool solid : {true, false}) {
        for (int radius = 0; radius <= 7; ++radius) {
            for (const auto& [x, y] : {std::pair{100.0f, 300.0f}, {-35.0f, 600.0f}, {249.0f, -79.0f}, {-37.0f, 300.0f}}) {
                SCOPED_TRACE(testing::Message() << "radius " << radius << " at " << x << ", " << y << (solid ? " solid" : ""));
                s.Cls();
                s.FillStyle = solid ? Surface::Fill::solid : Surface::Fill::transparent;
                s.FillColor = colours::white;
                s.Circle(x, y, static_cast<float>(radius), colours::red);
                const int c0 = s.column(x), r0 = s.row(y);
                const long limit = static_cast<long>(radius) * radius + radius;
                const auto in = [&](int c, int r) { return long{c - c0} * (c - c0) + long{r - r0} * (r - r0) <= limit; };
                for (int r = 0; r < Surface::height; ++r) {
                    for (int c = 0; c < Surface::width; ++c) {
                        const bool edge = !in(c - 1, r) || !in(c + 1, r) || !in(c, r - 1) || !in(c, r + 1);
                        const Rgb expected = !in(c, r) ? colours::black
                                             : edge    ? colours::red
                                             : solid   ? colours::white
                                                       : colours::black;
                        ASSERT_EQ(s.image().at(c, r), expected) << "column " << c << ", row " << r;
                    }
                }
            }
        }
    }
}

TEST_F(ChartSurface, LinesAreSolidAndUnsmoothed) {
    s.Line(0, 50, 242, 50, colours::yellow);
    s.Line(10, 100, 200, 400, colours::white);
    const int r = s.row(50);
    for (int c = s.column(0); c <= s.column(242); ++c) EXPECT_EQ(s.image().at(c, r), colours::yellow) << c;
    EXPECT_EQ(s.image().at(s.column(10), s.row(100)), colours::white);
    EXPECT_EQ(s.image().at(s.column(200), s.row(400)), colours::white);
    // A diagonal of a 1-pixel line has one pixel per column.
    int pixels_in_column = 0;
    for (int rr = 0; rr < Surface::height; ++rr) pixels_in_column += s.image().at(s.column(100), rr) == colours::white;
    EXPECT_EQ(pixels_in_column, 1);
    EXPECT_EQ(colours_in(s.image()).size(), 3u);
}

TEST_F(ChartSurface, DrawingOffTheSurfaceIsCutOffAtItsEdges) {
    // Far away: nothing is drawn at all.
    s.Circle(1.0e9f, -1.0e9f, 2, colours::red);
    s.Line(-1.0e9f, 1.0e9f, -2.0e9f, 3.0e9f, colours::red);
    EXPECT_EQ(colours_in(s.image()), std::vector<Rgb>{colours::black});

    // A line from far outside through the origin: the part on the surface.
    s.Line(-1000, 5000, 1000, -5000, colours::white);
    EXPECT_EQ(s.image().at(s.column(0), s.row(0)), colours::white);
    EXPECT_GT(count_colour(s.image(), colours::white), 80);  // a row each, from y 175 down

    // A text running off the right edge: its start, in its own rows only.
    s.CurrentX = 245;
    s.CurrentY = -55;
    s.Print("a long text running off the surface");
    int text = 0;
    for (int r = 0; r < Surface::height; ++r) {
        for (int c = 0; c < Surface::width; ++c) {
            if (s.image().at(c, r) != colours::pale_yellow) continue;
            ++text;
            EXPECT_GE(c, s.column(245));
            EXPECT_GE(r, s.row(-55));
            EXPECT_LT(r, s.row(-55) + 13);
        }
    }
    EXPECT_GT(text, 5);
    EXPECT_EQ(s.image().width, 286);
    EXPECT_EQ(s.image().height, 221);
}

// The surface holds 256 colours between two Cls: a line in a colour beyond
// them draws nothing, and Cls makes room again. A colour drawn again is the
// same entry, however often.
TEST_F(ChartSurface, HoldsUpTo256ColoursBetweenTwoCls) {
    for (int i = 0; i < 254; ++i) {
        const float x = static_cast<float>(i % 250) - 30;
        s.Line(x, 500, x, 500, Rgb{static_cast<std::uint8_t>(i + 1), 7, 7});
        s.Line(x, 400, x, 400, colours::yellow);
    }
    ASSERT_EQ(s.image().palette.size(), 256u);  // black, yellow and 254 more
    s.Line(0, 300, 100, 300, colours::white);
    EXPECT_EQ(count_colour(s.image(), colours::white), 0);

    s.Cls();
    EXPECT_EQ(s.image().palette, std::vector<Rgb>{colours::black});
    s.Line(0, 300, 100, 300, colours::white);
    EXPECT_EQ(count_colour(s.image(), colours::white), 101);
}

}  // namespace
