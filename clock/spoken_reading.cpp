#include "clock/spoken_reading.h"

#include <cstdlib>

namespace clock_window {

namespace {

// Widened first, so that -32768 minutes reads as itself.
std::string spokenAmount(int amount, const std::string& unit) {
  std::string text = amount < 0 ? "minus " : "";
  text += std::to_string(std::abs(amount)) + " " + unit;
  if (std::abs(amount) != 1) text += "s";
  return text;
}

}  // namespace

std::string spokenReading(std::int16_t minutes, std::int16_t seconds) {
  return spokenAmount(minutes, "minute") + " " + spokenAmount(seconds, "second");
}

}  // namespace clock_window
