// The save file in a folder shared with other users (like /tmp): files, links and temporary files
// that another user planted there. Every case runs as root and as the unprivileged user "nobody";
// the other user is a third id. Planting another user's files needs root, so without root these
// tests fail and say why: a run that could not look at a case has not shown that it holds.

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "store/record_codec.h"
#include "store_test_support.h"

namespace {

using namespace store_test;
using settings::Slots;

constexpr uid_t otherUser = 4242;
constexpr uid_t thirdUser = 4243;
constexpr gid_t team = 4300;

Slots newSlots() { return savedSlots(10); }

Bytes savedOver(const Bytes& old) { return store_test::savedOver(old, newSlots()); }

struct stat linkInfo(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info;
}

std::optional<std::string> saveAs(uid_t user, const std::vector<gid_t>& groups = {}) {
  return runAs(
      user, [] { return store::SaveFile().save(newSlots()); }, groups);
}

std::optional<std::string> loadAs(uid_t user, const std::vector<gid_t>& groups = {}) {
  return runAs(
      user,
      [] {
        Slots slots{};
        return store::SaveFile().load(slots);
      },
      groups);
}

std::string saveRefused(int reason, const std::string& where, const std::string& reasonText) {
  return std::to_string(reason) + "|Could not save the slots to \"fileClockSave.bin\": " + where +
         ": " + reasonText + ".";
}

// A fresh folder open to everyone with the sticky bit, as /tmp is; each test runs its body once
// for root and once for "nobody" as the saving user.
class SharedFolder : public InFreshFolder {
 protected:
  void SetUp() override {
    InFreshFolder::SetUp();
    if (::geteuid() != 0) FAIL() << "planting other users' files needs root: run this test as root";
    ASSERT_EQ(::chmod(".", 01777), 0);
  }

  void forEachUser(const std::function<void(uid_t)>& body) {
    for (uid_t user : {uid_t{0}, nobodyId}) {
      SCOPED_TRACE(user == 0 ? "saving as root" : "saving as nobody");
      body(user);
      emptyFolder();
    }
  }

  static void plant(const std::string& name, const Bytes& bytes, unsigned mode, uid_t owner) {
    writeBytes(name, bytes);
    ASSERT_EQ(::chown(name.c_str(), owner, owner), 0);
    ASSERT_EQ(::chmod(name.c_str(), mode), 0);  // after chown, which clears setuid bits
  }
  static void plantLink(const std::string& name, const std::string& pointee, uid_t owner) {
    fs::create_symlink(pointee, name);
    ASSERT_EQ(::lchown(name.c_str(), owner, owner), 0);
  }

