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

  cmdStartStop.setGraphical(0x00C000);     // green
  cmdReset.setGraphical(0xFFC0FF);         // pink
  cmdPreset.setGraphical(0x0000FF);        // red
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
}

tk::OptionButton& ClockDesign::slotOption(int slot) {
  switch (slot) {
    case 1: return optLoadSaveOne;
    case 2: return optLoadSaveTwo;
    case 3: return optLoadSaveThree;
    case 4: return optLoadSaveFour;
    case 5: return optLoadSaveFive;
    default: throw tk::RuntimeError::subscriptOutOfRange();
  }
}

}  // namespace clock_window
