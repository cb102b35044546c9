#pragma once
// What every backend needs to paint a container's graphical controls (shapes, lines, images and
// labels, which have no window of their own): twips in pixels, the geometry each kind is drawn
// with, the order they are painted in, and the area a change repaints.
//
// `scale` is device pixels per device-independent pixel: 1 at 96 DPI (15 twips a pixel), 1.5 at
// 144 DPI. A backend whose toolkit scales by itself works at scale 1.

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "toolkit/graphics.h"

namespace tk {

struct PixelRect {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;

  double right() const { return left + width; }
  double bottom() const { return top + height; }
  bool isEmpty() const { return width <= 0 || height <= 0; }
  bool intersects(const PixelRect& other) const;
  PixelRect intersected(const PixelRect& other) const;
  // The smallest rectangle of whole pixels that holds this one.
  PixelRect aligned() const;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PixelSize {
  double width = 0;
  double height = 0;
};

int toPixels(Twips twips, double scale = 1);  // rounded to the nearest pixel
double toPixelsF(double twips, double scale = 1);
PixelRect pixelRect(const Rect& bounds, double scale = 1);  // each of the four rounded
PixelRect pixelRectF(const Rect& bounds, double scale = 1);

// The visible graphical children of a container, back to front: a later child lies in front.
std::vector<const Control*> paintedChildren(const Container& container);

// The area a shape fills: its bounds, or for a circle and a square the centred square with the
// smaller side.
PixelRect shapeArea(const Shape& shape, double scale);
bool isLevelOrUpright(const LineEnds& ends);
// A level or upright line covers whole pixels: `width` rows (or columns) from its coordinate on,
// the first of them half a pen's width before it. Drawn as a filled rectangle it stays crisp,
// where a smoothed pen would spread it over two rows of paler colour.
PixelRect levelOrUprightLineArea(const Line& line, double scale);
// A line's width in device pixels; never thinner than one.
double lineWidth(const Line& line, double scale);
int wholeLineWidth(const Line& line, double scale);

// Dark text on light faces, light text on dark ones, so a button of any colour stays readable.
// `face` is a colour of its own, not a system colour.
Colour readableTextOn(Colour face);

// A picture's size in device-independent pixels, by resource name; empty when there is none.
using PictureSizeOf = std::function<PixelSize(const std::string& picture)>;

// The area that painting `control` touches, in its container's pixels; empty when nothing shows
// (windowed controls, hidden ones, timers).
PixelRect paintedArea(const Control& control, double scale, const PictureSizeOf& pictureSize);

// Where each graphical child of a container shows, so that a change repaints the area the child
// left and the area it takes now, and nothing else: a hand or a readout changes every second.
class ShownAreas {
 public:
  // The whole-pixel area a child shows in, within its container.
  using Measure = std::function<PixelRect(const Control& child)>;
  ShownAreas(const Container& container, Measure measure);

  struct Change {
    PixelRect before;
    PixelRect after;
  };
  Change update(const Control& child);
  // Measures every child anew (after the scale changed).
  void measureAll();

 private:
  const Container& container_;
  Measure measure_;
  std::unordered_map<const Control*, PixelRect> shown_;
};

}  // namespace tk
