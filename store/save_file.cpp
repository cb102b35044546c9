#include "store/save_file.h"

#include <algorithm>
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
// A temporary file is open to its owner alone until it has the old file's group.
constexpr unsigned ownerBits = 0600;
// Random temporary names clash only with names planted on purpose; a few tries are plenty.
constexpr int temporaryNameTries = 10;
// How often a save starts over when someone else makes or removes a file of its name meanwhile.
constexpr int saveTries = 10;

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
  if (reason == foreignHardLink) return "It is not written";
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
  // Someone made, removed or linked the file's name (or a folder on its way) since it was looked
  // at: the save looks again.
  bool nameChanged = false;
};

Problem nameChanged(ErrorCode reason) {
  Problem problem(reason, "another program made or removed a file of that name during the save");
  problem.nameChanged = true;
  return problem;
}

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

// Copies what the old file holds beyond the slots' image, up to `end` (its size when it was
// opened), to the end of the new one: a file that someone keeps writing cannot keep it busy.
ErrorCode copyTail(FileLayer& files, FileLayer::Handle from, FileLayer::Handle to,
                   std::uint64_t end) {
  std::vector<std::uint8_t> chunk(copyChunk);
  for (std::uint64_t offset = imageSize; offset < end;) {
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(copyChunk, end - offset));
    std::size_t got = 0;
    if (ErrorCode error = readFully(files, from, offset, std::span(chunk).first(wanted), got)) {
      return error;
    }
    if (got == 0) return 0;
    if (ErrorCode error = writeFully(files, to, std::span(chunk).first(got))) return error;
    offset += got;
  }
  return 0;
}

// The file the save file's name finally leads to, and what is there now, if anything.
struct Target {
  std::string path = saveFileName;
  bool exists = false;
  FileStatus status;
};

// The folder above `folder`, which holds no links: "" is the current folder.
std::filesystem::path parentOf(const std::filesystem::path& folder) {
  if (folder.empty() || folder.filename() == "..") return folder / "..";
  if (folder == folder.root_path()) return folder;  // "/.." is "/"
  return folder.parent_path();
}

// Follows symbolic links from the save file's name, one part of the path at a time, so that a
// folder on the way that is a link passes the same check as the file's own name. Only a link
// that the user (or root) owns is followed: in a folder shared with others, a link of someone
// else's could send our write to any file the user may change. The path found holds no link at
// all, and the file layer refuses one put on the way later.
Problem findTarget(FileLayer& files, Target& target) {
  std::filesystem::path folder;                  // walked so far, without links; "": here
  std::vector<std::string> parts{saveFileName};  // still to walk, the next one last
  int hops = 0;
  while (!parts.empty()) {
    const std::string part = std::move(parts.back());
    parts.pop_back();
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      folder = parentOf(folder);
      continue;
    }
    const std::string path = (folder / part).string();
    FileStatus status;
    const ErrorCode error = files.linkStatus(path, status);
    if (error == ENOENT && parts.empty()) {
      target.path = path;  // nothing there yet
      return {};
    }
    if (error) return {error};
    if (status.isLink) {
      if (status.owner == Owner::other) {
        return {foreignLink, "the symbolic link " + inQuotes(path) + " belongs to another user"};
      }
      if (++hops > maxLinkHops) return {ELOOP};
      std::string pointee;
      if (ErrorCode readError = files.readLink(path, pointee)) return {readError};
      const std::filesystem::path next(pointee);
      if (next.has_root_path()) folder = next.root_path();
      const std::filesystem::path relative = next.relative_path();
      const std::vector<std::filesystem::path> nextParts(relative.begin(), relative.end());
      for (auto it = nextParts.rbegin(); it != nextParts.rend(); ++it)
        parts.push_back(it->string());
      continue;
    }
    if (parts.empty()) {
      target = {path, true, status};
      return {};
    }
    if (!status.isDirectory) return {ENOTDIR};
    folder = path;
  }
  // The name led to a folder ("." or ".."): that is what is there.
  target.path = folder.empty() ? "." : folder.string();
  target.exists = true;
  return {files.linkStatus(target.path, target.status)};
}

// Temporary files are named "<file>.<process id>-<random number>-<attempt>.tmp", beside the file.
// Another user cannot guess the name, and so cannot plant something there before the save makes
// it; the process id tells a crash's leftover from a running save's file.
std::string temporaryNameFor(FileLayer& files, const std::string& target, int attempt) {
  return target + "." + std::to_string(files.processId()) + "-" +
         std::to_string(files.unguessableNumber()) + "-" + std::to_string(attempt) + ".tmp";
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
  for (int attempt = 0; attempt < temporaryNameTries && error == EEXIST; ++attempt) {
    name = temporaryNameFor(files, target, attempt);
    error = files.createNew(name, permissions, handle);
  }
  return error;
}

// Why a new file, though made without fault, may not take the old one's place.
enum class Unfit {
  no,
  groupNotKept,  // the user may not give it the old file's group (not a member of it)
  oldChanged,    // the old file's size changed while its tail was copied: someone writes it
};

