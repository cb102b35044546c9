#include "settings/apply_settings.h"

#include "settings/colours.h"

namespace settings {

namespace {

bool isSaved(const Slots& slots, int slot) { return isSet(slots[static_cast<std::size_t>(slot - 1)].saved); }

// Slot 1 can always be chosen, and so can every saved slot and the slot after each saved one
// (where the next save goes). Load needs slot 1 saved.
void enableSlotControls(clock_window::ClockDesign& window, const Slots& slots) {
  window.optLoadSaveFive.setEnabled(isSaved(slots, 5));
  for (int slot = 4; slot >= 1; --slot) {
    if (isSaved(slots, slot)) {
      window.slotOption(slot).setEnabled(true);
      window.slotOption(slot + 1).setEnabled(true);
    } else if (slot > 1) {
      window.slotOption(slot).setEnabled(false);
    }
  }
  window.cmdLoad.setEnabled(isSaved(slots, 1));
}

// A record from the file may hold any 16-bit alarm time. One outside -59..59 shows and counts as
// 0, as a typed one does. The field is settled before the box is set, because setting a box to
// the text it already holds raises no Change to write the field back.
std::int16_t shownAlarmValue(std::int16_t stored) {
  return stored < -59 || stored > 59 ? 0 : stored;
}

}  // namespace

void applySettings(clock_window::ClockDesign& window, ClockSettings& s, const Slots& slots) {
  window.frmDigital.setVisible(isSet(s.digitalOn));
  window.secondHand.setBorderColour(s.secondHandColour);
  window.minuteHand.setBorderColour(s.minuteHandColour);
  window.frmDigital.setBackColour(s.digitalBorderColour);
  window.Clockface.setFillColour(s.faceColour);
  showDigitsColour(window, s.digitsColour);

  s.alarmMinutes = shownAlarmValue(s.alarmMinutes);
  s.alarmSeconds = shownAlarmValue(s.alarmSeconds);
  window.txtMinutes.setText(tk::decimalText(s.alarmMinutes));
  window.txtSeconds.setText(tk::decimalText(s.alarmSeconds));
  window.lblAlarmMinutes.setCaption(tk::decimalText(s.alarmMinutes));
  window.lblAlarmSeconds.setCaption(tk::decimalText(s.alarmSeconds));
  window.lstAlarm.setListIndex(isSet(s.alarmOn) ? 0 : 1);

  (isSet(s.backwards) ? window.optBackwards : window.optForwards).setValue(true);
  window.chkDigitalToggle.setValue(isSet(s.digitalOn) ? tk::CheckBox::Checked : tk::CheckBox::Unchecked);

  enableSlotControls(window, slots);
}

}  // namespace settings
