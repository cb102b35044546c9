#pragma once
// Helpers for the save-file tests: a fresh current folder per test, whole-file reads and writes,
// the file layer that fails, trickles or loses power where a test tells it to, another copy
// holding the lock, and a child process to talk to.

#include <gtest/gtest.h>
#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "settings/clock_settings.h"
#include "store/file_layer.h"
#include "store/record_codec.h"
#include "store/save_file.h"
#include "tests/faulty_file_layer.h"
#include "toolkit/testing/temp_folder.h"

namespace store_test {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

inline Bytes readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// `size` bytes that differ from their neighbours and from zero, so a moved or lost byte shows.
inline Bytes patternBytes(std::size_t size, std::uint8_t seed = 1) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7 + 1);
  return bytes;
}

// Five saved records that differ from each other and from any an old file holds: the defaults,
// each with its own alarm minute from `firstMinute` on.
inline settings::Slots savedSlots(int firstMinute) {
  settings::Slots slots{};
  for (int k = 0; k < settings::slotCount; ++k) {
    slots[k] = settings::defaultSettings;
    slots[k].alarmMinutes = static_cast<std::int16_t>(firstMinute + k);
    slots[k].saved = settings::flagTrue;
  }
  return slots;
}

// What the file must hold after saving `slots` over `old`: their bytes, then whatever the old
// file held beyond them.
inline Bytes savedOver(const Bytes& old, const settings::Slots& slots) {
  const store::SlotsImage image = store::encodeSlots(slots);
  Bytes expected = old.size() > image.size() ? old : Bytes(image.size());
  std::copy(image.begin(), image.end(), expected.begin());
  return expected;
}

// Every test runs in a new empty folder as its current directory, removed afterwards.
class InFreshFolder : public ::testing::Test {
 protected:
  const fs::path& folder() const { return folder_.path(); }

  // The names in the current folder: shows a temporary file left behind.
  static std::set<std::string> folderEntries() {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator("."))
      names.insert(entry.path().filename().string());
    return names;
  }

  // Empties the current folder, so that the next case of a table starts as a new test does.
  static void emptyFolder() {
    for (const std::string& name : folderEntries()) fs::remove_all(name);
  }

 private:
  tk::testing::TempFolder folder_{tk::testing::TempFolder::asCurrentFolder, "stopwatch-store-"};
};

// Another copy that holds the save file's lock, as far as the lock can tell: a thread of its own
// that takes the lock (through `path`) when made, and lets go when told to or when it ends.
class LockHolder {
 public:
  explicit LockHolder(const std::string& path = store::saveFileName)
      : thread_([this, path] {
          store::FileLayer& files = store::systemFileLayer();
          store::FileLayer::Handle lock = 0;
          const store::ErrorCode error = files.tryLock(path, lock);
          std::unique_lock<std::mutex> guard(mutex_);
          taken_ = error == 0;
          answered_ = true;
          changed_.notify_all();
          changed_.wait(guard, [this] { return release_; });
          if (beforeRelease_) beforeRelease_();
          if (taken_) files.unlock(lock);
        }) {
    std::unique_lock<std::mutex> guard(mutex_);
    changed_.wait(guard, [this] { return answered_; });
  }
  ~LockHolder() { release(); }

  bool taken() const { return taken_; }

  // Runs `last` in the holding thread, still holding the lock, then lets go.
  void release(std::function<void()> last = {}) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      if (release_) return;
      beforeRelease_ = std::move(last);
      release_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool answered_ = false;
  bool taken_ = false;
  bool release_ = false;
  std::function<void()> beforeRelease_;
  std::thread thread_;
};

// Which file a name leads to, so that a test sees whether a save replaced the file or wrote
// into it: device and inode, or on Windows volume and file index.
using FileIdentity = std::pair<std::uint64_t, std::uint64_t>;

