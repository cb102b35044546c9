#include "toolkit/accessible_text.h"

#include "toolkit/common_controls.h"
#include "toolkit/form.h"
#include "toolkit/frame.h"
#include "toolkit/graphics.h"
#include "toolkit/text.h"

namespace tk {

namespace {

bool presented(const Control& control) {
  if (control.windowed() || control.kind() == Kind::Line || control.kind() == Kind::Timer) {
    return false;
  }
  return control.kind() == Kind::Label || !control.accessibleName().empty();
}

}  // namespace

std::vector<const Control*> presentedChildren(const Container& container) {
  std::vector<const Control*> presentedOnes;
  for (const Control* child : container.children()) {
    if (presented(*child)) presentedOnes.push_back(child);
  }
  return presentedOnes;
}

std::string spokenText(const Control& control) {
  if (!control.accessibleName().empty()) return control.accessibleName();
  if (const auto* label = dynamic_cast<const Label*>(&control)) return label->caption();
  return {};
}

std::string spokenName(const Control& control) {
  if (control.accessibleName().empty()) {
    if (const auto* frame = dynamic_cast<const Frame*>(&control)) return frame->caption();
    if (const auto* form = dynamic_cast<const Form*>(&control)) return form->caption();
  }
  const auto* slider = dynamic_cast<const Slider*>(&control);
  if (slider == nullptr || slider->positionName().empty()) return control.accessibleName();
  return control.accessibleName() + ": " + slider->positionName();
}

}  // namespace tk
