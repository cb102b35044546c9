// The save file on Windows' own terms, under Wine: a file that another program holds open, hidden,
// system and read-only files, a folder whose name is not ASCII, temporary files a crash left, the
// window going on when its save file is in use, and the lock copies of the program share.

#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "clock_fixture.h"
#include "store/record_codec.h"
#include "store_test_support.h"

namespace {

using namespace store_test;
using settings::Slots;

Slots newSlots() { return savedSlots(20); }

const std::string inUseText = windowsReasonText(store::fileInUse);

// The save file held open by "another program": a handle of its own with the sharing it allows.
class OpenElsewhere {
 public:
  explicit OpenElsewhere(DWORD sharing)
      : handle_(::CreateFileW(L"fileClockSave.bin", GENERIC_READ | GENERIC_WRITE, sharing, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    EXPECT_NE(handle_, INVALID_HANDLE_VALUE) << ::GetLastError();
  }
  ~OpenElsewhere() { close(); }
  OpenElsewhere(const OpenElsewhere&) = delete;
  OpenElsewhere& operator=(const OpenElsewhere&) = delete;

  void close() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

DWORD attributesOf(const fs::path& path) { return ::GetFileAttributesW(path.c_str()); }

using WindowsSaveFile = InFreshFolder;

TEST_F(WindowsSaveFile, AFileInUseElsewhereIsNamedAsSuchAndALaterSaveSucceeds) {
  const Bytes old = patternBytes(200, 3);
  struct Case {
    const char* what;
    DWORD sharing;
    bool loads;  // reading needs only that others may read
  };
  const Case cases[] = {
      {"shared with no one", 0, false},
      {"shared for reading", FILE_SHARE_READ, true},
      {"shared for reading and writing", FILE_SHARE_READ | FILE_SHARE_WRITE, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    writeBytes(store::saveFileName, old);
    OpenElsewhere other(c.sharing);

    const store::FileResult saved = store::SaveFile().save(newSlots());
    Slots slots = newSlots();
    const store::FileResult loaded = store::SaveFile().load(slots);
    other.close();

    EXPECT_EQ(saved.reason(), store::fileInUse) << saved.message();
    EXPECT_EQ(saved.message(),
              "Could not save the slots to \"fileClockSave.bin\": " + inUseText + ".");
    EXPECT_EQ(readBytes(store::saveFileName), old);
    EXPECT_EQ(folderEntries(), std::set<std::string>{store::saveFileName}) << "no temporary left";
    if (c.loads) {
      EXPECT_TRUE(loaded) << loaded.message();
    } else {
      EXPECT_EQ(loaded.reason(), store::fileInUse) << loaded.message();
      EXPECT_EQ(slots, newSlots()) << "a failed load leaves the slots alone";
    }
    // Once the other program lets go, saving works again.
    EXPECT_TRUE(store::SaveFile().save(newSlots()));
    EXPECT_EQ(readBytes(store::saveFileName), savedOver(old, newSlots()));
  }
}

TEST_F(WindowsSaveFile, HiddenAndSystemFilesStaySoAndAReadOnlyFileIsRefused) {
  const Bytes old = patternBytes(170, 6);
  struct Case {
    const char* what;
    DWORD attributes;
    bool saves;
  };
  const Case cases[] = {
      {"plain", FILE_ATTRIBUTE_NORMAL, true},
      {"hidden", FILE_ATTRIBUTE_HIDDEN, true},
      {"system", FILE_ATTRIBUTE_SYSTEM, true},
      {"hidden system", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, true},
      {"read-only", FILE_ATTRIBUTE_READONLY, false},
      {"hidden read-only", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, false},
  };
  constexpr DWORD watched = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ::SetFileAttributesW(L"fileClockSave.bin", FILE_ATTRIBUTE_NORMAL);
    writeBytes(store::saveFileName, old);
    ASSERT_TRUE(::SetFileAttributesW(L"fileClockSave.bin", c.attributes));
    const FileIdentity before = fileIdentity(store::saveFileName);

    Slots slots{};
    EXPECT_TRUE(store::SaveFile().load(slots));
    Slots expected{};
    store::decodeSlots(old, expected);
    EXPECT_EQ(slots, expected);

    const store::FileResult result = store::SaveFile().save(newSlots());
    EXPECT_EQ(attributesOf(store::saveFileName) & watched, c.attributes & watched);
    EXPECT_EQ(folderEntries(), std::set<std::string>{store::saveFileName});
    if (c.saves) {
      EXPECT_TRUE(result) << result.message();
      EXPECT_EQ(readBytes(store::saveFileName), savedOver(old, newSlots()));
      EXPECT_NE(fileIdentity(store::saveFileName), before) << "replaced in one step, not rewritten";
    } else {
      EXPECT_EQ(result.reason(), EACCES);
      EXPECT_EQ(result.message(),
                "Could not save the slots to \"fileClockSave.bin\": the file itself may not be "
                "written: Access is denied.");
      EXPECT_EQ(readBytes(store::saveFileName), old);
    }
  }
  ::SetFileAttributesW(L"fileClockSave.bin", FILE_ATTRIBUTE_NORMAL);  // so it can be removed
}

TEST_F(WindowsSaveFile, WorksInAFolderWhoseNameIsNotAscii) {
  const fs::path inner = folder() / L"Z\u00fcrich \u00c6r\u00f8 \u2713 \u6642\u8a08";
  fs::create_directory(inner);
  fs::current_path(inner);

  Slots slots{};
  ASSERT_TRUE(store::SaveFile().load(slots));
  EXPECT_TRUE(fs::exists(inner / L"fileClockSave.bin"));
  ASSERT_TRUE(store::SaveFile().save(newSlots()));
  EXPECT_EQ(readBytes(inner / L"fileClockSave.bin"), savedOver({}, newSlots()));
  ASSERT_TRUE(store::SaveFile().load(slots));
  EXPECT_EQ(slots, newSlots());

  // A message that names the folder names it in UTF-8, the toolkit's text.
  FaultyFileLayer files;
  files.failAt(Step::createNew, EACCES);
  fs::remove(inner / L"fileClockSave.bin");
  const store::FileResult result = store::SaveFile(files).save(newSlots());
  const std::string name = "Z\xC3\xBCrich \xC3\x86r\xC3\xB8 \xE2\x9C\x93 \xE6\x99\x82\xE8\xA8\x88";
  EXPECT_NE(result.message().find("folder \"" + folder().string() + "\\" + name + "\""),
            std::string::npos)
      << result.message();
  fs::current_path(folder());
}

TEST_F(WindowsSaveFile, TemporaryFilesOfAnEndedProcessAreRemoved) {
  writeBytes(store::saveFileName, patternBytes(160));
  const std::string ownId = std::to_string(::GetCurrentProcessId());
  // Process ids on Windows are multiples of 4: 4001 names no process.
  const std::string left = std::string(store::saveFileName) + ".4001-0-0.tmp";
  const std::string ours = std::string(store::saveFileName) + "." + ownId + "-7-0.tmp";
  const std::string other = "notes.4001-0-0.tmp";
  for (const std::string& name : {left, ours, other}) writeBytes(name, patternBytes(10));

  Slots slots{};
  ASSERT_TRUE(store::SaveFile().load(slots));
  EXPECT_EQ(folderEntries(), (std::set<std::string>{store::saveFileName, other}));
}

// The window: a save while another program holds the file shows the message, keeps the slot in
// memory and goes on; once the file is free, the next save writes it.
// File names on Windows are the same in any case: so is the lock.
TEST_F(WindowsSaveFile, TheLockIsTheFilesWhateverCaseItsNameIsWrittenIn) {
  writeBytes(store::saveFileName, patternBytes(160));
  LockHolder other("FILECLOCKSAVE.BIN");
  ASSERT_TRUE(other.taken());
  store::SaveFile file;
  file.setLockWait(std::chrono::milliseconds(100));
  Slots slots{};
  const store::FileResult result =
      file.update(slots, store::SlotsChange::saveInto(1, newSlots()[0]));
  EXPECT_EQ(result.reason(), store::lockedElsewhere) << result.message();
  EXPECT_EQ(readBytes(store::saveFileName), patternBytes(160));
}

TEST_F(WindowsSaveFile, ACopyThatEndedHoldingTheLockDoesNotHoldUpTheNextSave) {
  writeBytes(store::saveFileName, patternBytes(160));
  std::thread([] {
    store::FileLayer::Handle lock = 0;
    EXPECT_EQ(store::systemFileLayer().tryLock(store::saveFileName, lock), 0);
  }).join();  // ends without letting go
  store::SaveFile file;
  file.setLockWait(std::chrono::milliseconds(100));
  Slots slots{};
  const store::FileResult result =
      file.update(slots, store::SlotsChange::saveInto(1, newSlots()[0]));
  EXPECT_TRUE(result) << result.message();
  EXPECT_EQ(slots[0], newSlots()[0]);
}

TEST_F(ClockTest, ASaveFileInUseElsewhereIsReportedAndALaterSaveWritesIt) {
  start();
  ASSERT_TRUE(tp.messages.texts.empty());
  OpenElsewhere other(0);
  clock->cmdSave.click();
  ASSERT_EQ(tp.messages.texts.size(), 1u);
  EXPECT_NE(tp.messages.texts[0].find(inUseText), std::string::npos) << tp.messages.texts[0];
  EXPECT_FALSE(tp.processes.endStatus.has_value());
  EXPECT_EQ(clock->slots()[0].saved, settings::flagTrue) << "the slot in memory keeps the save";
  EXPECT_TRUE(clock->cmdLoad.enabled());
  runTicks(2);

  other.close();
  clock->cmdSave.click();
  EXPECT_EQ(tp.messages.texts.size(), 1u);
  const std::vector<std::uint8_t> file = readSaveFile();
  ASSERT_EQ(file.size(), 160u);
  EXPECT_EQ(file[30], 0xFF) << "slot 1 saved";
}

}  // namespace