inline FileIdentity fileIdentity(const fs::path& path) {
#ifdef _WIN32
  const HANDLE file =
      ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = file != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(file, &info);
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  EXPECT_TRUE(known) << path;
  return {info.dwVolumeSerialNumber,
          (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
#else
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return {info.st_dev, info.st_ino};
#endif
}

#ifdef _WIN32
// The reasons in the words of Windows' own messages, as the save file gives them there.
inline std::string windowsReasonText(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return "Access is denied";
    case ENOSPC:
      return "There is not enough space on the disk";
    case EROFS:
      return "The media is write protected";
    case EISDIR:
      return "It is a folder";
    case EXDEV:
      return "The system cannot move the file to a different disk drive";
    case EIO:
      return "The request could not be performed because of an I/O device error";
    case EBUSY:
      return "The requested resource is in use";
    case ELOOP:
      return "The name of the file cannot be resolved by the system";
    case store::fileInUse:
      return "Another program has it open; close it there and try again";
    default:
      return "(no Windows wording for errno " + std::to_string(error) + ")";
  }
}
#else

// "nobody" on Debian: a user without privileges that every machine has.
inline constexpr uid_t nobodyId = 65534;

// A save-file call's result as "<reason>|<message>", which shows both in a failed comparison.
inline std::string describe(const store::FileResult& result) {
  return std::to_string(result.reason()) + "|" + result.message();
}

// Runs `action` as the user `uid` (its group the same number, and `groups` beside it) and returns
// its result described. Another user than the current one takes root: then the action runs in a
// child process switched to that user. Nothing when the switch cannot be made.
inline std::optional<std::string> runAs(uid_t uid, const std::function<store::FileResult()>& action,
                                        const std::vector<gid_t>& groups = {}) {
  if (uid == ::geteuid() && groups.empty()) return describe(action());
  if (::geteuid() != 0) return std::nullopt;
  int channel[2];
  if (::pipe(channel) != 0) return std::nullopt;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(uid) != 0 ||
        ::setuid(uid) != 0) {
      ::_exit(1);
    }
    const std::string text = describe(action());
    const bool sent = ::write(channel[1], text.data(), text.size()) == ssize_t(text.size());
    ::_exit(sent ? 0 : 1);
  }
  ::close(channel[1]);
  std::string text;
  char buffer[256];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return text;
}

// A child process that runs `body` and ends, its exit status 0 when `body` says true. Parent and
// child talk through two pipes: each sends whole values of plain types to the other.
class ChildProcess {
 public:
  explicit ChildProcess(const std::function<bool(ChildProcess&)>& body) {
    int up[2];
    int down[2];
    if (::pipe(up) != 0) return;
    if (::pipe(down) != 0) {
      ::close(up[0]);
      ::close(up[1]);
      return;
    }
    pid_ = ::fork();
    const bool inChild = pid_ == 0;
    ::close(inChild ? up[0] : up[1]);
    ::close(inChild ? down[1] : down[0]);
    toOther_ = inChild ? up[1] : down[1];
    fromOther_ = inChild ? down[0] : up[0];
    if (inChild) ::_exit(body(*this) ? 0 : 1);
  }
  ~ChildProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (toOther_ >= 0) ::close(toOther_);
    if (fromOther_ >= 0) ::close(fromOther_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }

  template <typename T>
  bool send(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    return ::write(toOther_, &value, sizeof value) == ssize_t(sizeof value);
  }
  // The next value from the other side; false when it has ended (or sent something else).
  template <typename T>
  bool receive(T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    auto* bytes = reinterpret_cast<char*>(&value);
    for (std::size_t got = 0; got < sizeof value;) {
      const ssize_t n = ::read(fromOther_, bytes + got, sizeof value - got);
      if (n <= 0) return false;
      got += static_cast<std::size_t>(n);
    }
    return true;
  }

  // Waits for the child to end: its exit status, or -1 when a signal ended it.
  int wait() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  void kill(int signal) { ::kill(pid_, signal); }

 private:
  pid_t pid_ = -1;
  int toOther_ = -1;
  int fromOther_ = -1;
};

#endif  // _WIN32

}  // namespace store_test
