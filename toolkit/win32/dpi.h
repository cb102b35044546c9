#pragma once
// Per-monitor DPI: a window's dots per inch, window sizes for a client size at that DPI, and
// the system's message font at it. The calls that know about per-monitor DPI (Windows 10 1607
// and later) are looked up at run time; without them the system DPI is used, which loses only
// the difference between monitors.

#include <windows.h>

namespace tk::win32 {

inline constexpr int defaultDpi = 96;

int dpiOf(HWND window);
// Device pixels per device-independent pixel (15 twips a pixel at 96 DPI).
inline double scaleOf(int dpi) { return double(dpi) / defaultDpi; }
// The outer size of a window whose client area is `clientWidth` x `clientHeight` pixels.
SIZE windowSizeFor(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool hasMenu,
                   int dpi);
// The message font (the one message boxes use) at `dpi`; the caller deletes it.
HFONT createMessageFont(int dpi);

}  // namespace tk::win32
