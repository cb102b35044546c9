#include <cmath>

#include "toolkit/qt/control_views.h"
#include "toolkit/qt/graphical_painter.h"
#include "toolkit/qt/strings.h"

namespace tk::qt {

ProgressBarView::ProgressBarView(ProgressBar& bar, QWidget* parent) : ViewOf(bar, parent) {
  widget()->setTextVisible(false);
}

void ProgressBarView::applyOwn(Property property) {
  if (property == Property::Range) {
    widget()->setRange(static_cast<int>(std::lround(model().min())),
                       static_cast<int>(std::lround(model().max())));
  }
  if (property == Property::Range || property == Property::Value) {
    // QProgressBar repaints at once when its value changes; with updates held off during the
    // change, it is repainted with the rest of the window instead.
    widget()->setUpdatesEnabled(false);
    widget()->setValue(static_cast<int>(std::lround(model().value())));
    widget()->setUpdatesEnabled(true);
  }
}

SliderView::SliderView(Slider& slider, QWidget* parent) : ViewOf(slider, parent) {
  const bool vertical = slider.orientation() == Orientation::Vertical;
  widget()->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
  // Min at the top, and the Up arrow moves the handle up, towards it.
  widget()->setInvertedAppearance(vertical);
  widget()->setInvertedControls(vertical);
  widget()->setTickPosition(QSlider::TicksBelow);  // below, or right of a vertical one
  widget()->setTickInterval(1);
  widget()->setSingleStep(1);
  widget()->setPageStep(5);  // the toolkit's large change: Page Up and Page Down move five places
  QObject::connect(widget(), &QSlider::valueChanged, [this](int value) {
    model().slideTo(value);
    apply(Property::Value);
  });
}

void SliderView::applyOwn(Property property) {
  if (property == Property::Range) widget()->setRange(model().min(), model().max());
  if (property == Property::Range || property == Property::Value) {
    widget()->setValue(model().value());
    apply(Property::Accessibility);
  }
}

QString SliderView::accessibleName() const {
  const std::string position = model().positionName();
  if (position.empty()) return toQString(model().accessibleName());
  return toQString(model().accessibleName() + ": " + position);
}

PictureBoxView::PictureBoxView(PictureBox& box, QWidget* parent) : ViewOf(box, parent) {
  widget()->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  widget()->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PictureBoxView::applyOwn(Property property) {
  if (property == Property::Picture) widget()->setPixmap(resourcePicture(model().picture()));
}

}  // namespace tk::qt
