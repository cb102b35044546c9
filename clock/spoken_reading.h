#pragma once
// The reading in words, for screen readers: what the digital readout shows, sign included.

#include <cstdint>
#include <string>

namespace clock_window {

// "5 minutes 12 seconds", "1 minute minus 1 second", "minus 3 minutes 0 seconds".
std::string spokenReading(std::int16_t minutes, std::int16_t seconds);

}  // namespace clock_window
