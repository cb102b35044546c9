#pragma once
// A file layer for tests and fuzzing that fails, trickles, loses power or lies about owners
// where it is told to, around the real one.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "store/file_layer.h"

namespace store_test {

enum class Step {
  linkStatus,
  readLink,
  listFolder,
  openExisting,
  createIfMissing,
  createNew,
  statusOf,
  readAt,
  write,
  setPermissions,
  sync,
  close,
  rename,
  remove,
  syncFolder,
  setGroup,
  renameToFreeName,
  tryLock,
};
inline constexpr int stepCount = static_cast<int>(Step::tryLock) + 1;

// The real file layer (or another one it wraps), with six ways to misbehave:
// - failAt: the chosen call of one step fails with an errno value and does nothing;
// - cutPowerAfter / cutPowerAt: after so many calls, or from the first call of a step on,
//   nothing more reaches the disk, as when the process dies (descriptors are still released so
//   the test does not leak them);
// - trickle: reads and writes move at most a few bytes per call;
// - pretendOwner: every file and link reads as owned by that owner;
// - before: something happens (another process's doing) just before a chosen call of a step;
// - fixedRandomNumber: the "unguessable" number of temporary names is one the test knows.
class FaultyFileLayer final : public store::FileLayer {
 public:
  explicit FaultyFileLayer(store::FileLayer& real = store::systemFileLayer()) : real_(real) {}

  // May be called for several steps; each fails once, at its chosen call.
  void failAt(Step step, store::ErrorCode error, int occurrence = 1) {
    failures_.push_back({step, error, occurrence, 0});
  }
  void cutPowerAfter(int calls) { callsBeforeCut_ = calls; }
  void cutPowerAt(Step step) { cutStep_ = step; }
  void trickle(std::size_t bytesPerCall) { trickle_ = bytesPerCall; }
  void pretendOwner(store::Owner owner) { owner_ = owner; }
  void before(Step step, std::function<void()> action, int occurrence = 1) {
    actions_.push_back({step, std::move(action), occurrence, 0});
  }
  void fixedRandomNumber(std::uint64_t number) { randomNumber_ = number; }

  bool powerWasCut() const { return powerCut_; }
  // Called with what each tryLock gives back: shows a test when the caller is waiting.
  std::function<void(store::ErrorCode)> lockTried;
  const std::vector<std::string>& createdFiles() const { return created_; }

  store::ErrorCode linkStatus(const std::string& path, store::FileStatus& out) override {
    if (auto error = intercept(Step::linkStatus)) return error;
    return withOwner(real_.linkStatus(path, out), out);
  }
  store::ErrorCode readLink(const std::string& path, std::string& target) override {
    if (auto error = intercept(Step::readLink)) return error;
    return real_.readLink(path, target);
  }
  store::ErrorCode listFolder(const std::string& path, std::vector<std::string>& names) override {
    if (auto error = intercept(Step::listFolder)) return error;
    return real_.listFolder(path, names);
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
  store::ErrorCode statusOf(Handle file, store::FileStatus& out) override {
    if (auto error = intercept(Step::statusOf)) return error;
    return withOwner(real_.statusOf(file, out), out);
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
  store::ErrorCode setGroup(Handle file, unsigned group) override {
    if (auto error = intercept(Step::setGroup)) return error;
    return real_.setGroup(file, group);
  }
  store::ErrorCode rename(const std::string& from, const std::string& to) override {
    if (auto error = intercept(Step::rename)) return error;
    return real_.rename(from, to);
  }
  store::ErrorCode renameToFreeName(const std::string& from, const std::string& to) override {
    if (auto error = intercept(Step::renameToFreeName)) return error;
    return real_.renameToFreeName(from, to);
  }
  store::ErrorCode remove(const std::string& path) override {
    if (auto error = intercept(Step::remove)) return error;
    return real_.remove(path);
  }
  store::ErrorCode syncFolder(const std::string& path) override {
    if (auto error = intercept(Step::syncFolder)) return error;
    return real_.syncFolder(path);
  }
  store::ErrorCode tryLock(const std::string& path, Handle& out) override {
    store::ErrorCode error = intercept(Step::tryLock);
    if (!error) error = real_.tryLock(path, out);
    if (lockTried) lockTried(error);
    return error;
  }
  void unlock(Handle lock) override { real_.unlock(lock); }
  long processId() override { return real_.processId(); }
  bool processIsRunning(long id) override { return real_.processIsRunning(id); }
  std::uint64_t unguessableNumber() override {
    return randomNumber_ ? *randomNumber_ : real_.unguessableNumber();
  }

 private:
  store::ErrorCode intercept(Step step) {
    for (Action& action : actions_) {
      if (step == action.step && ++action.seen == action.occurrence) action.run();
    }
    ++calls_;
    if ((callsBeforeCut_ >= 0 && calls_ > callsBeforeCut_) || step == cutStep_) powerCut_ = true;
    if (powerCut_) return EIO;
    for (Failure& failure : failures_) {
      if (step == failure.step && ++failure.seen == failure.occurrence) return failure.error;
    }
    return 0;
  }
  store::ErrorCode withOwner(store::ErrorCode error, store::FileStatus& status) const {
    if (!error && owner_) status.owner = *owner_;
    return error;
  }

  store::FileLayer& real_;
  std::optional<store::Owner> owner_;
  struct Failure {
    Step step;
    store::ErrorCode error;
    int occurrence;
    int seen;
  };
  std::vector<Failure> failures_;
  struct Action {
    Step step;
    std::function<void()> run;
    int occurrence;
    int seen;
  };
  std::vector<Action> actions_;
  std::optional<std::uint64_t> randomNumber_;
  int callsBeforeCut_ = -1;
  std::optional<Step> cutStep_;
  bool powerCut_ = false;
  int calls_ = 0;
  std::size_t trickle_ = SIZE_MAX;
  std::vector<std::string> created_;
};

}  // namespace store_test
