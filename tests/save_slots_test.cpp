// The five save slots through the window: Save, Load, choosing slots and Clear Saved, what they
// write to the save file, a second start reading it, a save file that cannot be written, and two
// copies of the program saving into one file.

#include <sys/stat.h>

#include "clock_fixture.h"
#include "store_test_support.h"

namespace {

const std::vector<std::uint8_t> defaultRecordSaved = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00,
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF};

std::vector<std::uint8_t> record(const std::vector<std::uint8_t>& file, int slot) {
  const auto from = file.begin() + 32 * (slot - 1);
  return {from, from + 32};
}

TEST_F(ClockTest, SlotsAreSavedLoadedClearedAndReadAgainAtTheNextStart) {
  start();
  EXPECT_TRUE(std::filesystem::exists("fileClockSave.bin"));
  EXPECT_EQ(readSaveFile().size(), 0u) << "the first start leaves an empty file";

  clock->cmdSave.click();
  auto file = readSaveFile();
  ASSERT_EQ(file.size(), 160u);
  EXPECT_EQ(record(file, 1), defaultRecordSaved);
  EXPECT_EQ(record(file, 2), std::vector<std::uint8_t>(32, 0));
  EXPECT_TRUE(clock->optLoadSaveTwo.enabled());
  EXPECT_TRUE(clock->cmdLoad.enabled());

  // Slot 2: backwards with the alarm at 1:30.
  clock->optLoadSaveTwo.click();
  EXPECT_FALSE(clock->cmdLoad.enabled()) << "slot 2 holds nothing yet";
  clock->optBackwards.click();
  clock->lstAlarm.choose(0);
  clock->txtMinutes.edit("1");
  clock->txtSeconds.edit("30");
  clock->cmdSave.click();
  file = readSaveFile();
  EXPECT_EQ(file[32], 0xFF) << "backwards";
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 36, file.begin() + 40),
            (std::vector<std::uint8_t>{0x01, 0x00, 0x1E, 0x00}));
  EXPECT_TRUE(clock->optLoadSaveThree.enabled());

  // Back to slot 1 and load it: the window and the direction follow the record.
  clock->optLoadSaveOne.click();
  EXPECT_TRUE(clock->cmdLoad.enabled());
  clock->cmdLoad.click();
  EXPECT_TRUE(clock->optForwards.value());
  EXPECT_EQ(clock->lstAlarm.listIndex(), 1);
  EXPECT_EQ(clock->txtSeconds.text(), "0");
  EXPECT_EQ(clock->currentSettings().saved, settings::flagTrue) << "a whole-record copy";

  // Clear Saved: every flag cleared, everything else kept, slot 1 chosen, the box unticked.
  const auto beforeClear = readSaveFile();
  clock->optLoadSaveTwo.click();
  clock->chkClearSaved.click();
  file = readSaveFile();
  for (int slot = 1; slot <= 5; ++slot) {
    auto expected = record(beforeClear, slot);
    expected[30] = expected[31] = 0;
    EXPECT_EQ(record(file, slot), expected) << "slot " << slot;
  }
  EXPECT_EQ(clock->chkClearSaved.value(), 0);
  EXPECT_TRUE(clock->optLoadSaveOne.value());
  EXPECT_FALSE(clock->cmdLoad.enabled());
  for (int slot = 2; slot <= 5; ++slot) EXPECT_FALSE(clock->slotOption(slot).enabled());

  // Save slots 1 and 2 again, then a second start in the same folder finds them.
  clock->cmdSave.click();
  clock->optLoadSaveTwo.click();
  clock->optBackwards.click();
  clock->cmdSave.click();
  const auto written = readSaveFile();
  clock.reset();
  start();
  EXPECT_EQ(readSaveFile(), written) << "starting does not rewrite the file";
  EXPECT_TRUE(clock->optLoadSaveThree.enabled());
  EXPECT_TRUE(clock->cmdLoad.enabled());
  EXPECT_EQ(clock->currentSettings(), settings::defaultSettings);
  clock->optLoadSaveTwo.click();
  clock->cmdLoad.click();
  EXPECT_TRUE(clock->optBackwards.value());
}

