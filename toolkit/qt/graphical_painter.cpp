#include "toolkit/qt/graphical_painter.h"

#include <QPixmap>
#include <QPixmapCache>
#include <bit>
#include <cstdint>

#include "toolkit/graphics.h"
#include "toolkit/qt/colours.h"
#include "toolkit/qt/geometry.h"
#include "toolkit/qt/kept_picture.h"
#include "toolkit/qt/strings.h"
#include "toolkit/text.h"

namespace tk::qt {

namespace {

void drawShape(QPainter& painter, const Shape& shape, const QRectF& area) {
  painter.setPen(QPen(toQColor(shape.borderColour()), 1));
  painter.setBrush(toQColor(shape.fillColour()));
  // Keep the one-pixel border inside the bounds.
  const QRectF inside = area.adjusted(0.5, 0.5, -0.5, -0.5);
  if (shape.shape() == ShapeKind::Circle || shape.shape() == ShapeKind::Oval) {
    painter.drawEllipse(inside);
  } else {
    painter.drawRect(inside);
  }
}

void paintShape(QPainter& painter, const Shape& shape) {
  const QRectF area = toQRectF(shapeArea(shape, 1));
  const std::string look =
      lookName("tk-shape", int(shape.shape()), toQColor(shape.fillColour()).rgba(),
               toQColor(shape.borderColour()).rgba());
  paintKeptPicture(painter, area, look, [&](QPainter& target) { drawShape(target, shape, area); });
}

void drawLine(QPainter& painter, const Line& line) {
  const LineEnds& e = line.ends();
  QPen pen(toQColor(line.borderColour()), lineWidth(line, 1));
  pen.setCapStyle(Qt::RoundCap);
  painter.setPen(pen);
  painter.drawLine(QPointF(toPixelsF(e.x1), toPixelsF(e.y1)),
                   QPointF(toPixelsF(e.x2), toPixelsF(e.y2)));
}

void paintLine(QPainter& painter, const Line& line) {
  const LineEnds& e = line.ends();
  if (isLevelOrUpright(e)) {
    painter.fillRect(toQRect(levelOrUprightLineArea(line, 1)), toQColor(line.borderColour()));
    return;
  }
  // A slanting line is stroked as an outline with round ends. A hand passes through the same
  // sixty places again and again, so each place is drawn once.
  const std::string look =
      lookName("tk-line", std::bit_cast<std::uint32_t>(e.x1), std::bit_cast<std::uint32_t>(e.y1),
               std::bit_cast<std::uint32_t>(e.x2), std::bit_cast<std::uint32_t>(e.y2),
               line.borderWidth(), toQColor(line.borderColour()).rgba());
  paintKeptPicture(painter, paintedArea(line), look,
                   [&](QPainter& target) { drawLine(target, line); });
}

void paintImage(QPainter& painter, const Image& image) {
  const QPixmap picture = resourcePicture(image.picture());
  if (!picture.isNull()) painter.drawPixmap(toPixels(image.bounds()).topLeft(), picture);
}

Qt::Alignment alignmentOf(Alignment alignment) {
  switch (alignment) {
    case Alignment::Right:
      return Qt::AlignRight;
    case Alignment::Centre:
      return Qt::AlignHCenter;
    case Alignment::Left:
      break;
  }
  return Qt::AlignLeft;
}

void paintLabel(QPainter& painter, const Label& label) {
  const QRect area = toPixels(label.bounds());
  if (!label.transparent()) painter.fillRect(area, toQColor(label.backColour()));
  painter.save();
  painter.setClipRect(area);
  painter.setPen(toQColor(label.foreColour()));
  const int flags =
      int(alignmentOf(label.alignment)) | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic;
  painter.drawText(area, flags, toQString(label.caption()));
  painter.restore();
}

}  // namespace

QPixmap resourcePicture(const std::string& name) {
  if (name.empty()) return {};
  // Kept by path: QPixmap's own loading looks the file's date up on every call, and pictures
  // are asked for on every repaint. The resources never change while the program runs.
  const QString path = QStringLiteral(":/pictures/") + toQString(name);
  QPixmap picture;
  if (!QPixmapCache::find(path, &picture) && picture.load(path)) {
    QPixmapCache::insert(path, picture);
  }
  return picture;
}

QRectF paintedArea(const Control& control) {
  return toQRectF(tk::paintedArea(control, 1, [](const std::string& picture) {
    const QSizeF size = resourcePicture(picture).deviceIndependentSize();
    return PixelSize{size.width(), size.height()};
  }));
}

void paintGraphical(QPainter& painter, const Control& control) {
  if (control.windowed() || !control.visible()) return;
  switch (control.kind()) {
    case Kind::Shape:
      paintShape(painter, static_cast<const Shape&>(control));
      break;
    case Kind::Line:
      paintLine(painter, static_cast<const Line&>(control));
      break;
    case Kind::Image:
      paintImage(painter, static_cast<const Image&>(control));
      break;
    case Kind::Label:
      paintLabel(painter, static_cast<const Label&>(control));
      break;
    default:
      break;  // timers and the like show nothing
  }
}

}  // namespace tk::qt
