#include "store/save_file.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "store/record_codec.h"

namespace store {
namespace {

// Links are followed at most this many times, like the operating system's own limit.
constexpr int maxLinkHops = 40;
constexpr std::size_t copyChunk = 64 * 1024;
// Only these bits carry over to a new file: never setuid, setgid, sticky or execute.
constexpr unsigned readWriteBits = 0666;

std::string inQuotes(const std::string& text) { return "\"" + text + "\""; }

#ifdef _WIN32
// The reasons a save meets on Windows, in the words of Windows' own messages, which a Windows
// user has seen before; the C runtime would speak of directories and permissions.
const char* windowsWording(ErrorCode reason) {
  switch (reason) {
    case EACCES:
    case EPERM:
      return "Access is denied";
    case ENOENT:
      return "The system cannot find the file specified";
    case EEXIST:
      return "The file exists";
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
    case EMFILE:
      return "The system cannot open the file";
    default:
      return nullptr;
  }
}
#endif

std::string reasonText(ErrorCode reason) {
  if (reason == notARegularFile) return "It is not a regular file";
  if (reason == foreignLink) return "It is not followed";
  if (reason == fileInUse) return "Another program has it open; close it there and try again";
  if (reason == lockedElsewhere) {
    return "Another copy of the stopwatch, or another program, keeps it locked; nothing was "
           "written, try again";
  }
#ifdef _WIN32
  if (const char* wording = windowsWording(reason)) return wording;
#endif
  return std::generic_category().message(reason);
}

// A failure and, where the user needs it to see which thing refused, that thing.
struct Problem {
  Problem(ErrorCode reason = 0, std::string where = {}) : reason(reason), where(std::move(where)) {}
  explicit operator bool() const { return reason != 0; }

  ErrorCode reason;
  std::string where;
};

FileResult failure(const char* what, const Problem& problem) {
  std::string message = std::string(what) + " " + inQuotes(saveFileName) + ": ";
  if (!problem.where.empty()) message += problem.where + ": ";
  return FileResult::failure(problem.reason, message + reasonText(problem.reason) + ".");
}

constexpr const char* readFailed = "Could not read the save file";
constexpr const char* createFailed = "Could not create the save file";
constexpr const char* saveFailed = "Could not save the slots to";

// The system said no (rights, a read-only disk), rather than something going wrong.
bool isRefusal(ErrorCode error) { return error == EACCES || error == EPERM || error == EROFS; }

std::string folderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? "." : folder.string();
}

// The folder as the user knows it: a whole path, not ".".
std::string folderForMessage(const std::string& path) {
  std::error_code ignored;
  std::filesystem::path folder = std::filesystem::absolute(folderOf(path), ignored);
  folder = folder.lexically_normal();
  if (!folder.has_filename() && folder.has_parent_path() && folder != folder.root_path()) {
    folder = folder.parent_path();  // "/tmp/x/" -> "/tmp/x"
  }
  return folder.string();
}

Problem folderRefused(ErrorCode error, const std::string& path) {
  if (!isRefusal(error)) return {error};
  return {error, "no new file may be made in the folder " + inQuotes(folderForMessage(path))};
}

Problem fileRefused(ErrorCode error) {
  if (!isRefusal(error)) return {error};
  return {error, "the file itself may not be written"};
}

ErrorCode checkIsRegularFile(const FileStatus& status) {
  if (status.isDirectory) return EISDIR;
  return status.isRegularFile ? 0 : notARegularFile;
}

// Closes the file when it goes out of scope, unless closed (and checked) before.
class OpenFile {
 public:
  OpenFile(FileLayer& files, FileLayer::Handle handle) : files_(files), handle_(handle) {}
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile() {
    if (open_) files_.close(handle_);  // an earlier error is already being reported
  }

  FileLayer::Handle handle() const { return handle_; }
  ErrorCode close() {
    if (!open_) return 0;
    open_ = false;
    return files_.close(handle_);
  }

