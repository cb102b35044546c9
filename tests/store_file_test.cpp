// Saving and loading when things go wrong: every failing step gives a message and keeps the old
// file, a save cut short at any point leaves the old file or the new one, links are followed and
// permission bits kept, and real refusals by the system read as the user would expect.

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "store/record_codec.h"
#include "store_test_support.h"

namespace {

using namespace store_test;
using settings::ClockSettings;
using settings::Slots;

// Slots that differ from the ones the old file holds in every record.
Slots newSlots() {
  Slots slots{};
  for (int k = 0; k < settings::slotCount; ++k) {
    settings::initSettings(slots[k]);
    slots[k].alarmMinutes = static_cast<std::int16_t>(k + 1);
    slots[k].saved = settings::flagTrue;
  }
  return slots;
}

// What the file must hold after saving `slots` over `old`.
Bytes savedOver(const Bytes& old, const Slots& slots) {
  const store::SlotsImage image = store::encodeSlots(slots);
  Bytes expected(image.begin(), image.end());
  if (old.size() > image.size()) expected.insert(expected.end(), old.begin() + 160, old.end());
  return expected;
}

std::string reasonText(int error) { return std::strerror(error); }

void expectFailure(const store::FileResult& result, int error) {
  EXPECT_FALSE(result);
  EXPECT_EQ(result.reason(), error);
  EXPECT_NE(result.message().find("\"fileClockSave.bin\""), std::string::npos) << result.message();
  EXPECT_NE(result.message().find(reasonText(error)), std::string::npos) << result.message();
}

class SaveFileFaults : public InFreshFolder {
 protected:
  void SetUp() override {
    InFreshFolder::SetUp();
    writeBytes(store::saveFileName, old_);
  }
  const Bytes old_ = patternBytes(200, 5);  // with a tail beyond the slots
};

TEST_F(SaveFileFaults, AFailingStepKeepsTheOldFileAndLeavesNoTemporaryFile) {
  struct Case {
    Step step;
    int error;
  };
  const Case cases[] = {
      {Step::status, EACCES},       {Step::readLink, EACCES},    {Step::openExisting, EACCES},
      {Step::createNew, EACCES},    {Step::createNew, ENOSPC},   {Step::readAt, EIO},
      {Step::write, ENOSPC},        {Step::write, EDQUOT},       {Step::setPermissions, EPERM},
      {Step::sync, EIO},            {Step::close, EIO},          {Step::rename, EBUSY},
      {Step::rename, EXDEV},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "step " << static_cast<int>(c.step) << ", " << reasonText(c.error));
    FaultyFileLayer files;
    files.failAt(c.step, c.error);  // the first close is the temporary file's
    expectFailure(store::SaveFile(files).save(newSlots()), c.error);
    EXPECT_EQ(readBytes(store::saveFileName), old_);
    EXPECT_EQ(folderEntries(), std::set<std::string>{store::saveFileName});
  }
}

TEST_F(SaveFileFaults, AFailedSaveLeavesTheWayOpenForALaterOne) {
  FaultyFileLayer files;
  files.failAt(Step::write, ENOSPC);
  store::SaveFile file(files);
  EXPECT_FALSE(file.save(newSlots()));
  EXPECT_TRUE(file.save(newSlots()));
  EXPECT_EQ(readBytes(store::saveFileName), savedOver(old_, newSlots()));
}

TEST_F(SaveFileFaults, AFailingLoadLeavesTheSlotsUntouched) {
  const Step steps[] = {Step::status, Step::openExisting, Step::readAt};
  for (Step step : steps) {
    FaultyFileLayer files;
    files.failAt(step, EIO);
    Slots slots = newSlots();
    expectFailure(store::SaveFile(files).load(slots), EIO);
    EXPECT_EQ(slots, newSlots()) << "step " << static_cast<int>(step);
  }
  fs::remove(store::saveFileName);
  FaultyFileLayer files;
  files.failAt(Step::createIfMissing, EROFS);
  Slots slots = newSlots();
  const store::FileResult result = store::SaveFile(files).load(slots);
  expectFailure(result, EROFS);
  EXPECT_NE(result.message().find("create"), std::string::npos) << result.message();
  EXPECT_EQ(slots, newSlots());
}

TEST_F(SaveFileFaults, ShortReadsAndWritesStillMoveEveryByte) {
  FaultyFileLayer files;
  files.trickle(7);
  store::SaveFile file(files);
  Slots slots{};
  ASSERT_TRUE(file.load(slots));
  Slots expected{};
  store::decodeSlots(old_, expected);
  EXPECT_EQ(slots, expected);
  ASSERT_TRUE(file.save(newSlots()));
  EXPECT_EQ(readBytes(store::saveFileName), savedOver(old_, newSlots()));
}

TEST_F(SaveFileFaults, APowerCutAtAnyPointLeavesTheOldFileOrTheNewOne) {
  const Bytes saved = savedOver(old_, newSlots());
  bool sawOld = false;
  for (int calls = 0;; ++calls) {
    writeBytes(store::saveFileName, old_);
    FaultyFileLayer files;
    files.cutPowerAfter(calls);
    store::SaveFile(files).save(newSlots());
    const Bytes after = readBytes(store::saveFileName);
    EXPECT_TRUE(after == old_ || after == saved) << "power cut after " << calls << " calls";
    sawOld |= after == old_;
    // The next start reads a whole file, whichever it is.
    Slots slots{};
    EXPECT_TRUE(store::SaveFile().load(slots));
    if (!files.powerWasCut()) {
      EXPECT_EQ(after, saved);
      break;
    }
  }
  EXPECT_TRUE(sawOld);
}

TEST_F(SaveFileFaults, ASaveStoppedBetweenWritingAndRenamingLeavesTheOldFileIntact) {
  FaultyFileLayer files;
  files.cutPowerAt(Step::rename);
  EXPECT_FALSE(store::SaveFile(files).save(newSlots()));
  EXPECT_EQ(readBytes(store::saveFileName), old_);
  // The dead process left its finished temporary file beside it, and nothing else.
  ASSERT_EQ(files.createdFiles().size(), 1u);
  EXPECT_EQ(readBytes(files.createdFiles()[0]), savedOver(old_, newSlots()));
  EXPECT_EQ(folderEntries().size(), 2u);
  Slots slots{};
  ASSERT_TRUE(store::SaveFile().load(slots));
  Slots oldSlots{};
  store::decodeSlots(old_, oldSlots);
  EXPECT_EQ(slots, oldSlots);
}

}  // namespace
