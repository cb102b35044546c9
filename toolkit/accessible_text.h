#pragma once
// What assistive technology is told of controls beyond their own properties, the same for every
// backend: which painted controls a reader meets as elements, and the words they and a slider say.

#include <string>
#include <vector>

#include "toolkit/control.h"

namespace tk {

// The graphical children of `container` a reader meets as elements of the container, in
// stacking order, hidden ones included (a reader is told they are hidden): its labels, and the
// pictures and shapes the form named. Lines and timers never.
std::vector<const Control*> presentedChildren(const Container& container);

// What a graphical control says: its accessible name, or else a label's caption.
std::string spokenText(const Control& control);

// A windowed control's accessible name; a slider's adds the part its position picks
// ("Colour target: Face"), and a frame or form without one is called by its caption.
std::string spokenName(const Control& control);

}  // namespace tk