TEST_F(ClockTest, AFileThatCannotBeWrittenIsReportedAndNothingIsLost) {
  start();
  // Take the save file's name with a folder: it can be neither replaced nor written.
  std::filesystem::remove("fileClockSave.bin");
  std::filesystem::create_directory("fileClockSave.bin");
  clock->cmdSave.click();
  ASSERT_EQ(tp.messages.texts.size(), 1u);
  EXPECT_NE(tp.messages.texts[0].find("fileClockSave.bin"), std::string::npos)
      << tp.messages.texts[0];
  EXPECT_FALSE(tp.processes.endStatus.has_value());
  EXPECT_EQ(clock->slots()[0].saved, settings::flagTrue) << "the slot in memory keeps the save";
  EXPECT_TRUE(clock->cmdLoad.enabled());
  runTicks(2);  // the program goes on

  std::filesystem::remove("fileClockSave.bin");
  clock->cmdSave.click();  // a later save tries again
  EXPECT_EQ(readSaveFile().size(), 160u);
  EXPECT_EQ(tp.messages.texts.size(), 1u);
}

TEST_F(ClockTest, AnUnreadableFileAtStartUpIsReportedAndTheWindowStillStarts) {
  std::filesystem::create_directory("fileClockSave.bin");
  start();
  ASSERT_EQ(tp.messages.texts.size(), 1u);
  EXPECT_NE(tp.messages.texts[0].find("fileClockSave.bin"), std::string::npos);
  EXPECT_EQ(clock->slots(), settings::Slots{});
  EXPECT_EQ(clock->currentSettings(), settings::defaultSettings);
  runTicks(1);
  EXPECT_EQ(readout(), "0:1");
}

// What a copy of the program shows of its slots: the slots it holds, which slots can be chosen,
// and whether Load can be pressed. Plain data, to be sent from a child process.
struct SlotsShown {
  settings::Slots slots;
  std::array<bool, settings::slotCount> choosable;
  bool loadEnabled;
};

SlotsShown shownBy(clock_window::FrmClock& window) {
  SlotsShown shown{window.slots(), {}, window.cmdLoad.enabled()};
  for (int slot = 1; slot <= settings::slotCount; ++slot) {
    shown.choosable[static_cast<std::size_t>(slot - 1)] = window.slotOption(slot).enabled();
  }
  return shown;
}

// A user's action: the alarm set to `minute` and saved into `slot`, or (slot 0) Clear Saved.
SlotsShown act(clock_window::FrmClock& window, int slot, int minute) {
  if (slot == 0) {
    window.chkClearSaved.click();
  } else {
    window.lstAlarm.choose(0);
    window.txtMinutes.edit(std::to_string(minute));
    window.slotOption(slot).click();
    window.cmdSave.click();
  }
  return shownBy(window);
}

// The other copy, started in the same folder before the test's own window.
class OtherCopy {
 public:
  virtual ~OtherCopy() = default;
  virtual SlotsShown act(int slot, int minute) = 0;
};

class CopyInThisProcess final : public OtherCopy {
 public:
  CopyInThisProcess() { window_.show(); }
  SlotsShown act(int slot, int minute) override { return ::act(window_, slot, minute); }

 private:
  tk::testing::TestPlatform tp_;
  clock_window::FrmClock window_{tp_.platform};
};

