// The fixed frame of every chart: yellow border, grey grid, the hour and
// frequency labels and the two axis titles.

#include "app/form1.h"

namespace {

struct Text {
    float x, y;
    const char* text;
};

}  // namespace

void Form1::disegno_dello_stage() {
    Surface& s = superficie;
    auto write = [&s](const Text& t) {
        s.CurrentX = t.x;
        s.CurrentY = t.y;
        s.Print(t.text);
    };

    // Border of the plot area. The bottom and top edges run one unit past
    // the right edge; the top edge is at 551 and the right one at 241.
    s.Line(0, 50, 242, 50, colours::yellow);
    s.Line(0, 551, 0, 50, colours::yellow);
    s.Line(0, 551, 242, 551, colours::yellow);
    s.Line(241, 551, 241, 50, colours::yellow);

    // Vertical grid every 5 hours, each with its hour label underneath.
    s.Line(50, 550, 50, 50, colours::grey);
    write({46, 35, "5"});
    s.Line(100, 550, 100, 50, colours::grey);
    write({93, 35, "10"});
    s.Line(150, 550, 150, 50, colours::grey);
    write({143, 35, "15"});
    s.Line(200, 550, 200, 50, colours::grey);
    write({193, 35, "20"});
    write({100, -10, "Time(UT)"});

    // Horizontal grid every 15 MHz; 5 MHz is the bottom edge itself.
    write({-12, 62, "5"});
    s.Line(1, 200, 241, 200, colours::grey);
    write({-18, 210, "20"});
    s.Line(1, 350, 241, 350, colours::grey);
    write({-18, 360, "35"});
    s.Line(1, 500, 241, 500, colours::grey);
    write({-18, 510, "50"});
    write({-30, 460, "MUF"});
    write({-33, 415, "(MHz)"});
}
