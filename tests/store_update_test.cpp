// Save and Clear Saved as changes to the save file as it is now, so that two copies of the
// program in one folder keep each other's saves: what is merged from the file, the lock the
// copies share (waited for, but never for good), and two processes saving at once.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "store/record_codec.h"
#include "store_test_support.h"

namespace {

using namespace store_test;
using settings::ClockSettings;
using settings::Slots;
using store::SlotsChange;

Bytes imageOf(const Slots& slots) {
  const store::SlotsImage image = store::encodeSlots(slots);
  return Bytes(image.begin(), image.end());
}

Slots slotsInFile() {
  Slots slots{};
  store::decodeSlots(readBytes(store::saveFileName), slots);
  return slots;
}

// What another copy saved since this one read the file: all five saved, two of them with flags
// stored as values other than -1, which must come back exactly as stored.
Slots theirs() {
  Slots slots = savedSlots(30);
  slots[0].backwards = 1;
  slots[1].saved = static_cast<settings::Flag>(0x8000);
  slots[3].digitalOn = 0x0100;
  return slots;
}

// What this copy read at its start, long ago.
Slots stale() { return savedSlots(60); }

ClockSettings ourRecord() {
  ClockSettings record = settings::defaultSettings;
  record.alarmMinutes = 7;
  record.saved = settings::flagTrue;
  return record;
}

Slots with(Slots slots, int slot, const ClockSettings& record) {
  slots[static_cast<std::size_t>(slot - 1)] = record;
  return slots;
}

Slots unsaved(Slots slots) {
  for (ClockSettings& slot : slots) slot.saved = settings::flagFalse;
  return slots;
}

Bytes withTail(Bytes bytes, const Bytes& tail) {
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  return bytes;
}

using SaveFileUpdate = InFreshFolder;

TEST_F(SaveFileUpdate, OnlyTheChosenRecordOrTheSavedFlagsChangeInTheFileAsItIsNow) {
  const Bytes tail = patternBytes(40, 3);
  const Bytes whole = imageOf(theirs());
  const Bytes first40(whole.begin(), whole.begin() + 40);
  // A 40-byte file holds slot 1 whole and slot 2's first four fields; the rest it does not
  // hold, and the slots in memory stand for it.
  Slots shortFileSlots = stale();
  shortFileSlots[0] = theirs()[0];
  shortFileSlots[1].backwards = theirs()[1].backwards;
  shortFileSlots[1].alarmOn = theirs()[1].alarmOn;
  shortFileSlots[1].alarmMinutes = theirs()[1].alarmMinutes;
  shortFileSlots[1].alarmSeconds = theirs()[1].alarmSeconds;
  struct Case {
    const char* what;
    std::optional<Bytes> file;  // none: there is no file
    bool readFails;
    SlotsChange change;
    Slots expected;  // the file's slots afterwards, and the ones in memory
    Bytes expectedTail;
  };
  const Case cases[] = {
      {"save into slot 3: the other copy's slots stay as it stored them",
       imageOf(theirs()),
       false,
       SlotsChange::saveInto(3, ourRecord()),
       with(theirs(), 3, ourRecord()),
       {}},
      {"clear saved: only the flags of the records in the file",
       imageOf(theirs()),
       false,
       SlotsChange::clearSaved(),
       unsaved(theirs()),
       {}},
      {"the bytes after the slots stay", withTail(imageOf(theirs()), tail), false,
       SlotsChange::saveInto(5, ourRecord()), with(theirs(), 5, ourRecord()), tail},
      {"a short file: what it does not hold comes from memory",
       first40,
       false,
       SlotsChange::saveInto(3, ourRecord()),
       with(shortFileSlots, 3, ourRecord()),
       {}},
      {"the empty file of a first start",
       Bytes{},
       false,
       SlotsChange::saveInto(1, ourRecord()),
       with(stale(), 1, ourRecord()),
       {}},
      {"no file at all", std::nullopt, false, SlotsChange::clearSaved(), unsaved(stale()), {}},
      {"a file that cannot be read: the slots in memory, as if nothing else wrote it",
       withTail(imageOf(theirs()), tail), true, SlotsChange::saveInto(2, ourRecord()),
       with(stale(), 2, ourRecord()), tail},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    emptyFolder();
    if (c.file) writeBytes(store::saveFileName, *c.file);
    FaultyFileLayer files;
    if (c.readFails) files.failAt(Step::readAt, EIO);  // the first read is of the slots
    Slots slots = stale();
    const store::FileResult result = store::SaveFile(files).update(slots, c.change);
    EXPECT_TRUE(result) << result.message();
    EXPECT_EQ(readBytes(store::saveFileName), withTail(imageOf(c.expected), c.expectedTail));
    EXPECT_EQ(slots, c.expected) << "the slots in memory follow the file";
    EXPECT_EQ(folderEntries(), std::set<std::string>{store::saveFileName});
  }
}

TEST_F(SaveFileUpdate, ACopyHoldingTheLockIsWaitedForAndWhatItWroteIsKept) {
  writeBytes(store::saveFileName, imageOf(stale()));
  LockHolder other;
  ASSERT_TRUE(other.taken());

  // Once the update waits, the holder saves the slots as it knows them and lets go.
  std::atomic<bool> waiting{false};
  FaultyFileLayer files;
  files.lockTried = [&](store::ErrorCode error) {
    if (error == store::lockedElsewhere) waiting = true;
  };
  std::thread whenWaitedFor([&] {
    while (!waiting) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    other.release([] { EXPECT_TRUE(store::SaveFile().save(theirs())); });
  });
  store::SaveFile file(files);
  file.setLockWait(std::chrono::minutes(5));  // the wait ends with the holder, not before
  Slots slots = stale();
  const store::FileResult result = file.update(slots, SlotsChange::saveInto(4, ourRecord()));
  waiting = true;  // without a wait, let the holder go on anyway and see what is lost
  whenWaitedFor.join();

  EXPECT_TRUE(result) << result.message();
  EXPECT_EQ(slotsInFile(), with(theirs(), 4, ourRecord()));
  EXPECT_EQ(slots, slotsInFile());
}

TEST_F(SaveFileUpdate, ACopyStuckHoldingTheLockIsWaitedForOnlyAWhileAndNothingIsWritten) {
  const Bytes old = withTail(imageOf(theirs()), patternBytes(20));
  writeBytes(store::saveFileName, old);
  LockHolder stuck;
  ASSERT_TRUE(stuck.taken());

  store::SaveFile file;
  file.setLockWait(std::chrono::milliseconds(200));
  Slots slots = stale();
  const auto before = std::chrono::steady_clock::now();
  const store::FileResult result = file.update(slots, SlotsChange::saveInto(2, ourRecord()));
  EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(200));
  EXPECT_EQ(result.reason(), store::lockedElsewhere);
  EXPECT_EQ(result.message(),
            "Could not save the slots to \"fileClockSave.bin\": Another copy of the stopwatch, or "
            "another program, keeps it locked; nothing was written, try again.");
  EXPECT_EQ(readBytes(store::saveFileName), old);
  EXPECT_EQ(slots, with(stale(), 2, ourRecord())) << "the change stays in memory";

