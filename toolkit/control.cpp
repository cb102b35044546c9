#include "toolkit/control.h"

#include <vector>

#include "toolkit/form.h"

namespace tk {

Control::Control(Container* parent, std::string name, Rect bounds, int tabIndex)
    : parent_(parent), name_(std::move(name)), bounds_(bounds), tabIndex_(tabIndex) {
  if (parent_ != nullptr) parent_->children_.push_back(this);
}

Control::~Control() {
  if (parent_ != nullptr) std::erase(parent_->children_, this);
}

Form& Control::form() {
  Control* c = this;
  while (c->parent_ != nullptr) c = c->parent_;
  return static_cast<Form&>(*c);
}

const Form& Control::form() const { return const_cast<Control*>(this)->form(); }

void Control::setBounds(Rect bounds) { storeAndNotify(bounds_, bounds, Property::Bounds); }

void Control::setVisible(bool visible) { storeAndNotify(visible_, visible, Property::Visible); }

void Control::setEnabled(bool enabled) {
  if (storeAndNotify(enabled_, enabled, Property::Enabled)) enabledChanged();
}

void Control::setAccessibility(std::string accessibleName, std::string toolTip) {
  Accessibility changed = accessibility_;
  changed.name = std::move(accessibleName);
  changed.toolTip = std::move(toolTip);
  storeAndNotify(accessibility_, std::move(changed), Property::Accessibility);
}

void Control::setAccessibleName(std::string name) {
  setAccessibility(std::move(name), accessibility_.toolTip);
}

void Control::setAccessibleDescription(std::string description) {
  Accessibility changed = accessibility_;
  changed.description = std::move(description);
  storeAndNotify(accessibility_, std::move(changed), Property::Accessibility);
}

void Control::setAccessibleRole(AccessibleRole role) {
  Accessibility changed = accessibility_;
  changed.role = role;
  storeAndNotify(accessibility_, std::move(changed), Property::Accessibility);
}

AccessibleRole Control::accessibleRole() const {
  if (accessibility_.role != AccessibleRole::Default) return accessibility_.role;
  switch (kind()) {
    case Kind::Form:
      return AccessibleRole::Window;
    case Kind::CommandButton:
      return AccessibleRole::PushButton;
    case Kind::CheckBox:
      return AccessibleRole::CheckBox;
    case Kind::OptionButton:
      return AccessibleRole::RadioButton;
    case Kind::TextBox:
      return AccessibleRole::Text;
    case Kind::ComboBox:
      return AccessibleRole::ComboBox;
    case Kind::ListBox:
      return AccessibleRole::List;
    case Kind::Frame:
      return AccessibleRole::Grouping;
    case Kind::ProgressBar:
      return AccessibleRole::ProgressBar;
    case Kind::Slider:
      return AccessibleRole::Slider;
    case Kind::Label:
      return AccessibleRole::StaticText;
    case Kind::Image:
    case Kind::PictureBox:
    case Kind::Shape:
    case Kind::Line:
    case Kind::Timer:
      return AccessibleRole::Graphic;
  }
  return AccessibleRole::Graphic;
}

void Control::notifyBackend(Property property) {
  if (ControlObserver* observer = form().observer()) observer->propertyChanged(*this, property);
}

void Control::raise(const Event& handler) { form().dispatch(handler); }

Container::~Container() {
  for (Control* child : children_) child->parent_ = nullptr;
}

void Container::setBackColour(Colour colour) {
  storeAndNotify(backColour_, colour, Property::BackColour);
}

}  // namespace tk
