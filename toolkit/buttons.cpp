#include "toolkit/buttons.h"

namespace tk {

ButtonBase::ButtonBase(Container& parent, std::string name, std::string caption, Rect bounds,
                       int tabIndex)
    : Control(&parent, std::move(name), bounds, tabIndex), caption_(std::move(caption)) {}

void ButtonBase::setCaption(std::string caption) {
  storeAndNotify(caption_, std::move(caption), Property::Caption);
}

void ButtonBase::setBackColour(Colour colour) {
  storeAndNotify(backColour_, colour, Property::BackColour);
}

void CommandButton::setGraphical(Colour backColour) {
  graphical_ = true;
  setBackColour(backColour);
}

void CommandButton::click() {
  if (enabled()) raise(onClick);
}

void CheckBox::setValue(int value) { storeAndNotify(value_, value, Property::Value, onClick); }

void CheckBox::click() {
  if (enabled()) setValue(value_ == Checked ? Unchecked : Checked);
}

void OptionButton::setValue(bool value) {
  if (!storeAndNotify(value_, value, Property::Value) || !value) return;
  parent()->forEachChildOfType<OptionButton>([this](OptionButton& other) {
    if (&other != this) other.setValue(false);  // clearing one raises nothing
  });
  raise(onClick);
}

void OptionButton::click() {
  if (enabled()) setValue(true);
}

}  // namespace tk