 private:
  FileLayer& files_;
  FileLayer::Handle handle_;
  bool open_ = true;
};

// Reads from `offset` until `buffer` is full or the file ends; `got` says how much was read.
ErrorCode readFully(FileLayer& files, FileLayer::Handle file, std::uint64_t offset,
                    std::span<std::uint8_t> buffer, std::size_t& got) {
  got = 0;
  while (got < buffer.size()) {
    std::size_t count = 0;
    if (ErrorCode error = files.readAt(file, offset + got, buffer.subspan(got), count)) {
      return error;
    }
    if (count == 0) break;
    got += count;
  }
  return 0;
}

ErrorCode writeFully(FileLayer& files, FileLayer::Handle file,
                     std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    std::size_t written = 0;
    if (ErrorCode error = files.write(file, bytes, written)) return error;
    if (written == 0) return EIO;  // no progress and no reason: do not spin
    bytes = bytes.subspan(written);
  }
  return 0;
}

// Copies everything the old file holds beyond the slots' image to the end of the new one.
ErrorCode copyTail(FileLayer& files, FileLayer::Handle from, FileLayer::Handle to) {
  std::vector<std::uint8_t> chunk(copyChunk);
  for (std::uint64_t offset = imageSize;;) {
    std::size_t got = 0;
    if (ErrorCode error = readFully(files, from, offset, chunk, got)) return error;
    if (got == 0) return 0;
    if (ErrorCode error = writeFully(files, to, std::span(chunk).first(got))) return error;
    offset += got;
  }
}

// The file the save file's name finally leads to, and what is there now, if anything.
struct Target {
  std::string path = saveFileName;
  bool exists = false;
  FileStatus status;
};

// Follows symbolic links from the save file's name, one at a time. Only a link that the user
// (or root) owns is followed: in a folder shared with others, a link of someone else's could
// send our write to any file the user may change.
Problem findTarget(FileLayer& files, Target& target) {
  for (int hop = 0; hop < maxLinkHops; ++hop) {
    const ErrorCode error = files.linkStatus(target.path, target.status);
    if (error == ENOENT) return {};  // nothing there yet
    if (error) return {error};
    if (!target.status.isLink) {
      target.exists = true;
      return {};
    }
    if (target.status.owner == Owner::other) {
      return {foreignLink,
              "the symbolic link " + inQuotes(target.path) + " belongs to another user"};
    }
    std::string pointee;
    if (ErrorCode readError = files.readLink(target.path, pointee)) return {readError};
    std::filesystem::path next(pointee);
    if (next.is_relative()) next = std::filesystem::path(target.path).parent_path() / next;
    target.path = next.string();
  }
  return {ELOOP};
}

// Temporary files are named "<file>.<process id>-<count>-<attempt>.tmp", beside the file.
std::string temporaryNameFor(FileLayer& files, const std::string& target, int attempt) {
  static std::atomic<unsigned> counter{0};
  return target + "." + std::to_string(files.processId()) + "-" + std::to_string(counter++) + "-" +
         std::to_string(attempt) + ".tmp";
}

// The process id in `name` when it is one of our temporary names for the file `base`.
std::optional<long> temporaryNameProcess(std::string_view name, std::string_view base) {
  const std::string_view suffix = ".tmp";
  if (name.size() <= base.size() + 1 + suffix.size() || !name.starts_with(base) ||
      name[base.size()] != '.' || !name.ends_with(suffix)) {
    return std::nullopt;
  }
  const std::string_view middle =
      name.substr(base.size() + 1, name.size() - base.size() - 1 - suffix.size());
  int numbers = 0;
  bool inNumber = false;
  for (char c : middle) {
    if (c >= '0' && c <= '9') {
      numbers += inNumber ? 0 : 1;
      inNumber = true;
    } else if (c == '-' && inNumber) {
      inNumber = false;
    } else {
      return std::nullopt;
    }
  }
  if (numbers != 3 || !inNumber) return std::nullopt;
  long id = 0;
  const auto [end, error] = std::from_chars(middle.data(), middle.data() + middle.size(), id);
  (void)end;
  return error == std::errc() ? id : 0;  // too large for a process id: no process has it
}

