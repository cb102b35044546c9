#include "toolkit/held_changes.h"

#include <algorithm>

namespace tk {

void HeldChanges::changed(Control& control, Property property) {
  if (!held_) {
    show_(control, property);
    return;
  }
  const std::pair change{&control, property};
  if (std::find(noted_.begin(), noted_.end(), change) == noted_.end()) noted_.push_back(change);
}

void HeldChanges::release() {
  held_ = false;
  for (const auto& [control, property] : std::exchange(noted_, {})) show_(*control, property);
}

}  // namespace tk
