#pragma once
// The size of a chart in pixels: the drawing surface's, and every chart
// file's and page's that shows one.

inline constexpr int chart_width = 286;
inline constexpr int chart_height = 221;
