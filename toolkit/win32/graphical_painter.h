#pragma once
// Draws the graphical controls (shapes, lines, images, labels), which have no window of their
// own: their container paints them, in stacking order, smoothed where they are not level or
// upright.

#include <cstdint>
#include <memory>

#include "toolkit/control.h"
#include "toolkit/win32/colours.h"

namespace tk::win32 {

// Where a container paints: a 32-bit buffer, seen as a device context for GDI (text, filled
// rectangles), as GDI+'s image for pictures, and as plain pixels for smooth shapes. Only `clip`
// is painted.
struct Canvas {
  HDC dc;
  Gdiplus::Bitmap& image;
  std::uint32_t* pixels;  // top row first, 0x00RRGGBB
  int width;
  int height;
  RECT clip;
  double scale;  // device pixels a design pixel
  HFONT font;    // for labels
};

// GDI+ drawing on the canvas's image, within its clip; GDI's own drawing is done by then.
std::unique_ptr<Gdiplus::Graphics> graphicsOn(const Canvas& canvas);

// Paints `control`, a visible graphical control.
void paintGraphical(const Canvas& canvas, const Control& control);

}  // namespace tk::win32
