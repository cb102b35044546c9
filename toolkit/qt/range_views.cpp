#include <QStyle>
#include <QStyleOptionProgressBar>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "toolkit/accessible_text.h"
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
    widget()->setValue(static_cast<int>(std::lround(model().value())));
  }
  if (property == Property::Value) showValue();
}

int ProgressBarView::fillEdge() const {
  QStyleOptionProgressBar option;
  option.initFrom(widget());
  option.minimum = widget()->minimum();
  option.maximum = widget()->maximum();
  const QRect contents =
      widget()->style()->subElementRect(QStyle::SE_ProgressBarContents, &option, widget());
  const int steps = std::max(1, widget()->maximum() - widget()->minimum());
  return contents.left() + contents.width() * (widget()->value() - widget()->minimum()) / steps;
}

// A bar that moves one step a second changes a few pixels' width at the end of its filled part:
// only those are repainted. QProgressBar would repaint itself whole at once, or not at all when
// it judges a step too small to see, so its own repaint is held off while the value changes.
void ProgressBarView::showValue() {
  QProgressBar* bar = widget();
  const int before = fillEdge();
  bar->setAttribute(Qt::WA_UpdatesDisabled, true);
  bar->setValue(static_cast<int>(std::lround(model().value())));
  bar->setAttribute(Qt::WA_UpdatesDisabled, false);
  const int after = fillEdge();
  // The end of the filled part is drawn with a border and a highlight a few pixels wide.
  constexpr int endWidth = 4;
  const QRect changed(std::min(before, after) - endWidth, 0,
                      std::abs(after - before) + 2 * endWidth, bar->height());
  bar->update(QStyle::visualRect(bar->layoutDirection(), bar->rect(), changed));
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

QString SliderView::accessibleName() const { return toQString(spokenName(model())); }

PictureBoxView::PictureBoxView(PictureBox& box, QWidget* parent) : ViewOf(box, parent) {
  widget()->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  widget()->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PictureBoxView::applyOwn(Property property) {
  if (property == Property::Picture) widget()->setPixmap(resourcePicture(model().picture()));
}

}  // namespace tk::qt
