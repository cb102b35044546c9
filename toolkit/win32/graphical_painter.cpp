#include "toolkit/win32/graphical_painter.h"

#include <algorithm>

#include "toolkit/painting.h"
#include "toolkit/text.h"
#include "toolkit/win32/colours.h"
#include "toolkit/win32/pictures.h"
#include "toolkit/win32/smooth_shapes.h"
#include "toolkit/win32/wide_strings.h"

namespace tk::win32 {

namespace {

RECT toRECT(const PixelRect& r) {
  return {int(r.left), int(r.top), int(r.left + r.width), int(r.top + r.height)};
}

PixelBuffer pixelsOf(const Canvas& canvas) {
  GdiFlush();  // GDI's drawing so far is in the pixels
  return {canvas.pixels, canvas.width, canvas.height, canvas.clip};
}

void paintShape(const Canvas& canvas, const Shape& shape) {
  const PixelRect area = shapeArea(shape, canvas.scale);
  const COLORREF fill = toColorRef(shape.fillColour());
  const COLORREF border = toColorRef(shape.borderColour());
  // The border is one design pixel wide, inside the bounds.
  if (shape.shape() == ShapeKind::Circle || shape.shape() == ShapeKind::Oval) {
    drawSmoothEllipse(pixelsOf(canvas), area.left, area.top, area.width, area.height, fill, border,
                      canvas.scale);
    return;
  }
  RECT outer = toRECT(area.aligned());
  SolidBrush brush;
  FillRect(canvas.dc, &outer, brush.of(border));
  const int borderWidth = std::max(1, toPixels(twipsPerPixel, canvas.scale));
  InflateRect(&outer, -borderWidth, -borderWidth);
  FillRect(canvas.dc, &outer, brush.of(fill));
}

void paintLine(const Canvas& canvas, const Line& line) {
  const double scale = canvas.scale;
  const LineEnds& e = line.ends();
  if (isLevelOrUpright(e)) {
    const RECT area = toRECT(levelOrUprightLineArea(line, scale));
    SolidBrush brush;
    FillRect(canvas.dc, &area, brush.of(toColorRef(line.borderColour())));
    return;
  }
  auto at = [scale](float twips) { return toPixelsF(twips, scale); };
  drawSmoothLine(pixelsOf(canvas), at(e.x1), at(e.y1), at(e.x2), at(e.y2), lineWidth(line, scale),
                 toColorRef(line.borderColour()));
}

void paintImage(const Canvas& canvas, const Image& image) {
  const PixelRect bounds = pixelRect(image.bounds(), canvas.scale);
  drawPicture(*graphicsOn(canvas), image.picture(), bounds.left, bounds.top, canvas.scale);
}

UINT alignmentOf(Alignment alignment) {
  switch (alignment) {
    case Alignment::Right:
      return DT_RIGHT;
    case Alignment::Centre:
      return DT_CENTER;
    case Alignment::Left:
      break;
  }
  return DT_LEFT;
}

void paintLabel(const Canvas& canvas, const Label& label) {
  HDC dc = canvas.dc;
  RECT area = toRECT(pixelRect(label.bounds(), canvas.scale));
  if (!label.transparent()) {
    SolidBrush brush;
    FillRect(dc, &area, brush.of(toColorRef(label.backColour())));
  }
  const HGDIOBJ oldFont = SelectObject(dc, canvas.font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, toColorRef(label.foreColour()));
  const std::wstring caption = toWide(label.caption());
  // Wrapped at word boundaries and cut at the label's edges; "&" marks an access key.
  DrawTextW(dc, caption.c_str(), -1, &area, alignmentOf(label.alignment) | DT_TOP | DT_WORDBREAK);
  SelectObject(dc, oldFont);
}

}  // namespace

std::unique_ptr<Gdiplus::Graphics> graphicsOn(const Canvas& canvas) {
  GdiFlush();
  auto graphics = std::make_unique<Gdiplus::Graphics>(&canvas.image);
  graphics->SetClip(Gdiplus::Rect(canvas.clip.left, canvas.clip.top,
                                  canvas.clip.right - canvas.clip.left,
                                  canvas.clip.bottom - canvas.clip.top));
  return graphics;
}

void paintGraphical(const Canvas& canvas, const Control& control) {
  switch (control.kind()) {
    case Kind::Shape:
      paintShape(canvas, static_cast<const Shape&>(control));
      break;
    case Kind::Line:
      paintLine(canvas, static_cast<const Line&>(control));
      break;
    case Kind::Image:
      paintImage(canvas, static_cast<const Image&>(control));
      break;
    case Kind::Label:
      paintLabel(canvas, static_cast<const Label&>(control));
      break;
    default:
      break;
  }
}

}  // namespace tk::win32