  stuck.release();
  EXPECT_TRUE(file.update(slots, SlotsChange::saveInto(2, ourRecord())));
  EXPECT_EQ(slotsInFile(), with(theirs(), 2, ourRecord()));
}

#ifndef _WIN32

TEST_F(SaveFileUpdate, AStuckProcessHoldsTheLockOnlyUntilItEnds) {
  writeBytes(store::saveFileName, imageOf(theirs()));
  ChildProcess stuck([](ChildProcess& parent) {
    store::FileLayer::Handle lock = 0;
    if (store::systemFileLayer().tryLock(store::saveFileName, lock)) return false;
    parent.send(true);
    ::raise(SIGSTOP);  // stuck for good, holding the lock
    return true;
  });
  ASSERT_TRUE(stuck.started());
  bool locked = false;
  ASSERT_TRUE(stuck.receive(locked));

  store::SaveFile file;
  file.setLockWait(std::chrono::milliseconds(300));
  Slots slots = stale();
  EXPECT_EQ(file.update(slots, SlotsChange::clearSaved()).reason(), store::lockedElsewhere);
  EXPECT_EQ(slotsInFile(), theirs());

  stuck.kill(SIGKILL);
  stuck.wait();
  const store::FileResult result = file.update(slots, SlotsChange::clearSaved());
  EXPECT_TRUE(result) << result.message();
  EXPECT_EQ(slotsInFile(), unsaved(theirs()));
}

