#pragma once
// Helpers for the save-file tests: a fresh current folder per test, whole-file reads and writes,
// and the file layer that fails, trickles or loses power where a test tells it to.

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "settings/clock_settings.h"
#include "store/file_layer.h"
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

// Every test runs in a new empty folder as its current directory, removed afterwards.
class InFreshFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    folder_ = tk::testing::TempFolder::makeUniqueFolder("stopwatch-store-");
    fs::current_path(folder_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    std::error_code ignored;
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(folder_, ignored);
  }

  const fs::path& folder() const { return folder_; }

  // The names in the current folder: shows a temporary file left behind.
  static std::set<std::string> folderEntries() {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(".")) names.insert(entry.path().filename().string());
    return names;
  }

 private:
  fs::path previous_;
  fs::path folder_;
};

// "nobody" on Debian: a user without privileges that every machine has.
inline constexpr uid_t nobodyId = 65534;

// A save-file call's result as "<reason>|<message>", which shows both in a failed comparison.
inline std::string describe(const store::FileResult& result) {
  return std::to_string(result.reason()) + "|" + result.message();
}

// Runs `action` as the user `uid` (its group the same number, no other groups) and returns
// its result described. Another user than the current one takes root: then the action runs in a
// child process switched to that user. Nothing when the switch cannot be made.
inline std::optional<std::string> runAs(uid_t uid,
                                        const std::function<store::FileResult()>& action) {
  if (uid == ::geteuid()) return describe(action());
  if (::geteuid() != 0) return std::nullopt;
  int channel[2];
  if (::pipe(channel) != 0) return std::nullopt;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    if (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0) ::_exit(1);
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

}  // namespace store_test
