#pragma once
// Whether the program has a display to show its window on, asked before Qt is started: Qt ends
// a program that has none with an abort and a core file, where a person needs one line saying so.

#include <optional>
#include <string>

namespace app {

// Why no display can be opened, or nothing when one can (or when Qt is told which platform to
// use, or a Wayland display is named: Qt then chooses for itself).
std::optional<std::string> whyNoDisplay();

}  // namespace app