// Two processes save into the file at the same moments, each into its own slot, over and over,
// each number higher than the last. Neither may ever see the other's number go back (an update
// lost to a copy that read the file before it was written), and the file ends with both last
// numbers. Without the lock, or with a lock that stays on a file renamed away, updates are lost.
TEST_F(SaveFileUpdate, TwoProcessesSavingAtOnceLoseNothing) {
  constexpr int saves = 40;
  writeBytes(store::saveFileName, imageOf(stale()));
  const auto saveOver = [](int mine, int theirs, ChildProcess& other) {
    bool ready = true;  // start together
    if (!other.send(ready) || !other.receive(ready)) return false;
    store::SaveFile file;
    file.setLockWait(std::chrono::minutes(5));
    int seen = 0;
    for (int n = 1; n <= saves; ++n) {
      ClockSettings record = ourRecord();
      record.alarmMinutes = static_cast<std::int16_t>(n);
      Slots slots = stale();
      if (!file.update(slots, SlotsChange::saveInto(mine, record))) return false;
      // Their number, or 0 while the file still holds what both read at the start.
      const ClockSettings& their = slots[static_cast<std::size_t>(theirs - 1)];
      const int now =
          their == stale()[static_cast<std::size_t>(theirs - 1)] ? 0 : their.alarmMinutes;
      if (now < seen) return false;  // went back: one of their updates was lost
      seen = now;
      if (slots[static_cast<std::size_t>(mine - 1)].alarmMinutes != n) return false;
    }
    return true;
  };
  ChildProcess child([&](ChildProcess& parent) { return saveOver(2, 1, parent); });
  ASSERT_TRUE(child.started());
  const bool parentLostNothing = saveOver(1, 2, child);
  EXPECT_EQ(child.wait(), 0) << "the child saw an update lost";
  EXPECT_TRUE(parentLostNothing);
  const Slots file = slotsInFile();
  EXPECT_EQ(file[0].alarmMinutes, saves);
  EXPECT_EQ(file[1].alarmMinutes, saves);
  EXPECT_EQ(file[2], stale()[2]);
}

// In a folder shared like /tmp, each user's copy saves one slot into a file everyone may write:
// a third user's, which both write in place, or root's, which root replaces and "nobody" writes
// in place. Both saves stay. Making other users' files needs root.
TEST_F(SaveFileUpdate, TwoUsersCopiesInASharedFolderKeepEachOthersSaves) {
  if (::geteuid() != 0) FAIL() << "planting other users' files needs root: run this test as root";
  ASSERT_EQ(::chmod(".", 01777), 0);
  constexpr uid_t thirdUser = 4242;
  for (uid_t owner : {thirdUser, uid_t{0}}) {
    SCOPED_TRACE(owner == 0 ? "root's file" : "a third user's file");
    writeBytes(store::saveFileName, imageOf(theirs()));
    ASSERT_EQ(::chown(store::saveFileName, owner, owner), 0);
    ASSERT_EQ(::chmod(store::saveFileName, 0666), 0);
    for (uid_t user : {uid_t{0}, nobodyId}) {
      const int slot = user == 0 ? 1 : 2;
      const std::optional<std::string> result = runAs(user, [slot] {
        Slots slots{};  // this copy never read the file
        return store::SaveFile().update(slots, SlotsChange::saveInto(slot, ourRecord()));
      });
      EXPECT_EQ(result, "0|") << "saving as " << user;
    }
    EXPECT_EQ(slotsInFile(), with(with(theirs(), 1, ourRecord()), 2, ourRecord()));
  }
}

#endif  // _WIN32

}  // namespace
