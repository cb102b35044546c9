#include <QSignalBlocker>

#include "toolkit/qt/accessibility.h"
#include "toolkit/qt/colours.h"
#include "toolkit/qt/container_widgets.h"
#include "toolkit/qt/control_views.h"
#include "toolkit/qt/geometry.h"
#include "toolkit/qt/strings.h"

namespace tk::qt {

ControlView::ControlView(Control& control, QWidget* widget) : control_(control), widget_(widget) {
  widget_->setObjectName(toQString(control.name()));
  linkToControl(*widget_, control);
  // The form's pointer (an hourglass, say) is for its own surface; over a control the pointer
  // is the control's own, the arrow unless the widget chose one (a text box's I-beam).
  if (!widget_->testAttribute(Qt::WA_SetCursor)) widget_->setCursor(Qt::ArrowCursor);
}

void ControlView::apply(Property property) {
  const QSignalBlocker blocker(widget_);
  switch (property) {
    case Property::Bounds:
      widget_->setGeometry(toPixels(control_.bounds()));
      break;
    case Property::Visible:
      widget_->setVisible(control_.visible());
      break;
    case Property::Enabled:
      widget_->setEnabled(control_.enabled());
      break;
    case Property::Accessibility:
      widget_->setAccessibleName(accessibleName());
      widget_->setAccessibleDescription(toQString(control_.accessibleDescription()));
      widget_->setToolTip(toQString(control_.toolTip()));
      break;
    default:
      applyOwn(property);
      break;
  }
}

QString ControlView::accessibleName() const { return toQString(control_.accessibleName()); }

void ControlView::applyAll() {
  for (Property property : viewProperties) apply(property);
}

namespace {
template <typename View>
std::unique_ptr<ControlView> viewOf(Control& control, QWidget* parent) {
  return std::make_unique<View>(static_cast<typename View::ModelType&>(control), parent);
}
}  // namespace

std::unique_ptr<ControlView> makeView(Control& control, QWidget* parent) {
  switch (control.kind()) {
    case Kind::CommandButton:
      return viewOf<CommandButtonView>(control, parent);
    case Kind::CheckBox:
      return viewOf<CheckBoxView>(control, parent);
    case Kind::OptionButton:
      return viewOf<OptionButtonView>(control, parent);
    case Kind::TextBox:
      return viewOf<TextBoxView>(control, parent);
    case Kind::ComboBox:
      return viewOf<ComboBoxView>(control, parent);
    case Kind::ListBox:
      return viewOf<ListBoxView>(control, parent);
    case Kind::ProgressBar:
      return viewOf<ProgressBarView>(control, parent);
    case Kind::Slider:
      return viewOf<SliderView>(control, parent);
    case Kind::PictureBox:
      return viewOf<PictureBoxView>(control, parent);
    default:
      return nullptr;
  }
}

FrameView::FrameView(Frame& frame, FrameWidget* widget) : ControlView(frame, widget) {}

void FrameView::applyOwn(Property property) {
  if (property == Property::BackColour || property == Property::Caption) widget()->update();
}

void showBackColour(QWidget& widget, Colour colour) {
  QPalette palette = widget.palette();
  // Buttons paint their background in the button role, not the window one. A caption on a
  // background of the control's own stays readable whatever that colour is.
  const QColor background = toQColor(colour);
  palette.setColor(widget.backgroundRole(), background);
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, widget.foregroundRole(), readableTextOn(background));
  }
  widget.setPalette(palette);
  widget.setAutoFillBackground(true);
}

}  // namespace tk::qt
