#pragma once
// What the colour slider's positions recolour: 0 the second hand, 1 the minute hand, 2 the
// digital readout's border, 3 the face, 4 the digits, in the order its labels list them.

#include "settings/clock_settings.h"

namespace clock_window {

// The colour field of `settings` that slider position `position` picks; none for a position
// outside 0..4, which changes no colour.
tk::Colour* colourFieldAt(settings::ClockSettings& settings, int position);

}  // namespace clock_window
