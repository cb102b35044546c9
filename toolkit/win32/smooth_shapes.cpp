#include "toolkit/win32/smooth_shapes.h"

#include <algorithm>
#include <cmath>

namespace tk::win32 {

namespace {

// How much of a pixel lies within `inside` pixels of an edge (negative: outside it).
double coverage(double inside) { return std::clamp(inside + 0.5, 0.0, 1.0); }

void blend(std::uint32_t& pixel, COLORREF colour, double amount) {
  if (amount <= 0) return;
  auto mix = [amount](std::uint32_t under, std::uint32_t over) {
    return static_cast<std::uint32_t>(std::lround(under + (double(over) - under) * amount));
  };
  const std::uint32_t red = mix((pixel >> 16) & 0xFF, GetRValue(colour));
  const std::uint32_t green = mix((pixel >> 8) & 0xFF, GetGValue(colour));
  const std::uint32_t blue = mix(pixel & 0xFF, GetBValue(colour));
  pixel = (red << 16) | (green << 8) | blue;
}

// Calls paint(x, y, pixel) for every pixel of the buffer's clip within the box, with (x, y) the
// pixel's centre.
template <typename Paint>
void forPixelsIn(const PixelBuffer& buffer, double left, double top, double right, double bottom,
                 Paint&& paint) {
  const int x0 = std::max<int>(buffer.clip.left, static_cast<int>(std::floor(left)));
  const int y0 = std::max<int>(buffer.clip.top, static_cast<int>(std::floor(top)));
  const int x1 = std::min<int>({buffer.clip.right, buffer.width, int(std::ceil(right))});
  const int y1 = std::min<int>({buffer.clip.bottom, buffer.height, int(std::ceil(bottom))});
  for (int y = std::max(0, y0); y < y1; ++y) {
    std::uint32_t* row = buffer.pixels + static_cast<std::ptrdiff_t>(y) * buffer.width;
    for (int x = std::max(0, x0); x < x1; ++x) paint(x + 0.5, y + 0.5, row[x]);
  }
}

double distanceToSegment(double px, double py, double x1, double y1, double x2, double y2) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  const double length2 = dx * dx + dy * dy;
  const double t =
      length2 > 0 ? std::clamp(((px - x1) * dx + (py - y1) * dy) / length2, 0.0, 1.0) : 0.0;
  return std::hypot(px - (x1 + t * dx), py - (y1 + t * dy));
}

// The distance from a point to the ellipse's edge with semi-axes a and b, negative inside: exact
// for circles, close enough near the edge of any ellipse, which is all smoothing needs.
double distanceToEllipse(double x, double y, double a, double b) {
  if (a <= 0 || b <= 0) return 1e9;
  const double f = (x * x) / (a * a) + (y * y) / (b * b) - 1;
  const double gx = 2 * x / (a * a);
  const double gy = 2 * y / (b * b);
  const double gradient = std::hypot(gx, gy);
  if (gradient < 1e-9) return -std::min(a, b);
  return f / gradient;
}

}  // namespace

void drawSmoothLine(const PixelBuffer& buffer, double x1, double y1, double x2, double y2,
                    double width, COLORREF colour) {
  const double half = width / 2;
  const double margin = half + 1;
  forPixelsIn(buffer, std::min(x1, x2) - margin, std::min(y1, y2) - margin,
              std::max(x1, x2) + margin, std::max(y1, y2) + margin,
              [&](double x, double y, std::uint32_t& pixel) {
                blend(pixel, colour, coverage(half - distanceToSegment(x, y, x1, y1, x2, y2)));
              });
}

void drawSmoothEllipse(const PixelBuffer& buffer, double left, double top, double width,
                       double height, COLORREF fill, COLORREF border, double borderWidth) {
  const double cx = left + width / 2;
  const double cy = top + height / 2;
  // The border's middle line runs half its width inside the rectangle; the fill reaches it.
  const double a = width / 2 - borderWidth / 2;
  const double b = height / 2 - borderWidth / 2;
  forPixelsIn(buffer, left - 1, top - 1, left + width + 1, top + height + 1,
              [&](double x, double y, std::uint32_t& pixel) {
                const double d = distanceToEllipse(x - cx, y - cy, a, b);
                blend(pixel, fill, coverage(-d));
                blend(pixel, border, coverage(borderWidth / 2 - std::abs(d)));
              });
}

}  // namespace tk::win32
