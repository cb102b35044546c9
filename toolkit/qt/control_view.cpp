#include <QSignalBlocker>

#include "toolkit/qt/colours.h"
#include "toolkit/qt/container_widgets.h"
#include "toolkit/qt/control_views.h"
#include "toolkit/qt/geometry.h"

namespace tk::qt {

ControlView::ControlView(Control& control, QWidget* widget) : control_(control), widget_(widget) {
  widget_->setObjectName(QString::fromStdString(control.name()));
  // The form's pointer (an hourglass, say) is for its own surface; over a control the pointer
  // is the control's own, the arrow unless the widget chose one (a text box's I-beam).
  if (!widget_->testAttribute(Qt::WA_SetCursor)) widget_->setCursor(Qt::ArrowCursor);
}

void ControlView::apply(Property property) {
  const QSignalBlocker blocker(widget_);
  switch (property) {
    case Property::Bounds: widget_->setGeometry(toPixels(control_.bounds())); break;
    case Property::Visible: widget_->setVisible(control_.visible()); break;
    case Property::Enabled: widget_->setEnabled(control_.enabled()); break;
    case Property::Accessibility:
      widget_->setAccessibleName(QString::fromStdString(control_.accessibleName()));
      widget_->setToolTip(QString::fromStdString(control_.toolTip()));
      break;
    default: applyOwn(property); break;
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

std::unique_ptr<ControlView> makeView(Control& control, QWidget* parent) {
  switch (control.kind()) {
    case Kind::CommandButton:
      return std::make_unique<CommandButtonView>(static_cast<CommandButton&>(control), parent);
    case Kind::CheckBox:
      return std::make_unique<CheckBoxView>(static_cast<CheckBox&>(control), parent);
    case Kind::OptionButton:
      return std::make_unique<OptionButtonView>(static_cast<OptionButton&>(control), parent);
    case Kind::TextBox:
      return std::make_unique<TextBoxView>(static_cast<TextBox&>(control), parent);
    case Kind::ComboBox:
      return std::make_unique<ComboBoxView>(static_cast<ComboBox&>(control), parent);
    case Kind::ListBox:
      return std::make_unique<ListBoxView>(static_cast<ListBox&>(control), parent);
    case Kind::ProgressBar:
      return std::make_unique<ProgressBarView>(static_cast<ProgressBar&>(control), parent);
    case Kind::Slider:
      return std::make_unique<SliderView>(static_cast<Slider&>(control), parent);
    case Kind::PictureBox:
      return std::make_unique<PictureBoxView>(static_cast<PictureBox&>(control), parent);
    default: return nullptr;
  }
}

FrameView::FrameView(Frame& frame, FrameWidget* widget) : ControlView(frame, widget) {}

void FrameView::applyOwn(Property property) {
  if (property == Property::BackColour || property == Property::Caption) widget()->update();
}

void showBackColour(QWidget& widget, Colour colour) {
  QPalette palette = widget.palette();
  // Buttons paint their background in the button role, not the window one.
  palette.setColor(widget.backgroundRole(), toQColor(colour));
  widget.setPalette(palette);
  widget.setAutoFillBackground(true);
}

}  // namespace tk::qt
