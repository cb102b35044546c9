#pragma once
// Helpers for the save-file tests: a fresh current folder per test, whole-file reads and writes,
// and a file layer that fails, trickles or loses power where a test tells it to.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "settings/clock_settings.h"
#include "store/file_layer.h"
#include "store/save_file.h"
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
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
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

enum class Step {
  status, readLink, openExisting, createIfMissing, createNew, readAt, write, setPermissions,
  sync, close, rename, remove, syncFolder
};

// The real file layer, with three ways to misbehave:
// - failAt: the chosen call of one step fails with an errno value and does nothing;
// - cutPowerAfter / cutPowerAt: after so many calls, or from the first call of a step on,
//   nothing more reaches the disk, as when the process dies (descriptors are still released so
//   the test does not leak them);
// - trickle: reads and writes move at most a few bytes per call.
class FaultyFileLayer final : public store::FileLayer {
 public:
  void failAt(Step step, store::ErrorCode error, int occurrence = 1) {
    failStep_ = step;
    failError_ = error;
    failOccurrence_ = occurrence;
  }
  void cutPowerAfter(int calls) { callsBeforeCut_ = calls; }
  void cutPowerAt(Step step) { cutStep_ = step; }
  void trickle(std::size_t bytesPerCall) { trickle_ = bytesPerCall; }

  bool powerWasCut() const { return powerCut_; }
  const std::vector<std::string>& createdFiles() const { return created_; }

  store::ErrorCode status(const std::string& path, store::FileStatus& out) override {
    if (auto error = intercept(Step::status)) return error;
    return real_.status(path, out);
  }
  store::ErrorCode readLink(const std::string& path, std::string& target) override {
    if (auto error = intercept(Step::readLink)) return error;
    return real_.readLink(path, target);
  }
  store::ErrorCode openExisting(const std::string& path, bool forWriting, Handle& out) override {
    if (auto error = intercept(Step::openExisting)) return error;
    return real_.openExisting(path, forWriting, out);
  }
  store::ErrorCode createIfMissing(const std::string& path) override {
    if (auto error = intercept(Step::createIfMissing)) return error;
    return real_.createIfMissing(path);
  }
  store::ErrorCode createNew(const std::string& path, unsigned permissions, Handle& out) override {
    if (auto error = intercept(Step::createNew)) return error;
    created_.push_back(path);
    return real_.createNew(path, permissions, out);
  }
  store::ErrorCode readAt(Handle file, std::uint64_t offset, std::span<std::uint8_t> buffer,
                          std::size_t& got) override {
    if (auto error = intercept(Step::readAt)) return error;
    return real_.readAt(file, offset, buffer.first(std::min(buffer.size(), trickle_)), got);
  }
  store::ErrorCode write(Handle file, std::span<const std::uint8_t> bytes,
                         std::size_t& written) override {
    if (auto error = intercept(Step::write)) return error;
    return real_.write(file, bytes.first(std::min(bytes.size(), trickle_)), written);
  }
  store::ErrorCode setPermissions(Handle file, unsigned permissions) override {
    if (auto error = intercept(Step::setPermissions)) return error;
    return real_.setPermissions(file, permissions);
  }
  store::ErrorCode sync(Handle file) override {
    if (auto error = intercept(Step::sync)) return error;
    return real_.sync(file);
  }
  store::ErrorCode close(Handle file) override {
    // Like the system call: the descriptor is gone even when closing reports an error.
    const store::ErrorCode error = intercept(Step::close);
    const store::ErrorCode closed = real_.close(file);
    return error ? error : closed;
  }
  store::ErrorCode rename(const std::string& from, const std::string& to) override {
    if (auto error = intercept(Step::rename)) return error;
    return real_.rename(from, to);
  }
  store::ErrorCode remove(const std::string& path) override {
    if (auto error = intercept(Step::remove)) return error;
    return real_.remove(path);
  }
  store::ErrorCode syncFolder(const std::string& path) override {
    if (auto error = intercept(Step::syncFolder)) return error;
    return real_.syncFolder(path);
  }

 private:
  store::ErrorCode intercept(Step step) {
    ++calls_;
    if ((callsBeforeCut_ >= 0 && calls_ > callsBeforeCut_) || step == cutStep_) powerCut_ = true;
    if (powerCut_) return EIO;
    if (step == failStep_ && ++failSeen_ == failOccurrence_) return failError_;
    return 0;
  }

  store::FileLayer& real_ = store::systemFileLayer();
  Step failStep_ = Step::status;
  store::ErrorCode failError_ = 0;
  int failOccurrence_ = 0;  // 0: never fail
  int failSeen_ = 0;
  int callsBeforeCut_ = -1;
  std::optional<Step> cutStep_;
  bool powerCut_ = false;
  int calls_ = 0;
  std::size_t trickle_ = SIZE_MAX;
  std::vector<std::string> created_;
};

}  // namespace store_test
