#include "toolkit/qt/kept_picture.h"

#include <QPixmap>
#include <QPixmapCache>
#include <QTransform>
#include <cmath>

namespace tk::qt {

namespace {

// Device pixels to thousandths, so that the picture's place goes into its name as whole numbers.
long long thousandths(qreal value) { return std::llround(value * 1000); }

}  // namespace

void paintKeptPicture(QPainter& painter, const QRectF& area, const std::string& look,
                      const std::function<void(QPainter&)>& draw) {
  const QTransform toDevice = painter.deviceTransform();
  if (toDevice.type() > QTransform::TxScale || toDevice.m11() != toDevice.m22()) {
    draw(painter);
    return;
  }
  const qreal scale = toDevice.m11();
  const QRectF onDevice = toDevice.mapRect(area);
  const QPoint origin(int(std::floor(onDevice.left())), int(std::floor(onDevice.top())));
  const QPointF fraction = onDevice.topLeft() - QPointF(origin);
  // One pixel more each way for the antialiased edge's last fraction.
  const QSize size(int(std::ceil(fraction.x() + onDevice.width())) + 1,
                   int(std::ceil(fraction.y() + onDevice.height())) + 1);
  const QString key = QString::fromStdString(
      lookName(look, thousandths(onDevice.width()), thousandths(onDevice.height()),
               thousandths(fraction.x()), thousandths(fraction.y()), thousandths(scale),
               painter.renderHints().toInt()));
  QPixmap picture;
  if (!QPixmapCache::find(key, &picture)) {
    picture = QPixmap(size);
    picture.fill(Qt::transparent);
    QPainter picturePainter(&picture);
    picturePainter.setRenderHints(painter.renderHints());
    picturePainter.setFont(painter.font());
    picturePainter.translate(fraction);
    picturePainter.scale(scale, scale);
    picturePainter.translate(-area.topLeft());
    draw(picturePainter);
    picturePainter.end();
    // At the picture's own scale the copy is a plain copy of pixels, to the whole device pixel
    // the picture was drawn for. Set before it is kept: setting it later would copy it each time.
    picture.setDevicePixelRatio(scale);
    QPixmapCache::insert(key, picture);
  }
  painter.drawPixmap(toDevice.inverted().map(QPointF(origin)), picture);
}

}  // namespace tk::qt