#ifndef _WIN32
// A copy in a process of its own: a real second process with its own window and memory.
class CopyInChildProcess final : public OtherCopy {
 public:
  CopyInChildProcess()
      : child_([](store_test::ChildProcess& parent) {
          tk::testing::TestPlatform tp;
          clock_window::FrmClock window(tp.platform);
          window.show();
          parent.send(shownBy(window));  // started
          for (std::array<int, 2> action{}; parent.receive(action);) {
            parent.send(::act(window, action[0], action[1]));
          }
          return tp.messages.texts.empty();
        }) {
    SlotsShown started{};
    EXPECT_TRUE(child_.receive(started));
  }
  ~CopyInChildProcess() override { child_.kill(SIGTERM); }
  SlotsShown act(int slot, int minute) override {
    SlotsShown shown{};
    EXPECT_TRUE(child_.send(std::array<int, 2>{slot, minute}));
    EXPECT_TRUE(child_.receive(shown)) << "the other copy ended";
    return shown;
  }

 private:
  store_test::ChildProcess child_;
};
#endif

settings::Slots slotsInFile() {
  settings::Slots slots{};
  store::decodeSlots(readSaveFile(), slots);
  return slots;
}

// Copy A (this test's window) and copy B (started before it, in this process or another) save
// into one file. Each Save and Clear Saved changes only its own part of the file as it is then,
// and the window that saved shows what the file holds.
class TwoCopies : public ClockTest {
 protected:
  void keepEachOthersSaves(OtherCopy& b);
};

void TwoCopies::keepEachOthersSaves(OtherCopy& b) {
  auto& a = clock;
  settings::Slots before = slotsInFile();

  act(*a, 1, 11);
  settings::Slots file = slotsInFile();
  EXPECT_EQ(file[0].alarmMinutes, 11);
  EXPECT_EQ(a->slots(), file);

  // B still holds slot 1 as it read it at its start, and saves slot 3.
  SlotsShown shown = b.act(3, 33);
  file = slotsInFile();
  EXPECT_EQ(file[0].alarmMinutes, 11) << "A's slot 1 was lost";
  EXPECT_EQ(file[1], before[1]);
  EXPECT_EQ(file[2].alarmMinutes, 33);
  EXPECT_EQ(shown.slots, file) << "B's slots follow the file";
  EXPECT_TRUE(shown.choosable[3]) << "slot 4, after the saved slot 3";

  // A, which never read B's slot 3, clears: only the saved flags change.
  before = file;
  act(*a, 0, 0);
  file = slotsInFile();
  for (int k = 0; k < settings::slotCount; ++k) {
    settings::ClockSettings expected = before[static_cast<std::size_t>(k)];
    expected.saved = settings::flagFalse;
    EXPECT_EQ(file[static_cast<std::size_t>(k)], expected) << "slot " << k + 1;
  }
  EXPECT_EQ(a->slots(), file);

  // B saves slot 1: its window now shows no other slot saved, as the file says.
  shown = b.act(1, 44);
  file = slotsInFile();
  EXPECT_EQ(file[0].alarmMinutes, 44);
  EXPECT_EQ(shown.slots, file);
  EXPECT_EQ(shown.choosable, (std::array<bool, 5>{true, true, false, false, false}));
  EXPECT_TRUE(shown.loadEnabled);
  EXPECT_TRUE(tp.messages.texts.empty()) << tp.messages.texts[0];
}

// Slots 1 and 2 saved, so that slot 3 can be chosen at once.
void writeTwoSavedSlots() {
  settings::Slots slots{};
  for (int k = 0; k < 2; ++k) {
    slots[static_cast<std::size_t>(k)] = settings::defaultSettings;
    slots[static_cast<std::size_t>(k)].alarmMinutes = static_cast<std::int16_t>(k + 1);
    slots[static_cast<std::size_t>(k)].saved = settings::flagTrue;
  }
  writeSaveFile(slots);
}

TEST_F(TwoCopies, InOneProcessKeepEachOthersSaves) {
  writeTwoSavedSlots();
  CopyInThisProcess b;
  start();
  keepEachOthersSaves(b);
}

#ifndef _WIN32
TEST_F(TwoCopies, InTwoProcessesKeepEachOthersSaves) {
  writeTwoSavedSlots();
  CopyInChildProcess b;
  start();
  keepEachOthersSaves(b);
}
#endif

}  // namespace
