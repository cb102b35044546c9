#include "toolkit/painting.h"

#include <algorithm>
#include <cmath>

namespace tk {

bool PixelRect::intersects(const PixelRect& other) const {
  return !isEmpty() && !other.isEmpty() && left < other.right() && other.left < right() &&
         top < other.bottom() && other.top < bottom();
}

PixelRect PixelRect::intersected(const PixelRect& other) const {
  if (!intersects(other)) return {};
  const double l = std::max(left, other.left);
  const double t = std::max(top, other.top);
  return {l, t, std::min(right(), other.right()) - l, std::min(bottom(), other.bottom()) - t};
}

PixelRect PixelRect::aligned() const {
  if (isEmpty()) return {};
  const double l = std::floor(left);
  const double t = std::floor(top);
  return {l, t, std::ceil(right()) - l, std::ceil(bottom()) - t};
}

int toPixels(Twips twips, double scale) {
  return static_cast<int>(std::lround(toPixelsF(twips, scale)));
}

double toPixelsF(double twips, double scale) { return twips * scale / twipsPerPixel; }

PixelRect pixelRect(const Rect& bounds, double scale) {
  return {double(toPixels(bounds.left, scale)), double(toPixels(bounds.top, scale)),
          double(toPixels(bounds.width, scale)), double(toPixels(bounds.height, scale))};
}

PixelRect pixelRectF(const Rect& bounds, double scale) {
  return {toPixelsF(bounds.left, scale), toPixelsF(bounds.top, scale),
          toPixelsF(bounds.width, scale), toPixelsF(bounds.height, scale)};
}

namespace {

bool isPaintedByContainer(const Control& control) {
  if (control.windowed() || !control.visible()) return false;
  switch (control.kind()) {
    case Kind::Shape:
    case Kind::Line:
    case Kind::Image:
    case Kind::Label:
      return true;
    default:
      return false;  // timers and the like show nothing
  }
}

PixelRect lineArea(const Line& line, double scale) {
  const LineEnds& e = line.ends();
  const double left = toPixelsF(std::min(e.x1, e.x2), scale);
  const double top = toPixelsF(std::min(e.y1, e.y2), scale);
  const PixelRect span{left, top, toPixelsF(std::max(e.x1, e.x2), scale) - left,
                       toPixelsF(std::max(e.y1, e.y2), scale) - top};
  // Half the pen's width on every side for the round caps, and a pixel for the antialiasing.
  const double margin = lineWidth(line, scale) / 2 + 1;
  return {span.left - margin, span.top - margin, span.width + 2 * margin, span.height + 2 * margin};
}

PixelRect imageArea(const Image& image, double scale, const PictureSizeOf& pictureSize) {
  const PixelSize size = pictureSize(image.picture());
  if (size.width <= 0 || size.height <= 0) return {};
  const PixelRect bounds = pixelRect(image.bounds(), scale);
  return {bounds.left, bounds.top, size.width * scale, size.height * scale};
}

}  // namespace

std::vector<const Control*> paintedChildren(const Container& container) {
  std::vector<const Control*> painted;
  for (const Control* child : container.children()) {
    if (isPaintedByContainer(*child)) painted.push_back(child);
  }
  return painted;
}

PixelRect shapeArea(const Shape& shape, double scale) {
  PixelRect area = pixelRectF(shape.bounds(), scale);
  if (shape.shape() == ShapeKind::Circle || shape.shape() == ShapeKind::Square) {
    const double side = std::min(area.width, area.height);
    area = {area.left + (area.width - side) / 2, area.top + (area.height - side) / 2, side, side};
  }
  return area;
}

bool isLevelOrUpright(const LineEnds& e) { return e.x1 == e.x2 || e.y1 == e.y2; }

PixelRect levelOrUprightLineArea(const Line& line, double scale) {
  const LineEnds& e = line.ends();
  const int width = wholeLineWidth(line, scale);
  const int before = (width - 1) / 2;
  // Whole twips, as the design gives them.
  auto pixel = [scale](float twips) { return toPixels(static_cast<Twips>(twips), scale); };
  if (e.y1 == e.y2) {
    const int left = pixel(std::min(e.x1, e.x2));
    const int right = pixel(std::max(e.x1, e.x2));
    return {double(left), double(pixel(e.y1) - before), double(std::max(1, right - left)),
            double(width)};
  }
  const int top = pixel(std::min(e.y1, e.y2));
  const int bottom = pixel(std::max(e.y1, e.y2));
  return {double(pixel(e.x1) - before), double(top), double(width),
          double(std::max(1, bottom - top))};
}

double lineWidth(const Line& line, double scale) { return std::max(1, line.borderWidth()) * scale; }

int wholeLineWidth(const Line& line, double scale) {
  return std::max(1, static_cast<int>(std::lround(lineWidth(line, scale))));
}

Colour readableTextOn(Colour face) {
  const double luma =
      0.299 * (face & 0xFF) + 0.587 * ((face >> 8) & 0xFF) + 0.114 * ((face >> 16) & 0xFF);
  return luma < 100 ? 0xFFFFFF : 0x000000;
}

PixelRect paintedArea(const Control& control, double scale, const PictureSizeOf& pictureSize) {
  if (!isPaintedByContainer(control)) return {};
  switch (control.kind()) {
    case Kind::Line:
      return lineArea(static_cast<const Line&>(control), scale);
    case Kind::Image:
      return imageArea(static_cast<const Image&>(control), scale, pictureSize);
    case Kind::Shape:
      return pixelRectF(control.bounds(), scale);
    case Kind::Label:
      return pixelRect(control.bounds(), scale);
    default:
      return {};
  }
}

ShownAreas::ShownAreas(const Container& container, Measure measure)
    : container_(container), measure_(std::move(measure)) {
  measureAll();
}

ShownAreas::Change ShownAreas::update(const Control& child) {
  PixelRect& shown = shown_[&child];
  Change change{shown, measure_(child)};
  shown = change.after;
  return change;
}

void ShownAreas::measureAll() {
  for (const Control* child : container_.children()) shown_[child] = measure_(*child);
}

}  // namespace tk
