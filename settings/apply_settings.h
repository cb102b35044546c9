#pragma once
// Shows a whole settings record in the window, and lets the slot buttons and Load follow the
// slots' saved flags.

#include "clock/clock_design.h"
#include "settings/clock_settings.h"

namespace settings {

// The alarm boxes and the On/Off list raise their events as they are set, so `s` comes back
// agreeing with the controls (alarm times within +-59, alarmOn exactly when "On" is selected).
// The direction buttons and the digital switch show the record's own direction and switch, so
// the window never shows a direction other than the one the watch counts in.
void applySettings(clock_window::ClockDesign& window, ClockSettings& s, const Slots& slots);

}  // namespace settings
