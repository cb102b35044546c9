// The five save slots through the window: Save, Load, choosing slots and Clear Saved, what they
// write to the save file, a second start reading it, and a save file that cannot be written.

#include <sys/stat.h>

#include "clock_fixture.h"

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

}  // namespace
