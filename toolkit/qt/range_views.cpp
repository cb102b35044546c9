#include <cmath>

#include "toolkit/qt/control_views.h"
#include "toolkit/qt/graphical_painter.h"

namespace tk::qt {

ProgressBarView::ProgressBarView(ProgressBar& bar, QWidget* parent)
    : ControlView(bar, new QProgressBar(parent)),
      bar_(bar),
      widget_(static_cast<QProgressBar*>(widget())) {
  widget_->setTextVisible(false);
}

void ProgressBarView::applyOwn(Property property) {
  if (property == Property::Range) {
    widget_->setRange(static_cast<int>(std::lround(bar_.min())),
                      static_cast<int>(std::lround(bar_.max())));
  }
  if (property == Property::Range || property == Property::Value) {
    // QProgressBar repaints at once when its value changes; with updates held off during the
    // change, it is repainted with the rest of the window instead.
    widget_->setUpdatesEnabled(false);
    widget_->setValue(static_cast<int>(std::lround(bar_.value())));
    widget_->setUpdatesEnabled(true);
  }
}

SliderView::SliderView(Slider& slider, QWidget* parent)
    : ControlView(slider, new QSlider(parent)),
      slider_(slider),
      widget_(static_cast<QSlider*>(widget())) {
  const bool vertical = slider.orientation() == Orientation::Vertical;
  widget_->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
  // Min at the top, and the Up arrow moves the handle up, towards it.
  widget_->setInvertedAppearance(vertical);
  widget_->setInvertedControls(vertical);
  widget_->setTickPosition(QSlider::TicksBelow);  // below, or right of a vertical one
  widget_->setTickInterval(1);
  widget_->setSingleStep(1);
  widget_->setPageStep(5);  // the toolkit's large change: Page Up and Page Down move five places
  QObject::connect(widget_, &QSlider::valueChanged, [this](int value) {
    slider_.slideTo(value);
    apply(Property::Value);
  });
}

void SliderView::applyOwn(Property property) {
  if (property == Property::Range) widget_->setRange(slider_.min(), slider_.max());
  if (property == Property::Range || property == Property::Value) {
    widget_->setValue(slider_.value());
  }
}

PictureBoxView::PictureBoxView(PictureBox& box, QWidget* parent)
    : ControlView(box, new QLabel(parent)), box_(box), widget_(static_cast<QLabel*>(widget())) {
  widget_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  widget_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PictureBoxView::applyOwn(Property property) {
  if (property == Property::Picture) widget_->setPixmap(resourcePicture(box_.picture()));
}

}  // namespace tk::qt
