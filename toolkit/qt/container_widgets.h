#pragma once
// The widgets of the two container kinds: a form's client area and a frame. Each paints its
// back colour, then its graphical children in stacking order; windowed children are real child
// widgets on top.

#include <QWidget>

#include "toolkit/control.h"
#include "toolkit/painting.h"

namespace tk {
class Form;
class Frame;
}  // namespace tk

namespace tk::qt {

class ContainerWidget : public QWidget {
 public:
  ContainerWidget(const Container& container, QWidget* parent);
  const Container& container() const { return container_; }

  // Repaints a graphical child after a change: where it was shown and where it shows now.
  void showChange(const Control& child);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Paints the container's own background within `area`, where this paint is clipped to.
  virtual void paintBackground(QPainter& painter, const QRect& area) = 0;
  // Fills `area`, and where it reaches the widget's edge every device pixel the widget owns there,
  // the last partly covered ones included.
  void fillBackground(QPainter& painter, const QRect& area, const QColor& colour) const;

 private:
  // The pixels a child's painting touches, within this widget.
  PixelRect shownArea(const Control& child) const;

  const Container& container_;
  ShownAreas shownAreas_;
};

// The client area of a form: its back colour and its picture, unscaled at the top left.
class ClientAreaWidget : public ContainerWidget {
 public:
  ClientAreaWidget(const Form& form, QWidget* parent);

 protected:
  void paintBackground(QPainter& painter, const QRect& area) override;

 private:
  const Form& form_;
};

// A frame: filled with its back colour, an etched border with the caption set into its top edge.
class FrameWidget : public ContainerWidget {
 public:
  FrameWidget(const Frame& frame, QWidget* parent);

 protected:
  void paintBackground(QPainter& painter, const QRect& area) override;

 private:
  const Frame& frame_;
};

}  // namespace tk::qt
