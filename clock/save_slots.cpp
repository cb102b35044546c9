// The five save slots: choosing one, Save, Load and Clear Saved, and the save file behind them.

#include "clock/frm_clock.h"

namespace clock_window {

using settings::flagTrue;

bool FrmClock::slotSaved(int slot) const {
  return settings::isSet(slots_[static_cast<std::size_t>(slot - 1)].saved);
}

// Slot 1 can always be chosen, and so can every saved slot and the slot after each saved one
// (where the next save goes). Load needs slot 1 saved.
void FrmClock::enableSlotControls() {
  optLoadSaveFive.setEnabled(slotSaved(5));
  for (int slot = 4; slot >= 1; --slot) {
    if (slotSaved(slot)) {
      slotOption(slot).setEnabled(true);
      slotOption(slot + 1).setEnabled(true);
    } else if (slot > 1) {
      slotOption(slot).setEnabled(false);
    }
  }
  cmdLoad.setEnabled(slotSaved(1));
}

int FrmClock::chosenSlot() {
  int chosen = 0;
  for (int slot = 1; slot <= settings::slotCount; ++slot) {
    if (slotOption(slot).value()) chosen = slot;
  }
  if (chosen == 0) throw tk::RuntimeError::subscriptOutOfRange();
  return chosen;
}

// Save and Clear Saved change only their own part of the file as it is now (another copy of the
// program may have saved other slots since this one read it); the slots then show the file.
void FrmClock::saveClicked() {
  settings::ClockSettings record = settings_;
  record.saved = flagTrue;
  const store::FileResult result =
      saveFile_.update(slots_, store::SlotsChange::saveInto(chosenSlot(), record));
  applySettings();
  cmdLoad.setEnabled(true);
  if (!result) showSaveFileError(result);
}

void FrmClock::loadClicked() {
  settings_ = slots_[static_cast<std::size_t>(chosenSlot() - 1)];
  applySettings();
}

void FrmClock::clearSavedClicked() {
  // A momentary button: ticking it clears the slots, and it unticks itself at once. Unticking
  // raises this handler once more, which finds the box unticked and does nothing.
  if (chkClearSaved.value() == tk::CheckBox::Checked) {
    const store::FileResult result = saveFile_.update(slots_, store::SlotsChange::clearSaved());
    if (!result) showSaveFileError(result);
    applySettings();
    optLoadSaveOne.setValue(true);
  }
  chkClearSaved.setValue(tk::CheckBox::Unchecked);
}

void FrmClock::loadSlotsFromFile() {
  const store::FileResult result = saveFile_.load(slots_);
  applySettings();
  if (!result) showSaveFileError(result);
}

void FrmClock::showSaveFileError(const store::FileResult& result) {
  platform().messages.show(result.message());
}

}  // namespace clock_window
