// The window's size and the chart coordinates, set once per run.

#include "app/form1.h"

void Form1::impostazioni_dimensioni_e_scala_del_form() {
    margine_superiore = 50;
    margine_inferiore = 80;
    margine_destro = 10;
    margine_sinistro = 35;

    // Outer size in pixels: the margins and the plot range, plus the window
    // frame (6 pixels across, 25 down) and 1 pixel for the far edge line.
    // The sums of these fixed 16-bit values cannot overflow.
    const int larghezza = margine_destro + 240 + margine_sinistro + 6 + 1;   // 292
    const int altezza = margine_superiore + 90 + margine_inferiore + 25 + 1;  // 246
    Width = static_cast<float>(larghezza) * TwipsPerPixelX;
    Height = static_cast<float>(altezza) * TwipsPerPixelY;

    // x from -35 (left edge) to 251 (right edge); y from 600 (top) to -81.
    superficie.Scale(-margine_sinistro, margine_superiore + 550, margine_destro + 240 + 1, -(margine_inferiore + 1));
}
