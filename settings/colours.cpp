#include "settings/colours.h"

namespace settings {

void changeColourClicked(clock_window::ClockDesign& window, ClockSettings& s) {
  if (!window.CommonDialog.showColour()) return;
  const tk::Colour chosen = window.CommonDialog.colour();
  switch (static_cast<ColourTarget>(window.sldColourPick.value())) {
    case ColourTarget::SecondHand:
      s.secondHandColour = chosen;
      window.secondHand.setBorderColour(s.secondHandColour);
      break;
    case ColourTarget::MinuteHand:
      s.minuteHandColour = chosen;
      window.minuteHand.setBorderColour(s.minuteHandColour);
      break;
    case ColourTarget::DigitalBorder:
      s.digitalBorderColour = chosen;
      window.frmDigital.setBackColour(s.digitalBorderColour);
      break;
    case ColourTarget::Face:
      s.faceColour = chosen;
      window.Clockface.setFillColour(s.faceColour);
      break;
    case ColourTarget::Digits:
      s.digitsColour = chosen;
      break;
  }
  showDigitsColour(window, s.digitsColour);
}

void showDigitsColour(clock_window::ClockDesign& window, tk::Colour colour) {
  window.lblDigitalClockSeconds.setForeColour(colour);
  window.lblDigitalClockMinutes.setForeColour(colour);
  window.lblMinutesName.setForeColour(colour);
  window.lblSecondsName.setForeColour(colour);
}

}  // namespace settings
