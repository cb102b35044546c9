#include "toolkit/qt/container_widgets.h"

#include <QPaintEvent>
#include <QPainter>

#include "toolkit/form.h"
#include "toolkit/frame.h"
#include "toolkit/qt/colours.h"
#include "toolkit/qt/graphical_painter.h"
#include "toolkit/qt/strings.h"

namespace tk::qt {

ContainerWidget::ContainerWidget(const Container& container, QWidget* parent)
    : QWidget(parent), container_(container) {
  setObjectName(toQString(container.name()));
  // Every container fills its whole rectangle, so nothing beneath needs painting first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  for (const Control* child : container.children()) shownAreas_[child] = shownArea(*child);
}

QRect ContainerWidget::shownArea(const Control& child) const {
  // A line may reach far outside; only what lies within the widget can be shown.
  return paintedArea(child).intersected(QRectF(rect())).toAlignedRect();
}

void ContainerWidget::showChange(const Control& child) {
  QRect& shown = shownAreas_[&child];  // every child's is recorded when the widget is made
  update(shown);
  shown = shownArea(child);
  update(shown);
}

void ContainerWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  // Rectangle by rectangle: filling or copying a whole rectangle is a plain copy of pixels, where
  // the same through a clip of several rectangles goes line by line, and past a few dozen lines
  // Qt hands the lines to helper threads, waking them on every tick.
  for (const QRect& area : event->region()) paintBackground(painter, area);
  for (const Control* child : container_.children()) {
    if (paintedArea(*child).intersects(event->rect())) paintGraphical(painter, *child);
  }
}

ClientAreaWidget::ClientAreaWidget(const Form& form, QWidget* parent)
    : ContainerWidget(form, parent), form_(form) {}

void ClientAreaWidget::paintBackground(QPainter& painter, const QRect& area) {
  painter.fillRect(area, toQColor(form_.backColour()));
  const QPixmap picture = resourcePicture(form_.picture());
  // Only the part of the picture in the area: the rest is not painted over.
  const QRect part = area & QRect(QPoint(0, 0), picture.deviceIndependentSize().toSize());
  if (!part.isEmpty()) painter.drawPixmap(part.topLeft(), picture, part);
}

FrameWidget::FrameWidget(const Frame& frame, QWidget* parent)
    : ContainerWidget(frame, parent), frame_(frame) {}

void FrameWidget::paintBackground(QPainter& painter, const QRect& area) {
  painter.fillRect(area, toQColor(frame_.backColour()));

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

  const QString caption = toQString(frame_.caption());
  if (caption.isEmpty()) return;
  constexpr int captionLeft = 8;
  constexpr int captionPadding = 2;
  const QRect textRect(captionLeft, 0, metrics.horizontalAdvance(caption) + 2 * captionPadding,
                       metrics.height());
  if (!textRect.intersects(area)) return;
  painter.fillRect(textRect & area, toQColor(frame_.backColour()));
  painter.setPen(palette().color(QPalette::ButtonText));
  painter.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, caption);
}

}  // namespace tk::qt
