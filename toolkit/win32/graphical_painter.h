#pragma once
// Draws the graphical controls (shapes, lines, images, labels), which have no window of their
// own: their container paints them, in stacking order, smoothed with GDI+ where they are not
// level or upright.

#include <windows.h>

#include "toolkit/control.h"

namespace tk::win32 {

// Paints `control` (a visible graphical control) at `scale` device pixels a design pixel; labels
// are written in `font`.
void paintGraphical(HDC dc, const Control& control, double scale, HFONT font);

}  // namespace tk::win32
