#include "settings/alarm.h"

#include <cmath>

namespace settings {

void alarmTextChanged(tk::TextBox& box, tk::Label& echo, std::int16_t& field) {
  // A number too large for a double reads as infinity and is out of range like any other.
  if (std::fabs(tk::readNumber(box.text())) > 59) box.setText("0");
  echo.setCaption(tk::shortestText(tk::readNumber(box.text())));
  field = tk::roundHalfEven16(tk::readNumber(box.text()));
}

void alarmSwitchClicked(clock_window::ClockDesign& window, ClockSettings& s) {
  const bool on = window.lstAlarm.listIndex() != 1;
  window.txtSeconds.setEnabled(on);
  window.txtMinutes.setEnabled(on);
  s.alarmOn = toFlag(on);
}

void alarmFlashTimer(clock_window::ClockDesign& window) {
  window.TimerAlarmFlash.setInterval(100);
  window.frmDigital.setVisible(!window.frmDigital.visible());
  window.imgAlarm.setVisible(!window.imgAlarm.visible());
}

}  // namespace settings
