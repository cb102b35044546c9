// Saving and loading when things go wrong: every failing step gives a message and keeps the old
// file, a save cut short at any point leaves the old file or the new one, a folder that takes no
// new file gets an in-place write, links are followed and read/write bits kept, and real refusals
// by the system read as the user would expect. Files, links and temporary files planted by
// another user in a shared folder are in store_sharing_test.cpp.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>

#include "store/record_codec.h"
#include "store_test_support.h"

namespace {

using namespace store_test;
using settings::ClockSettings;
using settings::Slots;

// Slots that differ from the ones the old file holds in every record.
Slots newSlots() { return savedSlots(1); }

std::string reasonText(int error) {
#ifdef _WIN32
  return windowsReasonText(error);
#else
  return std::strerror(error);
#endif
}

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
      {Step::linkStatus, EACCES},
      {Step::openExisting, EACCES},
      {Step::statusOf, EIO},
      {Step::createNew, ENOSPC},
      {Step::readAt, EIO},
      {Step::write, ENOSPC},
      {Step::setPermissions, EPERM},
#ifdef EDQUOT
      {Step::write, EDQUOT},
#endif
      {Step::sync, EIO},
      {Step::close, EIO},
      {Step::rename, EBUSY},
      {Step::rename, EXDEV},
      {Step::rename, EACCES},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "step " << static_cast<int>(c.step) << ", " << reasonText(c.error));
    writeBytes(store::saveFileName, old_);
    FaultyFileLayer files;
    files.failAt(c.step, c.error);  // the first close is the temporary file's
    expectFailure(store::SaveFile(files).save(newSlots()), c.error);
    EXPECT_EQ(readBytes(store::saveFileName), old_);
    EXPECT_EQ(folderEntries(), std::set<std::string>{store::saveFileName});
  }
}

TEST_F(SaveFileFaults, WhereTheFolderRefusesATemporaryFileTheFileIsWrittenInPlaceAndFlushed) {
  for (int refusal : {EACCES, EPERM, EROFS}) {
    SCOPED_TRACE(reasonText(refusal));
    writeBytes(store::saveFileName, old_);
    const FileIdentity before = fileIdentity(store::saveFileName);
    FaultyFileLayer files;
    files.failAt(Step::createNew, refusal);
    EXPECT_TRUE(store::SaveFile(files).save(newSlots()));
    EXPECT_EQ(readBytes(store::saveFileName), savedOver(old_, newSlots()));
    EXPECT_EQ(fileIdentity(store::saveFileName), before);
    EXPECT_EQ(folderEntries(), std::set<std::string>{store::saveFileName});
  }
  // The in-place write is flushed: a flush that fails is reported.
  FaultyFileLayer files;
  files.failAt(Step::createNew, EACCES);
  files.failAt(Step::sync, EIO);
  expectFailure(store::SaveFile(files).save(newSlots()), EIO);
}

TEST_F(SaveFileFaults, AFailedSaveNamesTheFolderOrTheFileThatRefused) {
  FaultyFileLayer fileRefuses;
  fileRefuses.failAt(Step::openExisting, EACCES);
  const store::FileResult fileResult = store::SaveFile(fileRefuses).save(newSlots());
  expectFailure(fileResult, EACCES);
  EXPECT_NE(fileResult.message().find(": the file itself may not be written: "), std::string::npos)
      << fileResult.message();

  fs::remove(store::saveFileName);
  const std::string folderText =
      ": no new file may be made in the folder \"" + folder().string() + "\": ";
  FaultyFileLayer folderRefuses;
  folderRefuses.failAt(Step::createNew, EACCES);
  const store::FileResult folderResult = store::SaveFile(folderRefuses).save(newSlots());
  expectFailure(folderResult, EACCES);
  EXPECT_NE(folderResult.message().find(folderText), std::string::npos) << folderResult.message();
  FaultyFileLayer createRefused;
  createRefused.failAt(Step::createIfMissing, EACCES);
  Slots slots{};
  const store::FileResult loadResult = store::SaveFile(createRefused).load(slots);
  expectFailure(loadResult, EACCES);
  EXPECT_NE(loadResult.message().find(folderText), std::string::npos) << loadResult.message();
  EXPECT_TRUE(folderEntries().empty());
}

