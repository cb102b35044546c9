#include <QSignalBlocker>

#include "toolkit/qt/colours.h"
#include "toolkit/qt/container_widgets.h"
#include "toolkit/qt/control_views.h"
#include "toolkit/qt/geometry.h"
#include "toolkit/qt/strings.h"

namespace tk::qt {

ControlView::ControlView(Control& control, QWidget* widget) : control_(control), widget_(widget) {
  widget_->setObjectName(toQString(control.name()));
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
      widget_->setAccessibleName(toQString(control_.accessibleName()));
      widget_->setToolTip(toQString(control_.toolTip()));
      break;
    default:
      applyOwn(property);
      break;
  }
}

void ControlView::applyAll() {
  for (Property property :
       {Property::Bounds, Property::Enabled, Property::Accessibility, Property::Items,
        Property::Range, Property::Caption, Property::MaxLength, Property::Text,
        Property::ListIndex, Property::Value, Property::BackColour, Property::ForeColour,
        Property::Picture, Property::Visible}) {
    apply(property);
  }
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
