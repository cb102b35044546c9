#include "display.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>

namespace app {

namespace {

bool isSet(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

// The X display is what Qt opens unless told another platform, or a Wayland display is named.
bool usesX() {
  if (isSet("QT_QPA_PLATFORM"))
    return std::string_view(std::getenv("QT_QPA_PLATFORM")).starts_with("xcb");
  return !isSet("WAYLAND_DISPLAY");
}

}  // namespace

std::optional<std::string> whyNoDisplay() {
  if (!usesX()) return std::nullopt;
  if (!isSet("DISPLAY")) return "neither DISPLAY nor WAYLAND_DISPLAY is set";
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool connected = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  if (connected) return std::nullopt;
  return std::string("the X display \"") + std::getenv("DISPLAY") + "\" does not answer";
}

}  // namespace app
