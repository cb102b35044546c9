// The settings the window shows: the alarm time and switch, the colours, and a whole record
// shown at once (loaded from a slot, or at start-up).

#include <cmath>

#include "clock/colour_targets.h"
#include "clock/frm_clock.h"

namespace clock_window {

using settings::isSet;

tk::Colour* colourFieldAt(settings::ClockSettings& settings, int position) {
  switch (position) {
    case 0:
      return &settings.secondHandColour;
    case 1:
      return &settings.minuteHandColour;
    case 2:
      return &settings.digitalBorderColour;
    case 3:
      return &settings.faceColour;
    case 4:
      return &settings.digitsColour;
    default:
      return nullptr;
  }
}

namespace {

// A record from the file may hold any 16-bit alarm time. One outside -59..59 shows and counts as
// 0, as a typed one does.
std::int16_t shownAlarmValue(std::int16_t stored) {
  return stored < -59 || stored > 59 ? 0 : stored;
}

}  // namespace

// Change of an alarm time box: a value beyond +-59 is replaced by "0" (whose own Change runs
// first, nested), the label echoes the value read from the box, and the field takes it rounded
// half to even.
void FrmClock::alarmBoxChanged(tk::TextBox& box, tk::Label& echo, std::int16_t& field) {
  // A number too large for a double reads as infinity and is out of range like any other.
  if (std::fabs(tk::readNumber(box.text())) > 59) box.setText("0");
  echo.setCaption(tk::shortestText(tk::readNumber(box.text())));
  field = tk::roundHalfEven16(tk::readNumber(box.text()));
}

// Click of the On/Off list: item 1 is "Off"; every other item switches the alarm on.
void FrmClock::alarmSwitchClicked() {
  const bool on = lstAlarm.listIndex() != 1;
  txtSeconds.setEnabled(on);
  txtMinutes.setEnabled(on);
  settings_.alarmOn = settings::toFlag(on);
}

// Click of "Change Colour": the slider picks the target, the colour dialog the colour.
// Cancelling the dialog changes nothing.
void FrmClock::changeColourClicked() {
  if (!CommonDialog.showColour()) return;
  if (tk::Colour* field = colourFieldAt(settings_, sldColourPick.value())) {
    *field = CommonDialog.colour();
  }
  showColours();
}

// The hands, the face, the readout's frame and the four readout labels in the record's colours.
// A control given the colour it already has does not change, so only the new one is redrawn.
void FrmClock::showColours() {
  secondHand.setBorderColour(settings_.secondHandColour);
  minuteHand.setBorderColour(settings_.minuteHandColour);
  frmDigital.setBackColour(settings_.digitalBorderColour);
  Clockface.setFillColour(settings_.faceColour);
  for (tk::Label* label :
       {&lblDigitalClockSeconds, &lblDigitalClockMinutes, &lblMinutesName, &lblSecondsName}) {
    label->setForeColour(settings_.digitsColour);
  }
}

// Shows the current record whole. The alarm boxes and the On/Off list raise their events as they
// are set, so the record comes back agreeing with the controls (alarm times within +-59, alarmOn
// exactly when "On" is selected). The direction buttons and the digital switch show the record's
// own direction and switch, so the window never shows a direction other than the one the watch
// counts in.
void FrmClock::applySettings() {
  frmDigital.setVisible(isSet(settings_.digitalOn));
  showColours();

  // The fields are settled before the boxes are set, because setting a box to the text it
  // already holds raises no Change to write the field back.
  settings_.alarmMinutes = shownAlarmValue(settings_.alarmMinutes);
  settings_.alarmSeconds = shownAlarmValue(settings_.alarmSeconds);
  txtMinutes.setText(tk::decimalText(settings_.alarmMinutes));
  txtSeconds.setText(tk::decimalText(settings_.alarmSeconds));
  lblAlarmMinutes.setCaption(tk::decimalText(settings_.alarmMinutes));
  lblAlarmSeconds.setCaption(tk::decimalText(settings_.alarmSeconds));
  lstAlarm.setListIndex(isSet(settings_.alarmOn) ? 0 : 1);

  // Their Clicks, raised here, leave the record alone: a flag the file holds as 1 or 0x8000
  // stays so, where the handlers would write -1.
  showingRecord_ = true;
  (isSet(settings_.backwards) ? optBackwards : optForwards).setValue(true);
  chkDigitalToggle.setValue(isSet(settings_.digitalOn) ? tk::CheckBox::Checked
                                                       : tk::CheckBox::Unchecked);
  showingRecord_ = false;
  enableSlotControls();
}

}  // namespace clock_window
