#include "toolkit/qt/graphical_painter.h"

#include <QPixmap>
#include <QPixmapCache>
#include <algorithm>

#include "toolkit/graphics.h"
#include "toolkit/qt/colours.h"
#include "toolkit/qt/geometry.h"
#include "toolkit/qt/strings.h"
#include "toolkit/text.h"

namespace tk::qt {

namespace {

void paintShape(QPainter& painter, const Shape& shape) {
  QRectF area = toPixelsF(shape.bounds());
  if (shape.shape() == ShapeKind::Circle || shape.shape() == ShapeKind::Square) {
    const double side = std::min(area.width(), area.height());
    area = QRectF(area.center().x() - side / 2, area.center().y() - side / 2, side, side);
  }
  painter.setPen(QPen(toQColor(shape.borderColour()), 1));
  painter.setBrush(toQColor(shape.fillColour()));
  // Keep the one-pixel border inside the bounds.
  area.adjust(0.5, 0.5, -0.5, -0.5);
  if (shape.shape() == ShapeKind::Circle || shape.shape() == ShapeKind::Oval) {
    painter.drawEllipse(area);
  } else {
    painter.drawRect(area);
  }
}

// A level or upright line covers whole pixels: `width` rows (or columns) from its coordinate on,
// the first of them half a pen's width before it. Drawn as a filled rectangle it stays crisp,
// where a smoothed pen would spread it over two rows of paler colour.
QRect axisLineRect(const LineEnds& e, int width) {
  const int before = (width - 1) / 2;
  if (e.y1 == e.y2) {
    const int left = toPixels(std::min(e.x1, e.x2));
    const int right = toPixels(std::max(e.x1, e.x2));
    return QRect(left, toPixels(e.y1) - before, std::max(1, right - left), width);
  }
  const int top = toPixels(std::min(e.y1, e.y2));
  const int bottom = toPixels(std::max(e.y1, e.y2));
  return QRect(toPixels(e.x1) - before, top, width, std::max(1, bottom - top));
}

void paintLine(QPainter& painter, const Line& line) {
  const LineEnds& e = line.ends();
  if (e.x1 == e.x2 || e.y1 == e.y2) {
    painter.fillRect(axisLineRect(e, std::max(1, line.borderWidth())),
                     toQColor(line.borderColour()));
    return;
  }
  QPen pen(toQColor(line.borderColour()), std::max(1, line.borderWidth()));
  pen.setCapStyle(Qt::RoundCap);
  painter.setPen(pen);
  painter.drawLine(QPointF(toPixelsF(e.x1), toPixelsF(e.y1)),
                   QPointF(toPixelsF(e.x2), toPixelsF(e.y2)));
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

namespace {

QRectF lineArea(const Line& line) {
  const LineEnds& e = line.ends();
  const QRectF span =
      QRectF(QPointF(toPixelsF(e.x1), toPixelsF(e.y1)), QPointF(toPixelsF(e.x2), toPixelsF(e.y2)))
          .normalized();
  // Half the pen's width on every side for the round caps, and a pixel for the antialiasing.
  const double margin = std::max(1, line.borderWidth()) / 2.0 + 1;
  return span.adjusted(-margin, -margin, margin, margin);
}

QRectF imageArea(const Image& image) {
  const QPixmap picture = resourcePicture(image.picture());
  if (picture.isNull()) return {};
  return QRectF(toPixels(image.bounds()).topLeft(), picture.deviceIndependentSize());
}

}  // namespace

QRectF paintedArea(const Control& control) {
  if (control.windowed() || !control.visible()) return {};
  switch (control.kind()) {
    case Kind::Line:
      return lineArea(static_cast<const Line&>(control));
    case Kind::Image:
      return imageArea(static_cast<const Image&>(control));
    case Kind::Shape:
      return toPixelsF(control.bounds());
    case Kind::Label:
      return toPixels(control.bounds());
    default:
      return {};
  }
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
