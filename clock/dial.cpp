#include "clock/dial.h"

#include <cmath>

#include "toolkit/numbers.h"

namespace clock_window {

double handAngle(int value, double piValue) {
  // Multiply first, divide second: the hands' last bits depend on this order.
  return (static_cast<double>(value - 15) * piValue) / 30.0;
}

HandEnds handEnds(std::int16_t minutes, std::int16_t seconds, const DialGeometry& dial) {
  // All four offsets are worked out before either hand moves.
  const double secondAngle = handAngle(seconds, dial.piValue);
  const double dxS = dial.radius * std::cos(secondAngle);
  const double dyS = dial.radius * std::sin(secondAngle);
  const double minuteAngle = handAngle(minutes, dial.piValue);
  const std::int16_t dxM = tk::roundHalfEven16(dial.radius * std::cos(minuteAngle));
  const std::int16_t dyM = tk::roundHalfEven16(dial.radius * std::sin(minuteAngle));
  return {static_cast<float>(dial.centreX + dxS), static_cast<float>(dial.centreY + dyS),
          tk::add16(dial.centreX, dxM), tk::add16(dial.centreY, dyM)};
}

}  // namespace clock_window
