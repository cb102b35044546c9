#pragma once
// The real Stopwatch window on a headless platform with virtual time, started in a fresh empty
// folder so that its save file is the test's own.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "clock/frm_clock.h"
#include "store/record_codec.h"
#include "toolkit/testing/temp_folder.h"
#include "toolkit/testing/test_platform.h"

using tk::testing::TempFolder;

inline std::vector<std::uint8_t> readSaveFile() {
  std::ifstream in("fileClockSave.bin", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeSaveFile(const settings::Slots& slots) {
  const auto image = store::encodeSlots(slots);
  std::ofstream("fileClockSave.bin", std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()),
             static_cast<std::streamsize>(image.size()));
}

class ClockTest : public ::testing::Test {
 protected:
  std::optional<TempFolder> folder{std::in_place};
  tk::testing::TestPlatform tp;
  std::unique_ptr<clock_window::FrmClock> clock;
  int ticks = 0;
  int flashes = 0;

  // Begins the next case of a table afresh: no window, a new empty folder, nothing counted.
  void freshCase() {
    clock.reset();
    folder.emplace();
    ticks = 0;
    flashes = 0;
  }

  // Creates and shows the window, as the program does at start.
  void start() {
    clock = std::make_unique<clock_window::FrmClock>(tp.platform);
    auto tick = clock->Timer1.onTimer;
    clock->Timer1.onTimer = [this, tick] {
      tick();
      ++ticks;
    };
    auto flash = clock->TimerAlarmFlash.onTimer;
    clock->TimerAlarmFlash.onTimer = [this, flash] {
      flash();
      ++flashes;
    };
    clock->show();
  }

  // Lets virtual time run until the stopwatch has ticked `n` more times.
  void runTicks(int n) {
    const int target = ticks + n;
    for (int guard = 0; ticks < target; ++guard) {
      ASSERT_LT(guard, 2000 * n + 10) << "the stopwatch stopped ticking";
      tp.loop.advance(1);
    }
  }

  std::string reading() const {
    return std::to_string(clock->minutes()) + ":" + std::to_string(clock->seconds());
  }
  std::string readout() const {
    return clock->lblDigitalClockMinutes.caption() + ":" + clock->lblDigitalClockSeconds.caption();
  }

  void preset(int minutes, int seconds) {
    clock->lstMinutes.choose(minutes);
    clock->lstSeconds.choose(seconds);
    clock->cmdPreset.click();
  }
};
