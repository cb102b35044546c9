#include "toolkit/qt/container_widgets.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include "toolkit/form.h"
#include "toolkit/frame.h"
#include "toolkit/qt/colours.h"
#include "toolkit/qt/geometry.h"
#include "toolkit/qt/graphical_painter.h"
#include "toolkit/qt/strings.h"

namespace tk::qt {

ContainerWidget::ContainerWidget(const Container& container, QWidget* parent)
    : QWidget(parent),
      container_(container),
      shownAreas_(container, [this](const Control& child) { return shownArea(child); }) {
  setObjectName(toQString(container.name()));
  // Every container fills its whole rectangle, so nothing beneath needs painting first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

PixelRect ContainerWidget::shownArea(const Control& child) const {
  // A line may reach far outside; only what lies within the widget can be shown.
  const QRect shown = paintedArea(child).intersected(QRectF(rect())).toAlignedRect();
  return {double(shown.x()), double(shown.y()), double(shown.width()), double(shown.height())};
}

void ContainerWidget::showChange(const Control& child) {
  const ShownAreas::Change change = shownAreas_.update(child);
  update(toQRect(change.before));
  update(toQRect(change.after));
}

// What a child shows is cut to this widget, so every place was measured against the old size:
// the size a widget has before it is laid out would leave a moved hand's old place unpainted.
void ContainerWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  shownAreas_.measureAll();
}

void ContainerWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  // Rectangle by rectangle: filling or copying a whole rectangle is a plain copy of pixels, where
  // the same through a clip of several rectangles goes line by line, and past a few dozen lines
  // Qt hands the lines to helper threads, waking them on every tick.
  for (const QRect& area : event->region()) paintBackground(painter, area);
  for (const Control* child : paintedChildren(container_)) {
    if (paintedArea(*child).intersects(event->rect())) paintGraphical(painter, *child);
  }
}

// At a fractional scale a widget's edge can fall inside a device pixel: at 1.5 a frame 97 pixels
// wide ends half way through its 146th device pixel, which is still the frame's to paint. Being
// opaque, nothing beneath paints that pixel first, and a smoothed fill that stops at the edge
// would leave it half dark: a grey line down the edge. An unsmoothed fill a pixel beyond the edge,
// cut off where the widget ends, covers it whole.
void ContainerWidget::fillBackground(QPainter& painter, const QRect& area,
                                     const QColor& colour) const {
  QRectF fill(area);
  if (area.right() == rect().right()) fill.adjust(0, 0, 1, 0);
  if (area.bottom() == rect().bottom()) fill.adjust(0, 0, 0, 1);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(fill, colour);
  painter.restore();
}

ClientAreaWidget::ClientAreaWidget(const Form& form, QWidget* parent)
    : ContainerWidget(form, parent), form_(form) {}

void ClientAreaWidget::paintBackground(QPainter& painter, const QRect& area) {
  fillBackground(painter, area, toQColor(form_.backColour()));
  const QPixmap picture = resourcePicture(form_.picture());
  // Only the part of the picture in the area: the rest is not painted over.
  const QRect part = area & QRect(QPoint(0, 0), picture.deviceIndependentSize().toSize());
  if (!part.isEmpty()) painter.drawPixmap(part.topLeft(), picture, part);
}

FrameWidget::FrameWidget(const Frame& frame, QWidget* parent)
    : ContainerWidget(frame, parent), frame_(frame) {}

void FrameWidget::paintBackground(QPainter& painter, const QRect& area) {
  fillBackground(painter, area, toQColor(frame_.backColour()));

  // A readout inside the frame changes every second; its border and caption only when it is
  // shown, so they are drawn only where the area reaches them.
  const QFontMetrics metrics = fontMetrics();
  const int borderTop = metrics.height() / 2;
  // An etched line: a shadow line with a highlight one pixel right and below it.
  const QRectF border = QRectF(rect()).adjusted(0.5, borderTop + 0.5, -1.5, -1.5);
  if (!border.adjusted(2, 2, -2, -2).contains(area)) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(border.translated(1, 1));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(border);
  }

  // Below the caption's line there is no caption to draw, and measuring it costs a text layout.
  if (area.top() >= metrics.height()) return;
  const QString caption = toQString(frame_.caption());
  if (caption.isEmpty()) return;
  constexpr int captionLeft = 8;
  constexpr int captionPadding = 2;
  const QRect textRect(captionLeft, 0, metrics.horizontalAdvance(caption) + 2 * captionPadding,
                       metrics.height());
  if (!textRect.intersects(area)) return;
  painter.fillRect(textRect & area, toQColor(frame_.backColour()));
  painter.setPen(readableTextOn(toQColor(frame_.backColour())));
  painter.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, caption);
}

}  // namespace tk::qt
