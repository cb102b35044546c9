#include "settings/clock_settings.h"

namespace settings {

void initSettings(ClockSettings& s) {
  s.backwards = flagFalse;
  s.alarmOn = flagFalse;
  s.alarmMinutes = 0;
  s.alarmSeconds = 0;
  s.digitalOn = flagTrue;
  s.secondHandColour = 0x000000;     // black
  s.minuteHandColour = 0x0000FF;     // red
  s.digitalBorderColour = 0xFFFFFF;  // white
  s.faceColour = 0xFFFFFF;           // white
  s.digitsColour = 0x000000;         // black
}

}  // namespace settings
