#pragma once
// The alarm: its time typed into two boxes, its on/off switch, and the blinking when it fires.
// The tick decides when the alarm fires and when the blinking ends.

#include <cstdint>

#include "clock/clock_design.h"
#include "settings/clock_settings.h"

namespace settings {

// Change of an alarm time box: a value beyond +-59 is replaced by "0" (whose own Change runs
// first, nested), the label echoes the value read from the box, and the field takes it rounded
// half to even.
void alarmTextChanged(tk::TextBox& box, tk::Label& echo, std::int16_t& field);

// Click of the On/Off list: item 1 is "Off"; every other item switches the alarm on.
void alarmSwitchClicked(clock_window::ClockDesign& window, ClockSettings& s);

// One blink: the readout and the alarm picture each toggle, then again every 100 ms.
void alarmFlashTimer(clock_window::ClockDesign& window);

}  // namespace settings
