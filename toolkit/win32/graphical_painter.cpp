#include "toolkit/win32/graphical_painter.h"

#include "toolkit/painting.h"
#include "toolkit/text.h"
#include "toolkit/win32/colours.h"
#include "toolkit/win32/pictures.h"
#include "toolkit/win32/wide_strings.h"

namespace tk::win32 {

namespace {

RECT toRECT(const PixelRect& r) {
  return {int(r.left), int(r.top), int(r.left + r.width), int(r.top + r.height)};
}

Gdiplus::RectF toRectF(const PixelRect& r) {
  return {Gdiplus::REAL(r.left), Gdiplus::REAL(r.top), Gdiplus::REAL(r.width),
          Gdiplus::REAL(r.height)};
}

// Pixel (0, 0) covers 0..1 on both axes, so that whole coordinates are the pixels' edges.
void smooth(Gdiplus::Graphics& graphics) {
  graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
}

void paintShape(HDC dc, const Shape& shape, double scale) {
  Gdiplus::Graphics graphics(dc);
  smooth(graphics);
  // Keep the border, one design pixel wide, inside the bounds.
  Gdiplus::RectF area = toRectF(shapeArea(shape, scale));
  const auto border = Gdiplus::REAL(scale);
  area.Inflate(-border / 2, -border / 2);
  Gdiplus::SolidBrush fill(toGdiplusColor(shape.fillColour()));
  Gdiplus::Pen pen(toGdiplusColor(shape.borderColour()), border);
  if (shape.shape() == ShapeKind::Circle || shape.shape() == ShapeKind::Oval) {
    graphics.FillEllipse(&fill, area);
    graphics.DrawEllipse(&pen, area);
  } else {
    graphics.FillRectangle(&fill, area);
    graphics.DrawRectangle(&pen, area);
  }
}

void paintLine(HDC dc, const Line& line, double scale) {
  const LineEnds& e = line.ends();
  if (isLevelOrUpright(e)) {
    const RECT area = toRECT(levelOrUprightLineArea(line, scale));
    SolidBrush brush;
    FillRect(dc, &area, brush.of(toColorRef(line.borderColour())));
    return;
  }
  Gdiplus::Graphics graphics(dc);
  smooth(graphics);
  Gdiplus::Pen pen(toGdiplusColor(line.borderColour()), Gdiplus::REAL(lineWidth(line, scale)));
  pen.SetStartCap(Gdiplus::LineCapRound);
  pen.SetEndCap(Gdiplus::LineCapRound);
  auto at = [scale](float twips) { return Gdiplus::REAL(toPixelsF(twips, scale)); };
  graphics.DrawLine(&pen, at(e.x1), at(e.y1), at(e.x2), at(e.y2));
}

void paintImage(HDC dc, const Image& image, double scale) {
  Gdiplus::Graphics graphics(dc);
  const PixelRect bounds = pixelRect(image.bounds(), scale);
  drawPicture(graphics, image.picture(), bounds.left, bounds.top, scale);
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

void paintLabel(HDC dc, const Label& label, double scale, HFONT font) {
  RECT area = toRECT(pixelRect(label.bounds(), scale));
  if (!label.transparent()) {
    SolidBrush brush;
    FillRect(dc, &area, brush.of(toColorRef(label.backColour())));
  }
  const HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, toColorRef(label.foreColour()));
  const std::wstring caption = toWide(label.caption());
  // Wrapped at word boundaries and cut at the label's edges; "&" marks an access key.
  DrawTextW(dc, caption.c_str(), -1, &area, alignmentOf(label.alignment) | DT_TOP | DT_WORDBREAK);
  SelectObject(dc, oldFont);
}

}  // namespace

void paintGraphical(HDC dc, const Control& control, double scale, HFONT font) {
  switch (control.kind()) {
    case Kind::Shape:
      paintShape(dc, static_cast<const Shape&>(control), scale);
      break;
    case Kind::Line:
      paintLine(dc, static_cast<const Line&>(control), scale);
      break;
    case Kind::Image:
      paintImage(dc, static_cast<const Image&>(control), scale);
      break;
    case Kind::Label:
      paintLabel(dc, static_cast<const Label&>(control), scale, font);
      break;
    default:
      break;
  }
}

}  // namespace tk::win32
