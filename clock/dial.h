#pragma once
// Where the hands of the dial point for a reading. One unit of a reading is a sixtieth of a
// turn; value 0 points at twelve and growing values turn clockwise (window Y grows downwards).

#include <cstdint>

namespace clock_window {

struct DialGeometry {
  std::int16_t centreX;
  std::int16_t centreY;
  std::int16_t radius;
  double piValue;
};

struct HandEnds {
  float secondX, secondY;         // fractional twips, as the double sums round to single precision
  std::int16_t minuteX, minuteY;  // whole twips: offsets rounded half to even
};

// Angle in radians of a value on the 60-step scale. Computed in wide integers, so every 16-bit
// reading has a direction (values outside 0..59 wrap around the dial).
double handAngle(int value, double piValue);

HandEnds handEnds(std::int16_t minutes, std::int16_t seconds, const DialGeometry& dial);

}  // namespace clock_window
