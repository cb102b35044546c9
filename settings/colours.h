#pragma once
// Recolouring the hands, the face, the readout's frame and its digits. The slider picks the
// target; the colour dialog picks the colour.

#include "clock/clock_design.h"
#include "settings/clock_settings.h"

namespace settings {

enum class ColourTarget { SecondHand = 0, MinuteHand = 1, DigitalBorder = 2, Face = 3, Digits = 4 };

// Click of "Change Colour". Cancelling the dialog changes nothing.
void changeColourClicked(clock_window::ClockDesign& window, ClockSettings& s);

// The four readout labels take the digits colour.
void showDigitsColour(clock_window::ClockDesign& window, tk::Colour colour);

}  // namespace settings
