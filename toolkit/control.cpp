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
  storeAndNotify(accessibility_, {std::move(accessibleName), std::move(toolTip)},
                 Property::Accessibility);
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
