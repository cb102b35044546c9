#include "clock/frm_clock.h"

#include <cstdlib>
#include <utility>

#include "about/frm_about.h"
#include "clock/spoken_reading.h"

namespace clock_window {

using settings::flagFalse;
using settings::flagTrue;
using settings::isSet;

FrmClock::FrmClock(tk::Platform& platform) : ClockDesign(platform) {
  wireHandlers();
  describeRunState();
  Clockface.setAccessibleName(spokenReading(minutes_, seconds_));
}

FrmClock::~FrmClock() = default;

void FrmClock::wireHandlers() {
  onLoad = [this] { load(); };
  mnuExit.onClick = [this] { platform().processes.endProcess(0); };
  mnuAbout.onClick = [this] {
    if (!frmAbout_) frmAbout_ = std::make_unique<about::FrmAbout>(platform());
    frmAbout_->show();
  };
  // Closing the main window ends the program: an About window left minimised or hidden must not
  // keep it running unseen.
  onUnload = [this] {
    if (frmAbout_) frmAbout_->unload();
  };

  Timer1.onTimer = [this] { tick(); };
  cmdStartStop.onClick = [this] { startStopClicked(); };
  cmdReset.onClick = [this] {
    minutes_ = 0;
    seconds_ = 0;
  };
  cmdPreset.onClick = [this] {
    seconds_ = tk::checked16(lstSeconds.listIndex());
    minutes_ = tk::checked16(lstMinutes.listIndex());
  };
  optBackwards.onClick = [this] {
    if (!showingRecord_) settings_.backwards = flagTrue;
  };
  optForwards.onClick = [this] {
    if (!showingRecord_) settings_.backwards = flagFalse;
  };
  chkDigitalToggle.onClick = [this] {
    if (showingRecord_) return;
    settings_.digitalOn = settings::toFlag(chkDigitalToggle.value() == tk::CheckBox::Checked);
  };

  txtMinutes.onChange = [this] {
    alarmBoxChanged(txtMinutes, lblAlarmMinutes, settings_.alarmMinutes);
  };
  txtSeconds.onChange = [this] {
    alarmBoxChanged(txtSeconds, lblAlarmSeconds, settings_.alarmSeconds);
  };
  lstAlarm.onClick = [this] { alarmSwitchClicked(); };
  TimerAlarmFlash.onTimer = [this] { alarmFlashTimer(); };
  cmdChangeColour.onClick = [this] { changeColourClicked(); };

  cmdSave.onClick = [this] { saveClicked(); };
  cmdLoad.onClick = [this] { loadClicked(); };
  chkClearSaved.onClick = [this] { clearSavedClicked(); };
  for (int slot = 1; slot <= settings::slotCount; ++slot) {
    slotOption(slot).onClick = [this, slot] { cmdLoad.setEnabled(slotSaved(slot)); };
  }
}

void FrmClock::load() {
  dial_ = {3000, 2000, 1000, 3.14159265358979};
  secondHand.setX1(dial_.centreX);
  secondHand.setY1(dial_.centreY);
  minuteHand.setX1(dial_.centreX);
  minuteHand.setY1(dial_.centreY);
  Clockface.setBounds({tk::sub16(dial_.centreX, dial_.radius),
                       tk::sub16(dial_.centreY, dial_.radius), tk::mul16(dial_.radius, 2),
                       tk::mul16(dial_.radius, 2)});
  // settings_ holds the defaults already: the lists' Click handlers that filling them raises
  // (the alarm switch set to Off) find the default record and leave it as it was.
  fillPresetLists();
  loadSlotsFromFile();
}

void FrmClock::fillPresetLists() {
  // Item k of either list is the value k; Preset Now relies on that.
  for (int i = 0; i <= 59; ++i) {
    lstMinutes.addItem(tk::decimalText(i));
    lstSeconds.addItem(tk::decimalText(i));
  }
  lstMinutes.setListIndex(0);
  lstSeconds.setListIndex(0);
  lstAlarm.setListIndex(1);
}

// ---- The tick -------------------------------------------------------------------------------

void FrmClock::tick() {
  // The design's 1 ms interval makes the first tick come as soon as the window shows; from then
  // on the ticks are a second apart.
  Timer1.setInterval(1000);
  const int step = isSet(settings_.backwards) ? -1 : 1;
  const std::int16_t lastSeconds = seconds_;
  seconds_ = tk::checked16((seconds_ + step) % 60);  // the remainder keeps the dividend's sign
  if (seconds_ == 0) {
    const int carried = minutes_ + step;
    if (carried < INT16_MIN || carried > INT16_MAX) {
      // The reading cannot go further: stop as the Stop button does and keep the last reading,
      // which the display still shows.
      seconds_ = lastSeconds;
      alarmInCatchUp_ = false;  // a stopped watch has no later tick to show it
      startStopClicked();
      return;
    }
    minutes_ = static_cast<std::int16_t>(carried);
  }
  updateDisplay();

  const bool alarmReached = seconds_ == settings_.alarmSeconds &&
                            minutes_ == settings_.alarmMinutes && isSet(settings_.alarmOn);
  // Nobody sees the ticks of a catch-up after the computer slept: an alarm reached in one
  // blinks from the catch-up's last tick, when the reading is on screen, as if it came then.
  if (platform().loop.catchingUp()) {
    alarmInCatchUp_ = alarmInCatchUp_ || alarmReached;
  } else if (std::exchange(alarmInCatchUp_, false) || alarmReached) {
    startFlash();
  }
  // Every tick outside the blinking ticks ends the blinking again; this is also how the readout
  // follows the digital switch while the watch runs. The count starts at 0, so in a new window
  // the readout follows the switch from the fourth tick.
  if (flashCount_ < alarmBlinkTicks) {
    ++flashCount_;
  } else {
    endFlash();
  }
}

// The first blink comes 10 ms after the alarm tick, the later ones every 100 ms. A window that
// is minimised or behind others asks the user to come to it, or nobody would see the blinking.
void FrmClock::startFlash() {
  announce("Alarm: " + spokenReading(minutes_, seconds_));
  flashCount_ = 0;
  TimerAlarmFlash.setEnabled(true);
  TimerAlarmFlash.setInterval(10);
  platform().windows.askForAttention(*this);
}

// One blink: the readout and the alarm picture each toggle.
void FrmClock::alarmFlashTimer() {
  TimerAlarmFlash.setInterval(100);
  frmDigital.setVisible(!frmDigital.visible());
  imgAlarm.setVisible(!imgAlarm.visible());
}

void FrmClock::endFlash() {
  flashCount_ = alarmBlinkTicks;
  TimerAlarmFlash.setEnabled(false);
  frmDigital.setVisible(isSet(settings_.digitalOn));
  imgAlarm.setVisible(false);
}

bool FrmClock::flashing() const {
  return TimerAlarmFlash.enabled() && TimerAlarmFlash.interval() > 0;
}

void FrmClock::updateDisplay() {
  lblDigitalClockSeconds.setCaption(tk::decimalText(seconds_));
  lblDigitalClockMinutes.setCaption(tk::decimalText(minutes_));
  const HandEnds ends = handEnds(minutes_, seconds_, dial_);
  secondHand.setX2(ends.secondX);
  secondHand.setY2(ends.secondY);
  minuteHand.setX2(ends.minuteX);
  minuteHand.setY2(ends.minuteY);
  ProgressBar.setValue(std::abs(seconds_));
  Clockface.setAccessibleName(spokenReading(minutes_, seconds_));
}

void FrmClock::startStopClicked() {
  // The caption is the run state.
  if (cmdStartStop.caption() == "Stop") {
    cmdStartStop.setCaption("Start");
    Timer1.setEnabled(false);
    // A stopped watch has no ticks to end the blinking, so Stop ends it.
    if (flashing()) endFlash();
  } else {
    Timer1.setEnabled(true);
    cmdStartStop.setCaption("Stop");
  }
  describeRunState();
}

// The caption says what pressing does next; a screen reader also hears where the watch stands.
void FrmClock::describeRunState() {
  const bool running = cmdStartStop.caption() == "Stop";
  cmdStartStop.setAccessibleName(running ? "Stop the stopwatch" : "Start the stopwatch");
  cmdStartStop.setAccessibleDescription(running ? "The stopwatch is running"
                                                : "The stopwatch is stopped");
}

}  // namespace clock_window
