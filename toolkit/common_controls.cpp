#include "toolkit/common_controls.h"

#include <algorithm>

#include "toolkit/form.h"

namespace tk {

ProgressBar::ProgressBar(Container& parent, std::string name, Rect bounds, int tabIndex, double min,
                         double max)
    : Control(&parent, std::move(name), bounds, tabIndex), min_(min), max_(max), value_(min) {}

void ProgressBar::setValue(double value) {
  if (value < min_ || value > max_) throw RuntimeError::invalidPropertyValue();
  storeAndNotify(value_, value, Property::Value);
}

Slider::Slider(Container& parent, std::string name, Rect bounds, int tabIndex, int min, int max,
               Orientation orientation)
    : Control(&parent, std::move(name), bounds, tabIndex),
      min_(min),
      max_(max),
      value_(min),
      orientation_(orientation) {}

void Slider::slideTo(int value) {
  value = std::clamp(value, min_, max_);
  if (enabled()) storeAndNotify(value_, value, Property::Value);
}

void Slider::setPositionNames(std::vector<std::string> names) {
  storeAndNotify(positionNames_, std::move(names), Property::Accessibility);
}

std::string Slider::positionName() const {
  const auto index = static_cast<std::size_t>(value_ - min_);
  return index < positionNames_.size() ? positionNames_[index] : std::string();
}

bool ColourDialog::showColour() {
  auto chosen = form_.platform().colours.choose(colour_);
  if (!chosen) return false;
  colour_ = *chosen;
  return true;
}

}  // namespace tk