TEST_F(SaveFileFaults, AFolderThatCannotBeFlushedIsReportedThoughTheNewFileIsInPlace) {
  FaultyFileLayer files;
  files.failAt(Step::syncFolder, EIO);
  expectFailure(store::SaveFile(files).save(newSlots()), EIO);
  EXPECT_EQ(readBytes(store::saveFileName), savedOver(old_, newSlots()));
  EXPECT_EQ(folderEntries(), std::set<std::string>{store::saveFileName});
}

TEST_F(SaveFileFaults, TemporaryNamesCannotBeGuessedAndTakenOnesDoNotStopASave) {
  // The part between the process id and the attempt is a random number, not a count.
  std::set<std::uint64_t> numbers;
  for (int save = 0; save < 20; ++save) {
    FaultyFileLayer files;
    ASSERT_TRUE(store::SaveFile(files).save(newSlots()));
    ASSERT_EQ(files.createdFiles().size(), 1u);
    const std::string name = files.createdFiles()[0];
    const std::size_t from = name.find('-') + 1;
    numbers.insert(std::stoull(name.substr(from, name.find('-', from) - from)));
  }
  EXPECT_EQ(numbers.size(), 20u);
  EXPECT_GT(*numbers.rbegin() - *numbers.begin(), std::uint64_t{1} << 40) << "a count, not random";

  // Names taken at every try, as only a planted name can be: the file is written in place.
  writeBytes(store::saveFileName, old_);
  const FileIdentity before = fileIdentity(store::saveFileName);
  FaultyFileLayer files;
  for (int attempt = 0; attempt < 100; ++attempt) files.failAt(Step::createNew, EEXIST);
  EXPECT_TRUE(store::SaveFile(files).save(newSlots()));
  EXPECT_EQ(readBytes(store::saveFileName), savedOver(old_, newSlots()));
  EXPECT_EQ(fileIdentity(store::saveFileName), before);
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
  const Step steps[] = {Step::linkStatus, Step::openExisting, Step::statusOf, Step::readAt};
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

using SaveFileOnDisk = InFreshFolder;

TEST_F(SaveFileOnDisk, ANameTakenByAFolderOrAPipeIsReportedAndLeftAlone) {
  struct Case {
    const char* what;
    std::function<void()> make;
    int reason;
    std::string text;
  };
  const Case cases[] = {
      {"folder", [] { fs::create_directory(store::saveFileName); }, EISDIR, reasonText(EISDIR)},
#ifndef _WIN32  // Windows has no pipes among its files
      {"pipe", [] { ASSERT_EQ(::mkfifo(store::saveFileName, 0644), 0); }, store::notARegularFile,
       "not a regular file"},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.make();
    Slots slots = newSlots();
    for (const store::FileResult& result :
         {store::SaveFile().load(slots), store::SaveFile().save(newSlots())}) {
      EXPECT_FALSE(result);
      EXPECT_EQ(result.reason(), c.reason);
      EXPECT_NE(result.message().find("\"fileClockSave.bin\""), std::string::npos);
      EXPECT_NE(result.message().find(c.text), std::string::npos) << result.message();
    }
    EXPECT_EQ(slots, newSlots());
    EXPECT_EQ(folderEntries(), std::set<std::string>{store::saveFileName});
    emptyFolder();
  }
}

// Making symbolic links on Windows needs a privilege or developer mode, which the save file cannot
// count on finding; these cases are for the systems where any user makes them.
#ifndef _WIN32
TEST_F(SaveFileOnDisk, ALinkIsFollowedAndItsTargetReplacedBesideIt) {
  const Bytes old = patternBytes(170, 4);
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> links;  // name -> where it points
    std::string target;
    bool targetExists;
  };
  const std::string absolute = (folder() / "data" / "real.bin").string();
  const Case cases[] = {
      {"relative", {{store::saveFileName, "data/real.bin"}}, "data/real.bin", true},
      {"absolute", {{store::saveFileName, absolute}}, absolute, true},
      {"chain",
       {{store::saveFileName, "data/link"}, {"data/link", "real.bin"}},
       "data/real.bin",
       true},
      {"dangling", {{store::saveFileName, "data/real.bin"}}, "data/real.bin", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::create_directory("data");
    if (c.targetExists) writeBytes(c.target, old);
    for (const auto& [name, pointee] : c.links) fs::create_symlink(pointee, name);

    Slots slots{};
    ASSERT_TRUE(store::SaveFile().load(slots));
    Slots expected{};
    if (c.targetExists) store::decodeSlots(old, expected);
    EXPECT_EQ(slots, expected);

    FaultyFileLayer files;
    ASSERT_TRUE(store::SaveFile(files).save(newSlots()));
    EXPECT_EQ(readBytes(c.target), savedOver(c.targetExists ? old : Bytes{}, newSlots()));
    for (const auto& [name, pointee] : c.links) {
      EXPECT_TRUE(fs::is_symlink(name)) << name;
      EXPECT_EQ(fs::read_symlink(name), pointee) << name;
    }
    ASSERT_EQ(files.createdFiles().size(), 1u);
    EXPECT_TRUE(fs::equivalent(fs::path(files.createdFiles()[0]).parent_path(),
                               fs::path(c.target).parent_path()))
        << files.createdFiles()[0];
    emptyFolder();
  }
}

TEST_F(SaveFileOnDisk, ALoopOfLinksIsReported) {
  fs::create_symlink("other.bin", store::saveFileName);
  fs::create_symlink(store::saveFileName, "other.bin");
  Slots slots{};
  expectFailure(store::SaveFile().load(slots), ELOOP);
  expectFailure(store::SaveFile().save(newSlots()), ELOOP);
  EXPECT_TRUE(fs::is_symlink(store::saveFileName));
}

#endif  // _WIN32

// Permission bits, the creation mask and other users are POSIX's; Windows' read-only and hidden
// files are in tests/windows/windows_store_test.cpp.
#ifndef _WIN32

// Sets the file-creation mask for one scope.
class CreationMask {
 public:
  explicit CreationMask(mode_t mask) : previous_(::umask(mask)) {}
  ~CreationMask() { ::umask(previous_); }

 private:
  mode_t previous_;
};

unsigned permissionBits(const char* path) {
  struct stat info {};
  EXPECT_EQ(::stat(path, &info), 0) << path;
  return info.st_mode & 07777;
}

TEST_F(SaveFileOnDisk, TheFileKeepsItsReadAndWriteBitsAndNoOthers) {
  // Under the mask 022 a new file cannot get 0666 or 0662 by itself: they must be carried over.
  // Execute, setuid, setgid and sticky bits never reach the new file.
  const CreationMask mask(022);
  const std::pair<unsigned, unsigned> cases[] = {
      {0600, 0600}, {0640, 0640}, {0604, 0604},  {0444, 0444},  {0666, 0666},  {0662, 0662},
      {0750, 0640}, {0777, 0666}, {06777, 0666}, {04755, 0644}, {01666, 0666}, {02640, 0640},
  };
  for (const auto& [before, after] : cases) {
    writeBytes(store::saveFileName, patternBytes(160));
    ASSERT_EQ(::chmod(store::saveFileName, before), 0);
    // A file its owner may not write is refused to the owner and left as it was; root saves it.
    const bool saved = ::geteuid() == 0 || (before & S_IWUSR) != 0;
    EXPECT_EQ(bool(store::SaveFile().save(newSlots())), saved) << std::oct << before;
    EXPECT_EQ(permissionBits(store::saveFileName), saved ? after : before) << std::oct << before;
  }
}

TEST_F(SaveFileOnDisk, ANewFileFollowsTheCreationMask) {
  for (unsigned mask : {022u, 077u, 0u}) {
    emptyFolder();
    const CreationMask scoped(mask);
    EXPECT_TRUE(store::SaveFile().save(newSlots()));
    EXPECT_EQ(permissionBits(store::saveFileName), 0666u & ~mask) << "umask " << std::oct << mask;
  }
}

TEST_F(SaveFileOnDisk, TheTemporaryFileIsNeverOpenToMoreUsersThanTheOldOne) {
  // Until it has the old file's group, it is open to its owner alone: the user's own group
  // need not be the old file's readers.
  const CreationMask mask(0);
  for (unsigned old : {0600u, 0660u, 0644u}) {
    writeBytes(store::saveFileName, patternBytes(160));
    ASSERT_EQ(::chmod(store::saveFileName, old), 0);
    FaultyFileLayer files;
    files.cutPowerAt(Step::write);  // the temporary file exists, nothing is in it yet
    EXPECT_FALSE(store::SaveFile(files).save(newSlots()));
    ASSERT_EQ(files.createdFiles().size(), 1u);
    EXPECT_EQ(permissionBits(files.createdFiles()[0].c_str()), 0600u) << std::oct << old;
    emptyFolder();
  }
}

// Runs `action` as a user without privileges, so that permission bits apply: in a child process
// dropped to "nobody" when the tests run as root, else as the user running the tests.
std::optional<std::string> asUnprivilegedUser(const std::function<store::FileResult()>& action) {
  return runAs(::geteuid() == 0 ? nobodyId : ::geteuid(), action);
}

std::string failureText(int reason, const char* doing, const std::string& where) {
  return std::to_string(reason) + "|Could not " + doing + " \"fileClockSave.bin\": " + where +
         ": " + reasonText(reason) + ".";
}

TEST_F(SaveFileOnDisk, ARealRefusalByTheSystemNamesWhatRefusedAndKeepsTheOldFile) {
  const Bytes old = patternBytes(200, 2);
  const std::string folderRefused =
      "no new file may be made in the folder \"" + folder().string() + "\"";
  const std::string fileRefused = "the file itself may not be written";
  struct Case {
    const char* what;
    // Neither the owner nor others may write what is refused, so the cases hold whether the
    // unprivileged user is "nobody" under root's files or the user who made them.
    unsigned folderMode;               // 0555: may enter and read, not add or remove names
    std::optional<unsigned> fileMode;  // none: no file
    bool loading;
    std::string expected;
  };
  const Case cases[] = {
      {"read-only file: loading works", 0555, 0444, true, "0|"},
      {"read-only file in an open folder: saving is refused", 0777, 0444, false,
       failureText(EACCES, "save the slots to", fileRefused)},
      {"read-only file in a read-only folder: the file is named", 0555, 0444, false,
       failureText(EACCES, "save the slots to", fileRefused)},
      {"no file in a read-only folder: loading", 0555, std::nullopt, true,
       failureText(EACCES, "create the save file", folderRefused)},
      {"no file in a read-only folder: saving", 0555, std::nullopt, false,
       failureText(EACCES, "save the slots to", folderRefused)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(::chmod(".", 0700), 0);
    emptyFolder();
    if (c.fileMode) {
      writeBytes(store::saveFileName, old);
      ASSERT_EQ(::chmod(store::saveFileName, *c.fileMode), 0);
    }
    ASSERT_EQ(::chmod(".", c.folderMode), 0);
    const std::optional<std::string> result = asUnprivilegedUser([&] {
      Slots slots{};
      return c.loading ? store::SaveFile().load(slots) : store::SaveFile().save(newSlots());
    });
    ASSERT_TRUE(result) << "could not switch to an unprivileged user";
    EXPECT_EQ(*result, c.expected);
    if (c.fileMode) {
      EXPECT_EQ(readBytes(store::saveFileName), old);
    }
    EXPECT_EQ(folderEntries().size(), c.fileMode ? 1u : 0u);
  }
}

TEST_F(SaveFileOnDisk, AFolderThatTakesNoNewFileOrCannotBeReadStillTakesTheSave) {
  struct Case {
    const char* what;
    unsigned folderMode;
    bool usersFolder;
    bool replaced;
  };
  const Case cases[] = {
      // The user's own file, so that it is the folder, not the owner, that rules out a new file.
      {"a folder that takes no new file: the file is written in place", 0555, false, false},
      // The new file is made and renamed into place; the folder cannot be opened to be flushed,
      // which leaves the save done all the same.
      {"a folder that may be written but not read (0311)", 0311, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Bytes old = patternBytes(200, 2);
    ASSERT_EQ(::chmod(".", 0700), 0);
    emptyFolder();
    writeBytes(store::saveFileName, old);
    if (::geteuid() == 0) {
      ASSERT_EQ(::chown(store::saveFileName, nobodyId, nobodyId), 0);
      const uid_t folderOwner = c.usersFolder ? nobodyId : 0;
      ASSERT_EQ(::chown(".", folderOwner, folderOwner), 0);
    }
    ASSERT_EQ(::chmod(".", c.folderMode), 0);
    const FileIdentity before = fileIdentity(store::saveFileName);
    const std::optional<std::string> result =
        asUnprivilegedUser([] { return store::SaveFile().save(newSlots()); });
    ASSERT_TRUE(result) << "could not switch to an unprivileged user";
    EXPECT_EQ(*result, "0|");
    EXPECT_EQ(readBytes(store::saveFileName), savedOver(old, newSlots()));
    EXPECT_EQ(fileIdentity(store::saveFileName) != before, c.replaced);
    if (!c.replaced) EXPECT_EQ(folderEntries(), std::set<std::string>{store::saveFileName});
  }
}

#endif  // _WIN32

// A file with a tail longer than a save copies (huge, sparse, or still growing) is written in
// place: its tail stays where it is, read by no one, and the disk gains nothing.
class LongTail : public InFreshFolder {
 protected:
  static constexpr std::uint64_t longest = store::imageSize + store::maxCopiedTail;

  // A file of `size` bytes whose first 160 and last 100 bytes are a pattern and the rest a hole.
  static void makeSparse(std::uint64_t size) {
    writeBytes(store::saveFileName, patternBytes(store::imageSize, 3));
    fs::resize_file(store::saveFileName, size);
    std::fstream out(store::saveFileName, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(size - end_.size()));
    out.write(reinterpret_cast<const char*>(end_.data()), std::streamsize(end_.size()));
  }
  static void expectSavedWithItsTail(std::uint64_t size) {
    std::ifstream in(store::saveFileName, std::ios::binary);
    Bytes head(store::imageSize), end(end_.size());
    in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
    in.seekg(static_cast<std::streamoff>(size - end.size()));
    in.read(reinterpret_cast<char*>(end.data()), std::streamsize(end.size()));
    EXPECT_EQ(fs::file_size(store::saveFileName), size);
    EXPECT_EQ(head, savedOver(Bytes{}, newSlots()));
    EXPECT_EQ(end, end_);
  }
  static inline const Bytes end_ = patternBytes(100, 8);
};

TEST_F(LongTail, OnlyATailThatCopiesAtOnceIsCopied) {
  const std::pair<std::uint64_t, bool> cases[] = {
      {longest, true},                  // copied into a new file
      {longest + 1, false},             // written in place
      {std::uint64_t{1} << 30, false},  // 1 GiB, almost all of it a hole
  };
  for (const auto& [size, replaced] : cases) {
    SCOPED_TRACE(testing::Message() << size << " bytes");
    makeSparse(size);
    const FileIdentity before = fileIdentity(store::saveFileName);
    ASSERT_TRUE(store::SaveFile().save(newSlots()));
    EXPECT_EQ(fileIdentity(store::saveFileName) != before, replaced);
    expectSavedWithItsTail(size);
#ifndef _WIN32
    struct stat info {};
    ASSERT_EQ(::stat(store::saveFileName, &info), 0);
    EXPECT_LT(info.st_blocks * 512, 4 * 1024 * 1024) << "the hole was filled";
#endif
    emptyFolder();
  }
}

TEST_F(LongTail, AFileThatGrowsWhileItsTailIsCopiedIsWrittenInPlaceWithWhatItGained) {
  const std::uint64_t size = store::imageSize + 200 * 1024;
  makeSparse(size);
  const FileIdentity before = fileIdentity(store::saveFileName);
  // Another program appends to it at every read, on and on.
  const Bytes more = patternBytes(4096, 6);
  FaultyFileLayer files;
  for (int read = 1; read <= 1000; ++read) {
    files.before(
        Step::readAt,
        [&] {
          std::ofstream out(store::saveFileName, std::ios::binary | std::ios::app);
          out.write(reinterpret_cast<const char*>(more.data()), std::streamsize(more.size()));
        },
        read);
  }
  ASSERT_TRUE(store::SaveFile(files).save(newSlots()));
  EXPECT_EQ(fileIdentity(store::saveFileName), before);
  const std::uint64_t grown = fs::file_size(store::saveFileName);
  EXPECT_EQ((grown - size) % more.size(), 0u);
  EXPECT_LE(grown - size, 10 * more.size()) << "the save kept reading what was added";
  std::ifstream in(store::saveFileName, std::ios::binary);
  Bytes head(store::imageSize), last(more.size());
  in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
  in.seekg(static_cast<std::streamoff>(grown - more.size()));
  in.read(reinterpret_cast<char*>(last.data()), std::streamsize(last.size()));
  EXPECT_EQ(head, savedOver(Bytes{}, newSlots()));
  EXPECT_EQ(last, more);
}

}  // namespace
