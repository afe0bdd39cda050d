#pragma once
// <windows.h> as the platform layer (and its tests) include it: without the
// rarely used parts, and without the min and max macros that break <algorithm>.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
