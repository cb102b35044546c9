#include "clock/clock_design.h"

namespace clock_window {

namespace {
constexpr tk::Colour white = 0xFFFFFF;
}

ClockDesign::ClockDesign(tk::Platform& platform)
    : tk::Form(platform, "frmClock", "Stopwatch", 7935, 6105) {
  borderStyle = tk::BorderStyle::None;
  mousePointer = tk::MousePointer::ArrowHourglass;
  setBackColour(tk::SystemColour::windowBackground);
  setPicture("arrows.gif");

  cmdStartStop.setGraphical(0x00C000);  // green
  cmdReset.setGraphical(0xFFC0FF);      // pink
  cmdPreset.setGraphical(0x0000FF);     // red
  cmdChangeColour.setGraphical(white);
  optBackwards.setBackColour(white);
  optForwards.setBackColour(white);
  optForwards.setValue(true);
  chkDigitalToggle.setBackColour(white);
  chkDigitalToggle.setValue(tk::CheckBox::Checked);
  lblDigitalToggle.setOpaque(white);
  txtSeconds.setMaxLength(3);
  txtMinutes.setMaxLength(3);
  frmDigital.setBackColour(white);
  frmLoadSave.setBackColour(white);

  for (int slot = 1; slot <= 5; ++slot) {
    slotOption(slot).setBackColour(white);
    slotOption(slot).setEnabled(slot == 1);
  }
  optLoadSaveOne.setValue(true);
  cmdLoad.setEnabled(false);
  chkClearSaved.setBackColour(white);

  Clockface.setFillColour(white);
  secondHand.setBorderColour(0x0000FF);
  imgAlarm.setVisible(false);

  describeForAssistiveTechnology();
}

// What each control is for, for screen readers; and a tooltip where a control shows no readable
// text of its own (the slot buttons and the digital switch show only their boxes). The window
// names Start/Stop and the dial anew as the watch runs.
void ClockDesign::describeForAssistiveTechnology() {
  cmdReset.setAccessibility("Reset the reading to zero");
  cmdPreset.setAccessibility("Preset the reading from the two lists");
  optBackwards.setAccessibility("Count backwards");
  optForwards.setAccessibility("Count forwards");
  lstMinutes.setAccessibility("Preset minutes", "Minutes for Preset Now");
  lstSeconds.setAccessibility("Preset seconds", "Seconds for Preset Now");
  cmdChangeColour.setAccessibility("Change the colour of the part chosen with the slider");
  sldColourPick.setAccessibility("Colour target",
                                 "Colour target: second hand, minute hand, digital border, "
                                 "stopwatch face or digital digits, top to bottom");
  sldColourPick.setPositionNames({lblColourSecondHand.caption(), lblColourMinuteHand.caption(),
                                  lblColourDigitalBorder.caption(), lblColourFace.caption(),
                                  lblColourDigits.caption()});
  chkDigitalToggle.setAccessibility("Digital Clock On", "Show the digital readout");
  chkDigitalToggle.setAccessibleDescription("Shows the digital readout");
  txtMinutes.setAccessibility("Alarm minute", "Alarm minute, -59 to 59");
  txtSeconds.setAccessibility("Alarm second", "Alarm second, -59 to 59");
  lstAlarm.setAccessibility("Alarm on or off");
  ProgressBar.setAccessibility("Seconds of the reading", "Seconds of the reading");
  cmdLoad.setAccessibility("Load the chosen slot");
  cmdSave.setAccessibility("Save into the chosen slot");
  chkClearSaved.setAccessibility("Clear all saved slots");
  for (int slot = 1; slot <= 5; ++slot) {
    const std::string name = "Slot " + std::to_string(slot);
    slotOption(slot).setAccessibility(name, name);
  }
  frmLoadSave.setAccessibility("Load and save slots");
  frmDigital.setAccessibility("Digital readout");
  lblDigitalClockMinutes.setAccessibleDescription("Minutes of the reading");
  lblDigitalClockSeconds.setAccessibleDescription("Seconds of the reading");
  lblAlarmMinutes.setAccessibleDescription("Alarm minute");
  lblAlarmSeconds.setAccessibleDescription("Alarm second");
  // The dial is always on screen, whatever the digital switch says: it carries the reading as
  // words.
  Clockface.setAccessibleRole(tk::AccessibleRole::StaticText);
  Clockface.setAccessibleDescription("Reading of the stopwatch");
  imgAlarm.setAccessibility("Alarm");
  imgAlarm.setAccessibleDescription("Blinks when the reading reaches the alarm time");
}

tk::OptionButton& ClockDesign::slotOption(int slot) {
  switch (slot) {
    case 1:
      return optLoadSaveOne;
    case 2:
      return optLoadSaveTwo;
    case 3:
      return optLoadSaveThree;
    case 4:
      return optLoadSaveFour;
    case 5:
      return optLoadSaveFive;
    default:
      throw tk::RuntimeError::subscriptOutOfRange();
  }
}

}  // namespace clock_window
