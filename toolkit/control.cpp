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

void Control::setBounds(Rect bounds) { update(bounds_, bounds, Property::Bounds); }

void Control::setVisible(bool visible) { update(visible_, visible, Property::Visible); }

void Control::setEnabled(bool enabled) {
  if (update(enabled_, enabled, Property::Enabled)) enabledChanged();
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

void Container::setBackColour(Colour colour) { update(backColour_, colour, Property::BackColour); }

}  // namespace tk
