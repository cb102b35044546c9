#pragma once
// A window's changes while the event loop catches up: while held, each change is only noted;
// the release shows each changed property once, as it is then. Thousands of catch-up ticks cost
// the screen one update.

#include <functional>
#include <utility>
#include <vector>

#include "toolkit/control.h"

namespace tk {

class HeldChanges {
 public:
  using Show = std::function<void(Control&, Property)>;
  explicit HeldChanges(Show show) : show_(std::move(show)) {}

  void hold() { held_ = true; }
  // Shows the change at once, or notes it while held.
  void changed(Control& control, Property property);
  // Shows what was noted, in the order first changed.
  void release();

 private:
  Show show_;
  bool held_ = false;
  std::vector<std::pair<Control*, Property>> noted_;
};

}  // namespace tk