// Fills the new file: the slots' image, the old file's tail, its group and permission bits (the
// creation mask may have taken some away), all flushed to the disk and closed.
ErrorCode fillTemporary(FileLayer& files, OpenFile& temporary, const SlotsImage& image,
                        OpenFile* old, const FileStatus& oldStatus, Unfit& unfit) {
  ErrorCode error = writeFully(files, temporary.handle(), image);
  if (!error && old) {
    error = copyTail(files, old->handle(), temporary.handle(), oldStatus.size);
    FileStatus now;
    if (!error) error = files.statusOf(old->handle(), now);
    if (!error && now.size != oldStatus.size) unfit = Unfit::oldChanged;
    // A team's file keeps its group, or the team could no longer read it.
    if (!error && unfit == Unfit::no && files.setGroup(temporary.handle(), oldStatus.group)) {
      unfit = Unfit::groupNotKept;
    }
    if (!error)
      error = files.setPermissions(temporary.handle(), oldStatus.permissions & readWriteBits);
  }
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

// Whether the file may be written in place: not when it has other names (hard links), which
// could make it any file of anyone's, brought into this folder by someone else.
bool mayWriteInPlace(const FileStatus& status) { return status.linkCount <= 1; }

Problem unfitProblem(Unfit unfit) {
  if (unfit == Unfit::groupNotKept) return {EPERM, "the new file could not keep the file's group"};
  return {EBUSY, "another program changed the file during the save"};
}

// Writes the new content to a temporary file beside the target and renames it over the target;
// on failure the temporary file is removed and the target is as it was. Where the folder takes
// no new file, every temporary name is taken, or the new file cannot stand in for the old one
// (see Unfit), the old one is written in place instead if it may be.
Problem replaceFile(FileLayer& files, const Target& target, OpenFile* old,
                    const SlotsImage& image) {
  auto inPlaceOr = [&](const Problem& problem) {
    return old && mayWriteInPlace(target.status) ? Problem(writeInPlace(files, *old, image))
                                                 : problem;
  };
  const unsigned permissions = old ? target.status.permissions & ownerBits : 0666;
  std::string temporaryName;
  FileLayer::Handle handle = 0;
  if (ErrorCode error = createTemporary(files, target.path, permissions, temporaryName, handle)) {
    if (error == ELOOP) return nameChanged(error);  // a folder on the way became a link
    if (isRefusal(error) || error == EEXIST) return inPlaceOr(folderRefused(error, target.path));
    return folderRefused(error, target.path);
  }
  OpenFile temporary(files, handle);
  Unfit unfit = Unfit::no;
  ErrorCode error = fillTemporary(files, temporary, image, old, target.status, unfit);
  if (error || unfit != Unfit::no) files.remove(temporaryName);
  if (error) return {error};
  if (unfit != Unfit::no) return inPlaceOr(unfitProblem(unfit));
  // The old file was only read: nothing to lose; and some systems refuse to replace open files.
  if (old) old->close();
  // Where there was no file, the new one takes the name only while it is free: a file that
  // someone made there meanwhile is not replaced, and the save looks again.
  error = old ? files.rename(temporaryName, target.path)
              : files.renameToFreeName(temporaryName, target.path);
  if (error) {
    files.remove(temporaryName);
    if (error == ELOOP || (!old && error == EEXIST)) return nameChanged(error);
    return folderRefused(error, target.path);
  }
  // The new file is in place; without this its name could still be lost in a power cut. A folder
  // that cannot be flushed (EINVAL), or may be written but not read (mode 0311), leaves the save
  // done all the same: it is only not forced to the disk at once.
  error = files.syncFolder(folderOf(target.path));
  return {error == EINVAL || isRefusal(error) ? 0 : error};
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

namespace {

Problem saveOnce(FileLayer& files, const SlotsImage& image) {
  Target target;
  if (Problem problem = findTarget(files, target)) return problem;
  removeLeftTemporaries(files, target.path);
  if (!target.exists) return replaceFile(files, target, nullptr, image);
  if (ErrorCode error = checkIsRegularFile(target.status)) return {error};

  // Opening the old file for writing, though it may only be read, keeps a file that the user
  // may not change from being replaced behind their back.
  FileLayer::Handle handle = 0;
  if (ErrorCode error = files.openExisting(target.path, true, handle)) {
    // Removed, or made a link, since it was looked at.
    if (error == ENOENT || error == ELOOP) return nameChanged(error);
    return fileRefused(error);
  }
  OpenFile old(files, handle);
  // What was opened, which need not be what was looked at a moment before.
  FileStatus opened;
  ErrorCode error = files.statusOf(handle, opened);
  if (!error) error = checkIsRegularFile(opened);
  if (error) return {error};
  target.status = opened;

  // A new file would be the user's, with bits and bytes of another user's choosing (even
  // setuid ones, when the user is root): another user's file is written in place instead,
  // unless it has other names, when it could be a third user's private file.
  if (opened.owner != Owner::self) {
    if (!mayWriteInPlace(opened)) {
      return {foreignHardLink, "the file belongs to another user and has other names (hard links)"};
    }
    return {writeInPlace(files, old, image)};
  }
  if (opened.size > imageSize + maxCopiedTail && mayWriteInPlace(opened)) {
    return {writeInPlace(files, old, image)};
  }
  return replaceFile(files, target, &old, image);
}

}  // namespace

FileResult SaveFile::save(const settings::Slots& slots) {
  const SlotsImage image = encodeSlots(slots);
  Problem problem;
  for (int attempt = 0; attempt < saveTries; ++attempt) {
    problem = saveOnce(files_, image);
    if (!problem.nameChanged) break;
  }
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
