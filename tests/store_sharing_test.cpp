// The save file in a folder shared with other users (like /tmp): files, links and temporary files
// that another user planted there. Every case runs as root and as the unprivileged user "nobody";
// the other user is a third id. Planting another user's files needs root, so without root these
// tests are skipped, and say so.

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

Slots newSlots() { return savedSlots(10); }

Bytes savedOver(const Bytes& old) { return store_test::savedOver(old, newSlots()); }

struct stat linkInfo(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info;
}

std::optional<std::string> saveAs(uid_t user) {
  return runAs(user, [] { return store::SaveFile().save(newSlots()); });
}

std::optional<std::string> loadAs(uid_t user) {
  return runAs(user, [] {
    Slots slots{};
    return store::SaveFile().load(slots);
  });
}

// A fresh folder open to everyone with the sticky bit, as /tmp is; each test runs its body once
// for root and once for "nobody" as the saving user.
class SharedFolder : public InFreshFolder {
 protected:
  void SetUp() override {
    InFreshFolder::SetUp();
    if (::geteuid() != 0) GTEST_SKIP() << "planting other users' files needs root";
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

}  // namespace
