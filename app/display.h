#pragma once
// Whether the program has a display to show its window on, asked before Qt is started: Qt ends
// a program that has none with an abort and a core file, where a person needs one line saying so.

#include <optional>
#include <string>

namespace app {

// Why no X display can be opened, or nothing when one can. Asked only where Qt would open one:
// told another platform, or given a Wayland display, Qt chooses for itself.
std::optional<std::string> whyNoDisplay();

}  // namespace app