  const Bytes planted_ = patternBytes(200, 9);
};

TEST_F(SharedFolder, AnotherUsersSetuidFileIsWrittenInPlaceAndNoneOfOursAppears) {
  forEachUser([&](uid_t user) {
    plant(store::saveFileName, planted_, 06777, otherUser);
    const ino_t inode = linkInfo(store::saveFileName).st_ino;
    EXPECT_EQ(saveAs(user), "0|");
    const struct stat after = linkInfo(store::saveFileName);
    EXPECT_EQ(after.st_ino, inode) << "replaced by a new file";
    EXPECT_EQ(after.st_uid, otherUser);
    EXPECT_EQ(after.st_mode & ~06777u & 07777u, 0u) << std::oct << after.st_mode;
    EXPECT_EQ(readBytes(store::saveFileName), savedOver(planted_));
    EXPECT_EQ(folderEntries(), std::set<std::string>{store::saveFileName});
  });
}

TEST_F(SharedFolder, AnotherUsersFileThatMayNotBeWrittenIsLeftAsItWas) {
  plant(store::saveFileName, planted_, 06755, otherUser);
  const std::optional<std::string> result = saveAs(nobodyId);
  ASSERT_TRUE(result);
  EXPECT_EQ(*result, std::to_string(EACCES) +
                         "|Could not save the slots to \"fileClockSave.bin\": the file itself may "
                         "not be written: " +
                         std::strerror(EACCES) + ".");
  const struct stat after = linkInfo(store::saveFileName);
  EXPECT_EQ(after.st_uid, otherUser);
  EXPECT_EQ(after.st_mode & 07777, 06755u);
  EXPECT_EQ(readBytes(store::saveFileName), planted_);
  EXPECT_EQ(folderEntries(), std::set<std::string>{store::saveFileName});
}

TEST_F(SharedFolder, TheUsersOwnSetuidFileIsReplacedByOneWithReadAndWriteBitsOnly) {
  forEachUser([&](uid_t user) {
    plant(store::saveFileName, planted_, 06777, user);
    EXPECT_EQ(saveAs(user), "0|");
    const struct stat after = linkInfo(store::saveFileName);
    EXPECT_TRUE(S_ISREG(after.st_mode));
    EXPECT_EQ(after.st_uid, user);
    EXPECT_EQ(after.st_mode & 07777, 0666u);
    EXPECT_EQ(readBytes(store::saveFileName), savedOver(planted_));
  });
}

TEST_F(SharedFolder, ALinkOfAnotherUsersIsNotFollowedAndNothingIsTouched) {
  const std::string refused = std::to_string(store::foreignLink) +
                              "|Could not %s: the symbolic link \"fileClockSave.bin\" belongs to "
                              "another user: It is not followed.";
  auto expected = [&](const char* what) {
    std::string text = refused;
    return text.replace(text.find("%s"), 2, what);
  };
  forEachUser([&](uid_t user) {
    plant("victim.bin", planted_, 0666, otherUser);
    plantLink(store::saveFileName, "victim.bin", otherUser);
    plantLink("dangling.link", "elsewhere/new.bin", otherUser);
    const std::set<std::string> before = folderEntries();
    EXPECT_EQ(loadAs(user), expected("read the save file \"fileClockSave.bin\""));
    EXPECT_EQ(saveAs(user), expected("save the slots to \"fileClockSave.bin\""));
    EXPECT_EQ(readBytes("victim.bin"), planted_);
    EXPECT_EQ(linkInfo("victim.bin").st_uid, otherUser);
    EXPECT_EQ(linkInfo(store::saveFileName).st_uid, otherUser);
    EXPECT_EQ(fs::read_symlink(store::saveFileName), "victim.bin");
    EXPECT_EQ(folderEntries(), before);

    // A dangling link: start-up creates nothing where it points.
    fs::remove(store::saveFileName);
    fs::create_directory("elsewhere");
    ASSERT_EQ(::chmod("elsewhere", 0777), 0);
    plantLink(store::saveFileName, "elsewhere/new.bin", otherUser);
    EXPECT_EQ(loadAs(user), expected("read the save file \"fileClockSave.bin\""));
    EXPECT_TRUE(fs::is_empty("elsewhere"));
  });
}

TEST_F(SharedFolder, ALinkOfTheUsersOwnOrOfRootsIsFollowed) {
  forEachUser([&](uid_t user) {
    for (uid_t linkOwner : {user, uid_t{0}}) {
      plant("mine.bin", planted_, 0600, user);
      plantLink(store::saveFileName, "mine.bin", linkOwner);
      EXPECT_EQ(loadAs(user), "0|");
      EXPECT_EQ(saveAs(user), "0|");
      EXPECT_EQ(readBytes("mine.bin"), savedOver(planted_));
      EXPECT_EQ(fs::read_symlink(store::saveFileName), "mine.bin");
      fs::remove(store::saveFileName);

      // A dangling one of the user's: start-up creates the file where it points.
      plantLink(store::saveFileName, "made.bin", linkOwner);
      EXPECT_EQ(loadAs(user), "0|");
      EXPECT_EQ(linkInfo("made.bin").st_uid, user);
      emptyFolder();
    }
  });
}

// The id of a process that has ended.
long endedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST_F(SharedFolder, TemporaryFilesLeftByACrashedSaveOfTheUsersAreRemoved) {
  const std::string dead = store::saveFileName + std::string(".") + std::to_string(endedProcess());
  const std::string leftByCrash = dead + "-0-0.tmp";
  const std::string oldStyle = store::saveFileName + std::string(".123456789012345-7-0.tmp");
  const std::string anotherFilesTemporary =
      "other.bin." + std::to_string(endedProcess()) + "-0-0.tmp";
  const std::set<std::string> kept = {
      dead + "-1-0.tmp",                                // another user's
      store::saveFileName + std::string(".1-0-0.tmp"),  // a running process's
      dead + "-2-0.tmp",                                // a link
      dead + "-3-0.tmp",                                // a folder
      store::saveFileName + std::string(".x-0-0.tmp"),  // not our pattern
      anotherFilesTemporary,
  };
  forEachUser([&](uid_t user) {
    for (bool loading : {true, false}) {
      SCOPED_TRACE(loading ? "at start-up" : "at Save");
      plant(store::saveFileName, planted_, 0666, user);
      plant(leftByCrash, planted_, 0600, user);
      plant(oldStyle, planted_, 0600, user);
      plant(dead + "-1-0.tmp", planted_, 0600, otherUser);
      plant(store::saveFileName + std::string(".1-0-0.tmp"), planted_, 0600, user);
      plantLink(dead + "-2-0.tmp", "victim.bin", user);
      fs::create_directory(dead + "-3-0.tmp");
      plant(store::saveFileName + std::string(".x-0-0.tmp"), planted_, 0600, user);
      plant(anotherFilesTemporary, planted_, 0600, user);

      EXPECT_EQ(loading ? loadAs(user) : saveAs(user), "0|");
      std::set<std::string> expected = kept;
      expected.insert(store::saveFileName);
      EXPECT_EQ(folderEntries(), expected);
      emptyFolder();
    }
  });
}

// Another user's process beside the save, doing one of its deeds (as that user, in the current
// folder) whenever the save reaches a chosen step, through FaultyFileLayer::before.
class OtherUsersProcess {
 public:
  explicit OtherUsersProcess(std::vector<std::function<void()>> deeds) {
    EXPECT_EQ(::pipe(requests_), 0);
    EXPECT_EQ(::pipe(answers_), 0);
    child_ = ::fork();
    if (child_ == 0) {
      ::close(requests_[1]);
      ::close(answers_[0]);
      if (::setgroups(0, nullptr) != 0 || ::setgid(otherUser) != 0 || ::setuid(otherUser) != 0) {
        ::_exit(1);
      }
      for (char deed; ::read(requests_[0], &deed, 1) == 1;) {
        deeds.at(static_cast<std::size_t>(deed))();
        if (::write(answers_[1], &deed, 1) != 1) ::_exit(1);
      }
      ::_exit(0);
    }
    ::close(requests_[0]);
    ::close(answers_[1]);
  }
  ~OtherUsersProcess() {
    ::close(requests_[1]);
    ::close(answers_[0]);
    int status = 0;
    ::waitpid(child_, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other user's process";
  }
  OtherUsersProcess(const OtherUsersProcess&) = delete;
  OtherUsersProcess& operator=(const OtherUsersProcess&) = delete;

  // Does deed `index` and returns when it is done.
  void perform(int index) {
    char deed = static_cast<char>(index);
    if (::write(requests_[1], &deed, 1) != 1 || ::read(answers_[0], &deed, 1) != 1) {
      ADD_FAILURE() << "the other user's process did not answer";
    }
  }

 private:
  int requests_[2] = {-1, -1};
  int answers_[2] = {-1, -1};
  pid_t child_ = -1;
};

TEST_F(SharedFolder, AnotherUsersFileWithOtherNamesIsNeverWritten) {
  // Planted here by root, the hard link is what another user makes where
  // fs.protected_hardlinks is 0: a name in the shared folder for a third user's file.
  forEachUser([&](uid_t user) {
    for (unsigned mode : {0600u, 0666u}) {
      SCOPED_TRACE(testing::Message() << "the third user's file has mode " << std::oct << mode);
      fs::create_directory("private");
      plant("private/diary.bin", planted_, mode, thirdUser);
      fs::create_hard_link("private/diary.bin", store::saveFileName);
      const std::string expected =
          user != 0 && mode == 0600
              ? saveRefused(EACCES, "the file itself may not be written", std::strerror(EACCES))
              : saveRefused(store::foreignHardLink,
                            "the file belongs to another user and has other names (hard links)",
                            "It is not written");
      EXPECT_EQ(saveAs(user), expected);
      EXPECT_EQ(readBytes("private/diary.bin"), planted_);
      EXPECT_EQ(linkInfo(store::saveFileName).st_nlink, 2u);
      emptyFolder();
    }
    // The user's own file with another name is replaced: the other name keeps what it held.
    plant("mine.bin", planted_, 0600, user);
    fs::create_hard_link("mine.bin", store::saveFileName);
    EXPECT_EQ(saveAs(user), "0|");
    EXPECT_EQ(readBytes(store::saveFileName), savedOver(planted_));
    EXPECT_EQ(readBytes("mine.bin"), planted_);
  });
}

TEST_F(SharedFolder, ATeamsFileKeepsItsGroupSoTheTeamCanStillReadIt) {
  struct Case {
    const char* what;
    uid_t saver;
    std::vector<gid_t> saversGroups;
    bool replaced;  // else written in place: the new file could not have kept the group
  };
  const Case cases[] = {
      {"root saves", 0, {}, true},
      {"a member of the team saves", nobodyId, {team}, true},
      {"a user no longer in the team saves", nobodyId, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    plant(store::saveFileName, planted_, 0660, c.saver);
    ASSERT_EQ(::chown(store::saveFileName, c.saver, team), 0);
    const ino_t inode = linkInfo(store::saveFileName).st_ino;
    EXPECT_EQ(saveAs(c.saver, c.saversGroups), "0|");
    const struct stat after = linkInfo(store::saveFileName);
    EXPECT_EQ(after.st_ino != inode, c.replaced);
    EXPECT_EQ(after.st_uid, c.saver);
    EXPECT_EQ(after.st_gid, team);
    EXPECT_EQ(after.st_mode & 07777, 0660u);
    EXPECT_EQ(readBytes(store::saveFileName), savedOver(planted_));
    EXPECT_EQ(loadAs(otherUser, {team}), "0|") << "another member of the team";
    EXPECT_EQ(folderEntries(), std::set<std::string>{store::saveFileName});
    emptyFolder();
  }
}

TEST_F(SharedFolder, ALinkOnTheWayToTheFileIsFollowedOnlyWhenTheUserOrRootOwnsIt) {
  const std::string refused =
      saveRefused(store::foreignLink, "the symbolic link \"att\" belongs to another user",
                  "It is not followed");
  forEachUser([&](uid_t user) {
    // The victim: a file of the user's in a folder that the save must not reach.
    fs::create_directory("victim");
    plant("victim/save.bin", planted_, 0666, user);
    ino_t victimInode = linkInfo("victim/save.bin").st_ino;
    auto expectVictimUntouched = [&] {
      EXPECT_EQ(linkInfo("victim/save.bin").st_ino, victimInode);
      EXPECT_EQ(readBytes("victim/save.bin"), planted_);
    };
    plantLink(store::saveFileName, "att/save.bin", user);

    // Another user's link on the way is refused, at start-up and at Save.
    plantLink("att", "victim", otherUser);
    EXPECT_EQ(saveAs(user), refused);
    std::string loadRefused = refused;
    loadRefused.replace(loadRefused.find("save the slots to"), 17, "read the save file");
    EXPECT_EQ(loadAs(user), loadRefused);
    expectVictimUntouched();

    // The user's own or root's is followed.
    for (uid_t linkOwner : {user, uid_t{0}}) {
      fs::remove("att");
      plantLink("att", "victim", linkOwner);
      EXPECT_EQ(saveAs(user), "0|");
      EXPECT_EQ(readBytes("victim/save.bin"), savedOver(planted_));
      writeBytes("victim/save.bin", planted_);
    }
    victimInode = linkInfo("victim/save.bin").st_ino;

    // A folder on the way that another user makes a link after the save looked at it: the save
    // looks again and refuses the link.
    fs::remove("att");
    fs::create_directory("att");
    ASSERT_EQ(::chown("att", otherUser, otherUser), 0);
    plant("att/save.bin", planted_, 0666, user);
    OtherUsersProcess other({[] {
      fs::rename("att", "att.old");
      fs::create_symlink("victim", "att");
    }});
    const std::optional<std::string> result = runAs(user, [&] {
      FaultyFileLayer files;
      files.before(Step::openExisting, [&] { other.perform(0); });
      return store::SaveFile(files).save(newSlots());
    });
    EXPECT_EQ(result, refused);
    expectVictimUntouched();
    EXPECT_EQ(std::distance(fs::directory_iterator("victim"), fs::directory_iterator()), 1)
        << "a temporary file left in the victim's folder";
  });
}

TEST_F(SharedFolder, AnotherUserMakingOrRemovingTheFileDuringASaveMakesItLookAgain) {
  struct Case {
    const char* what;
    bool fileAtStart;
    int makes;    // before so many temporary files are made, the other user makes the file
    int removes;  // before the file is opened so many times, the other user removes it
  };
  const Case cases[] = {
      {"made before the new file takes the name", false, 1, 0},
      {"removed before it is opened", true, 0, 1},
      {"made and removed on and on", false, 100, 100},
  };
  forEachUser([&](uid_t user) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      if (c.fileAtStart) plant(store::saveFileName, planted_, 0666, otherUser);
      const Bytes planted = planted_;
      OtherUsersProcess other({[planted] {
                                 writeBytes("made.tmp", planted);
                                 ::chmod("made.tmp", 0666);
                                 fs::rename("made.tmp", store::saveFileName);
                               },
                               [] { fs::remove(store::saveFileName); }});
      const std::optional<std::string> result = runAs(user, [&] {
        FaultyFileLayer files;
        for (int k = 1; k <= c.makes; ++k) {
          files.before(
              Step::createNew, [&] { other.perform(0); }, k);
        }
        for (int k = 1; k <= c.removes; ++k) {
          files.before(
              Step::openExisting, [&] { other.perform(1); }, k);
        }
        return store::SaveFile(files).save(newSlots());
      });
      ASSERT_TRUE(result);
      if (c.makes == 100) {
        // It gives up in the end, saying what happened: the folder refused nothing.
        EXPECT_NE(result->find("another program made or removed a file of that name during the "
                               "save"),
                  std::string::npos)
            << *result;
        EXPECT_EQ(result->find("no new file"), std::string::npos) << *result;
      } else {
        EXPECT_EQ(*result, "0|");
        const struct stat after = linkInfo(store::saveFileName);
        // Made by the other user meanwhile: theirs, written in place. Removed: a new one.
        EXPECT_EQ(after.st_uid, c.fileAtStart ? user : otherUser);
        EXPECT_EQ(readBytes(store::saveFileName),
                  c.fileAtStart ? savedOver(Bytes{}) : savedOver(planted_));
      }
      EXPECT_EQ(folderEntries().count("made.tmp"), 0u);
      emptyFolder();
    }
  });
}

TEST_F(SharedFolder, EveryTemporaryNameTakenStillSavesAndNothingIsWrittenThroughThem) {
  forEachUser([&](uid_t user) {
    plant(store::saveFileName, planted_, 0666, user);
    plant("victim.bin", planted_, 0666, otherUser);
    const ino_t inode = linkInfo(store::saveFileName).st_ino;
    const std::optional<std::string> result = runAs(user, [&] {
      // The test knows the "unguessable" number and plants a link at every name a save tries.
      FaultyFileLayer files;
      files.fixedRandomNumber(7);
      for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = std::string(store::saveFileName) + "." +
                                 std::to_string(::getpid()) + "-7-" + std::to_string(attempt) +
                                 ".tmp";
        fs::create_symlink("victim.bin", name);
      }
      return store::SaveFile(files).save(newSlots());
    });
    EXPECT_EQ(result, "0|");
    EXPECT_EQ(linkInfo(store::saveFileName).st_ino, inode) << "written in place";
    EXPECT_EQ(readBytes(store::saveFileName), savedOver(planted_));
    EXPECT_EQ(readBytes("victim.bin"), planted_);
  });
}

}  // namespace