// Removes our temporary files beside `target` that a crashed save left: regular files of the
// user's, named after a process that no longer runs. Best effort: what cannot be removed
// stays, and costs nothing but room.
void removeLeftTemporaries(FileLayer& files, const std::string& target) {
  const std::filesystem::path targetPath(target);
  const std::string base = targetPath.filename().string();
  std::vector<std::string> names;
  if (files.listFolder(folderOf(target), names)) return;
  for (const std::string& name : names) {
    const std::optional<long> process = temporaryNameProcess(name, base);
    if (!process) continue;
    if (*process != files.processId() && files.processIsRunning(*process)) continue;
    const std::string path = (targetPath.parent_path() / name).string();
    FileStatus status;
    if (files.linkStatus(path, status) || !status.isRegularFile || status.owner != Owner::self) {
      continue;
    }
    files.remove(path);
  }
}

ErrorCode createTemporary(FileLayer& files, const std::string& target, unsigned permissions,
                          std::string& name, FileLayer::Handle& handle) {
  ErrorCode error = EEXIST;
  for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
    name = temporaryNameFor(files, target, attempt);
    error = files.createNew(name, permissions, handle);
  }
  return error;
}

// Fills the new file: the slots' image, the old file's tail, its permission bits (the creation
// mask may have taken some away), all flushed to the disk and closed.
ErrorCode fillTemporary(FileLayer& files, OpenFile& temporary, const SlotsImage& image,
                        OpenFile* old, unsigned permissions) {
  ErrorCode error = writeFully(files, temporary.handle(), image);
  if (!error && old) error = copyTail(files, old->handle(), temporary.handle());
  if (!error && old) error = files.setPermissions(temporary.handle(), permissions);
  if (!error) error = files.sync(temporary.handle());
  const ErrorCode closeError = temporary.close();
  return error ? error : closeError;
}

// Writes the image over the first bytes of the open file itself, flushed and closed. The file
// keeps its owner, mode and tail; only a crash in the middle could leave it half written.
ErrorCode writeInPlace(FileLayer& files, OpenFile& file, const SlotsImage& image) {
  // The file was opened at position 0 and only read at offsets since: the image lands at 0.
  ErrorCode error = writeFully(files, file.handle(), image);
  if (!error) error = files.sync(file.handle());
  const ErrorCode closeError = file.close();
  return error ? error : closeError;
}

// Writes the new content to a temporary file beside the target and renames it over the target;
// on failure the temporary file is removed and the target is as it was. Where the folder takes
// no new file but the old one may be written, the old one is written in place instead.
Problem replaceFile(FileLayer& files, const Target& target, OpenFile* old,
                    const SlotsImage& image) {
  const unsigned permissions = old ? target.status.permissions & readWriteBits : 0666;
  std::string temporaryName;
  FileLayer::Handle handle = 0;
  if (ErrorCode error = createTemporary(files, target.path, permissions, temporaryName, handle)) {
    if (old && isRefusal(error)) return {writeInPlace(files, *old, image)};
    return folderRefused(error, target.path);
  }
  OpenFile temporary(files, handle);
  ErrorCode error = fillTemporary(files, temporary, image, old, permissions);
  // The old file was only read: nothing to lose; and some systems refuse to replace open files.
  if (old) old->close();
  if (error) {
    files.remove(temporaryName);
    return {error};
  }
  if ((error = files.rename(temporaryName, target.path))) {
    files.remove(temporaryName);
    return folderRefused(error, target.path);
  }
  // The new file is in place; without this its name could still be lost in a power cut.
  error = files.syncFolder(folderOf(target.path));
  return {error == EINVAL ? 0 : error};  // EINVAL: this folder cannot be synced
}

}  // namespace

