#include "toolkit/control.h"

#include "toolkit/form.h"

namespace tk {

Control::Control(Container* parent, std::string name, Rect bounds, int tabIndex)
    : parent_(parent), name_(std::move(name)), bounds_(bounds), tabIndex_(tabIndex) {
  if (parent_ != nullptr) parent_->children_.push_back(this);
}

Form& Control::form() {
  Control* c = this;
  while (c->parent_ != nullptr) c = c->parent_;
  return static_cast<Form&>(*c);
}

const Form& Control::form() const { return const_cast<Control*>(this)->form(); }

void Control::setBounds(Rect bounds) {
  if (bounds == bounds_) return;
  bounds_ = bounds;
  changed(Property::Bounds);
}

void Control::setVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  changed(Property::Visible);
}

void Control::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  enabledChanged();
  changed(Property::Enabled);
}

void Control::setAccessibility(std::string accessibleName, std::string toolTip) {
  accessibleName_ = std::move(accessibleName);
  toolTip_ = std::move(toolTip);
  changed(Property::Accessibility);
}

void Control::changed(Property property) {
  if (ControlObserver* observer = form().observer()) observer->propertyChanged(*this, property);
}

void Control::raise(const Event& handler) { form().dispatch(handler); }

void Container::setBackColour(Colour colour) {
  if (colour == backColour_) return;
  backColour_ = colour;
  changed(Property::BackColour);
}

}  // namespace tk
