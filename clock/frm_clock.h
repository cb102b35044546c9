#pragma once
// The Stopwatch main window: the running reading, the dial geometry, the alarm's flash count,
// the current settings and the five save slots, and the handlers that change them.

#include <cstdint>
#include <memory>

#include "clock/clock_design.h"
#include "clock/dial.h"
#include "settings/clock_settings.h"
#include "store/save_file.h"

namespace about {
class FrmAbout;
}

namespace clock_window {

class FrmClock : public ClockDesign {
 public:
  explicit FrmClock(tk::Platform& platform);
  ~FrmClock() override;

  std::int16_t minutes() const { return minutes_; }
  std::int16_t seconds() const { return seconds_; }
  // An alarm blinks through the tick that reaches it and the next two; the third tick after it
  // ends the blinking. flashCount() counts those ticks (a new window's first ones too) and
  // stays at alarmBlinkTicks once they are over.
  static constexpr std::int16_t alarmBlinkTicks = 3;
  std::int16_t flashCount() const { return flashCount_; }
  const DialGeometry& dial() const { return dial_; }
  const settings::ClockSettings& currentSettings() const { return settings_; }
  const settings::Slots& slots() const { return slots_; }
  about::FrmAbout* aboutWindow() const { return frmAbout_.get(); }

  // Sets the reading as Preset Now does, but to any 16-bit value where the lists offer 0..59;
  // lets tests and tools reach readings that would take days of ticking.
  void presetReading(std::int16_t minutes, std::int16_t seconds) {
    minutes_ = minutes;
    seconds_ = seconds;
  }

 private:
  // frm_clock.cpp: start-up, the tick, the display and the alarm's blinking.
  void wireHandlers();
  void load();
  void fillPresetLists();
  void tick();
  void updateDisplay();
  void startStopClicked();
  void startFlash();
  void alarmFlashTimer();
  void endFlash();
  bool flashing() const;
  void describeRunState();

  // shown_settings.cpp: the alarm time and switch, the colours and showing a whole record.
  void alarmBoxChanged(tk::TextBox& box, tk::Label& echo, std::int16_t& field);
  void alarmSwitchClicked();
  void changeColourClicked();
  void showColours();
  void applySettings();

  // save_slots.cpp: the five slots, Load, Save, Clear Saved and the save file.
  void enableSlotControls();
  void saveClicked();
  void loadClicked();
  void clearSavedClicked();
  int chosenSlot();
  bool slotSaved(int slot) const;
  void loadSlotsFromFile();
  void showSaveFileError(const store::FileResult& result);

  std::int16_t seconds_ = 0;
  std::int16_t minutes_ = 0;
  DialGeometry dial_{0, 0, 0, 0.0};
  std::int16_t flashCount_ = 0;
  bool alarmInCatchUp_ = false;  // reached by a tick of the catch-up under way
  bool showingRecord_ = false;   // the direction and digital switch show the record's own
  settings::ClockSettings settings_ = settings::defaultSettings;
  settings::Slots slots_{};
  store::SaveFile saveFile_;
  std::unique_ptr<about::FrmAbout> frmAbout_;
};

}  // namespace clock_window