FileResult SaveFile::load(settings::Slots& slots) {
  Target target;
  if (Problem problem = findTarget(files_, target)) return failure(readFailed, problem);
  removeLeftTemporaries(files_, target.path);
  ErrorCode error = 0;
  if (!target.exists) {
    error = files_.createIfMissing(target.path);
    return error ? failure(createFailed, folderRefused(error, target.path)) : FileResult::success();
  }
  if ((error = checkIsRegularFile(target.status))) return failure(readFailed, error);

  FileLayer::Handle handle = 0;
  if ((error = files_.openExisting(target.path, false, handle))) {
    return failure(readFailed, error);
  }
  OpenFile file(files_, handle);
  FileStatus opened;
  if (!(error = files_.statusOf(handle, opened))) error = checkIsRegularFile(opened);
  if (error) return failure(readFailed, error);
  SlotsImage bytes{};
  std::size_t got = 0;
  if ((error = readFully(files_, handle, 0, bytes, got))) return failure(readFailed, error);
  file.close();  // nothing was written: a failing close loses nothing
  decodeSlots(std::span(bytes).first(got), slots);
  return FileResult::success();
}

FileResult SaveFile::save(const settings::Slots& slots) {
  Target target;
  if (Problem problem = findTarget(files_, target)) return failure(saveFailed, problem);
  removeLeftTemporaries(files_, target.path);
  const SlotsImage image = encodeSlots(slots);
  if (!target.exists) {
    const Problem problem = replaceFile(files_, target, nullptr, image);
    return problem ? failure(saveFailed, problem) : FileResult::success();
  }
  if (ErrorCode error = checkIsRegularFile(target.status)) return failure(saveFailed, error);

  // Opening the old file for writing, though it may only be read, keeps a file that the user
  // may not change from being replaced behind their back.
  FileLayer::Handle handle = 0;
  if (ErrorCode error = files_.openExisting(target.path, true, handle)) {
    return failure(saveFailed, fileRefused(error));
  }
  OpenFile old(files_, handle);
  // What was opened, which need not be what was looked at a moment before.
  FileStatus opened;
  ErrorCode error = files_.statusOf(handle, opened);
  if (!error) error = checkIsRegularFile(opened);
  if (error) return failure(saveFailed, error);
  target.status = opened;

  // A new file would be the user's, with bits and bytes of another user's choosing (even
  // setuid ones, when the user is root): another user's file is written in place instead.
  const Problem problem = opened.owner == Owner::self ? replaceFile(files_, target, &old, image)
                                                      : Problem(writeInPlace(files_, old, image));
  return problem ? failure(saveFailed, problem) : FileResult::success();
}

namespace {

// A lock held until the end of the scope.
class HeldLock {
 public:
  explicit HeldLock(FileLayer& files) : files_(files) {}
  HeldLock(const HeldLock&) = delete;
  HeldLock& operator=(const HeldLock&) = delete;
  ~HeldLock() {
    if (held_) files_.unlock(handle_);
  }

  // Tries again and again until `wait` has passed: the copy that holds the lock is normally done
  // within milliseconds.
  ErrorCode take(const std::string& path, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
      const ErrorCode error = files_.tryLock(path, handle_);
      held_ = error == 0;
      if (error != lockedElsewhere || std::chrono::steady_clock::now() >= deadline) return error;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

 private:
  FileLayer& files_;
  FileLayer::Handle handle_ = 0;
  bool held_ = false;
};

}  // namespace

void SlotsChange::applyTo(settings::Slots& slots) const {
  if (slot_ == 0) {
    for (settings::ClockSettings& slot : slots) slot.saved = settings::flagFalse;
  } else {
    slots.at(static_cast<std::size_t>(slot_ - 1)) = record_;
  }
}

FileResult SaveFile::update(settings::Slots& slots, const SlotsChange& change) {
  Target target;
  const bool existing = !findTarget(files_, target) && target.exists && target.status.isRegularFile;
  HeldLock lock(files_);
  // A file that cannot be locked (gone, not the user's to write) is saved as before, without the
  // lock; the save itself says what is wrong with it.
  if (existing && lock.take(target.path, lockWait_) == lockedElsewhere) {
    change.applyTo(slots);
    return failure(saveFailed, lockedElsewhere);
  }
  if (existing) load(slots);  // on failure the slots stand for the file, as before
  change.applyTo(slots);
  return save(slots);
}

}  // namespace store
