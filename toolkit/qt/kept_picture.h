#pragma once
// Painting from a picture drawn once. Qt's raster engine outlines and fills a shape whole however
// little of it a repaint needs, so a large antialiased shape costs as much for the few pixels a
// moving hand uncovers as for all of it. What does not change between repaints is drawn once into
// a picture, at the device pixels and the fraction of a pixel where it falls, and each repaint
// copies from that picture only the part it needs.

#include <QPainter>
#include <QRectF>
#include <functional>
#include <string>
#include <string_view>

namespace tk::qt {

// Paints what `draw` would paint within `area` (in the painter's coordinates, which `draw` also
// uses) from a picture kept under `look`: a name for everything that decides how the drawing
// looks (see lookName). The picture's place on the device is added to that name here. Under a
// transform that turns or shears, which the windows never use, `draw` paints directly.
void paintKeptPicture(QPainter& painter, const QRectF& area, const std::string& look,
                      const std::function<void(QPainter&)>& draw);

// "kind:1:2:3": a look's name made of the whole numbers that decide it. Built on every repaint,
// so nothing slower than whole numbers goes into it.
template <typename... Numbers>
std::string lookName(std::string_view kind, Numbers... numbers) {
  std::string name(kind);
  ((name += ':', name += std::to_string(numbers)), ...);
  return name;
}

}  // namespace tk::qt
