#pragma once
// Smooth (antialiased) lines and ellipses drawn straight into a 32-bit buffer: each pixel takes
// as much of the colour as the shape covers of it, from its distance to the shape's edge. GDI
// draws neither smoothly, and Wine's GDI+ does not smooth them either; this looks the same
// everywhere.

#include <windows.h>

#include <cstdint>

namespace tk::win32 {

// A top-down 32-bit buffer (0x00RRGGBB pixels) and the part of it that may be painted.
struct PixelBuffer {
  std::uint32_t* pixels;
  int width;
  int height;
  RECT clip;
};

// A line from (x1, y1) to (x2, y2) with round caps; coordinates are pixel edges, as GDI's.
void drawSmoothLine(const PixelBuffer& buffer, double x1, double y1, double x2, double y2,
                    double width, COLORREF colour);

// The ellipse inside the rectangle, filled, then its border `borderWidth` wide drawn inside it.
void drawSmoothEllipse(const PixelBuffer& buffer, double left, double top, double width,
                       double height, COLORREF fill, COLORREF border, double borderWidth);

}  // namespace tk::win32
