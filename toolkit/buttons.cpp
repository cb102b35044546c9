#include "toolkit/buttons.h"

namespace tk {

ButtonBase::ButtonBase(Container& parent, std::string name, std::string caption, Rect bounds,
                       int tabIndex)
    : Control(&parent, std::move(name), bounds, tabIndex), caption_(std::move(caption)) {}

void ButtonBase::setCaption(std::string caption) {
  update(caption_, std::move(caption), Property::Caption);
}

void ButtonBase::setBackColour(Colour colour) { update(backColour_, colour, Property::BackColour); }

void CommandButton::setGraphical(Colour backColour) {
  graphical_ = true;
  setBackColour(backColour);
}

void CommandButton::click() {
  if (enabled()) raise(onClick);
}

void CheckBox::setValue(int value) {
  if (update(value_, value, Property::Value)) raise(onClick);
}

void CheckBox::click() {
  if (enabled()) setValue(value_ == Checked ? Unchecked : Checked);
}

void OptionButton::setValue(bool value) {
  if (value == value_) return;
  value_ = value;
  if (value) {
    for (Control* sibling : parent()->children()) {
      if (sibling == this || sibling->kind() != Kind::OptionButton) continue;
      auto* other = static_cast<OptionButton*>(sibling);
      if (other->value_) {
        other->value_ = false;
        other->changed(Property::Value);
      }
    }
  }
  changed(Property::Value);
  if (value) raise(onClick);
}

void OptionButton::click() {
  if (enabled()) setValue(true);
}

}  // namespace tk
