#include "store/save_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "store/record_codec.h"

namespace store {
namespace {

// Links are followed at most this many times, like the operating system's own limit.
constexpr int maxLinkHops = 40;
constexpr std::size_t copyChunk = 64 * 1024;

std::string reasonText(ErrorCode reason) {
  if (reason == notARegularFile) return "It is not a regular file";
  return std::generic_category().message(reason);
}

FileResult failure(const char* what, ErrorCode reason) {
  return FileResult::failure(
      reason, std::string(what) + " \"" + saveFileName + "\": " + reasonText(reason) + ".");
}

constexpr const char* readFailed = "Could not read the save file";
constexpr const char* createFailed = "Could not create the save file";
constexpr const char* saveFailed = "Could not save the slots to";

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

// The file that `path` finally names after following symbolic links; it need not exist.
ErrorCode resolveLinks(FileLayer& files, std::string path, std::string& resolved) {
  for (int hop = 0; hop < maxLinkHops; ++hop) {
    std::string target;
    const ErrorCode error = files.readLink(path, target);
    if (error == EINVAL || error == ENOENT) {  // not a link, or nothing there yet
      resolved = path;
      return 0;
    }
    if (error) return error;
    std::filesystem::path next(target);
    if (next.is_relative()) next = std::filesystem::path(path).parent_path() / next;
    path = next.string();
  }
  return ELOOP;
}

std::string folderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? "." : folder.string();
}

// A name beside `target` that no other save, in this process or another, is using.
std::string temporaryNameFor(const std::string& target, int attempt) {
  static std::atomic<unsigned> counter{0};
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  return target + "." + std::to_string(ticks) + "-" + std::to_string(counter++) + "-" +
         std::to_string(attempt) + ".tmp";
}

ErrorCode createTemporary(FileLayer& files, const std::string& target, unsigned permissions,
                          std::string& name, FileLayer::Handle& handle) {
  ErrorCode error = EEXIST;
  for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
    name = temporaryNameFor(target, attempt);
    error = files.createNew(name, permissions, handle);
  }
  return error;
}

// Fills the new file: the slots' image, the old file's tail, the old file's permission bits
// (the creation mask may have taken some away), all flushed to the disk and closed.
ErrorCode fillTemporary(FileLayer& files, OpenFile& temporary, const SlotsImage& image,
                        OpenFile* old, const FileStatus& oldStatus) {
  ErrorCode error = writeFully(files, temporary.handle(), image);
  if (!error && old) error = copyTail(files, old->handle(), temporary.handle());
  if (!error && old) error = files.setPermissions(temporary.handle(), oldStatus.permissions);
  if (!error) error = files.sync(temporary.handle());
  const ErrorCode closeError = temporary.close();
  return error ? error : closeError;
}

// The file a save replaces: where the links lead, and what is there now, if anything.
struct SaveTarget {
  std::string path;
  bool exists = false;
  FileStatus status;
};

ErrorCode findTarget(FileLayer& files, SaveTarget& target) {
  if (ErrorCode error = resolveLinks(files, saveFileName, target.path)) return error;
  const ErrorCode error = files.status(target.path, target.status);
  if (error == ENOENT) return 0;
  if (error) return error;
  target.exists = true;
  return checkIsRegularFile(target.status);
}

// Writes the new content to a temporary file beside the target and renames it over the target;
// on failure the temporary file is removed and the target is as it was.
ErrorCode replaceFile(FileLayer& files, const SaveTarget& target, OpenFile* old,
                      const SlotsImage& image) {
  std::string temporaryName;
  FileLayer::Handle handle = 0;
  const unsigned permissions = target.exists ? target.status.permissions : 0666;
  if (ErrorCode error = createTemporary(files, target.path, permissions, temporaryName, handle)) {
    return error;
  }
  OpenFile temporary(files, handle);
  ErrorCode error = fillTemporary(files, temporary, image, old, target.status);
  if (old) old->close();  // read only: nothing to lose; and some systems refuse to replace open files
  if (!error) error = files.rename(temporaryName, target.path);
  if (error) files.remove(temporaryName);
  return error;
}

}  // namespace

FileResult SaveFile::load(settings::Slots& slots) {
  FileStatus status;
  ErrorCode error = files_.status(saveFileName, status);
  if (error == ENOENT) {
    error = files_.createIfMissing(saveFileName);
    return error ? failure(createFailed, error) : FileResult::success();
  }
  if (!error) error = checkIsRegularFile(status);
  if (error) return failure(readFailed, error);

  FileLayer::Handle handle = 0;
  if ((error = files_.openExisting(saveFileName, false, handle))) return failure(readFailed, error);
  OpenFile file(files_, handle);
  SlotsImage bytes{};
  std::size_t got = 0;
  if ((error = readFully(files_, handle, 0, bytes, got))) return failure(readFailed, error);
  file.close();  // nothing was written: a failing close loses nothing
  decodeSlots(std::span(bytes).first(got), slots);
  return FileResult::success();
}

FileResult SaveFile::save(const settings::Slots& slots) {
  SaveTarget target;
  if (ErrorCode error = findTarget(files_, target)) return failure(saveFailed, error);

  // Opening the old file for writing, though it is only read, keeps a file that the user may
  // not change from being replaced behind their back.
  FileLayer::Handle oldHandle = 0;
  if (target.exists) {
    if (ErrorCode error = files_.openExisting(target.path, true, oldHandle)) {
      return failure(saveFailed, error);
    }
  }
  std::optional<OpenFile> old;
  if (target.exists) old.emplace(files_, oldHandle);

  if (ErrorCode error = replaceFile(files_, target, old ? &*old : nullptr, encodeSlots(slots))) {
    return failure(saveFailed, error);
  }
  // The new file is in place; without this its name could still be lost in a power cut.
  const ErrorCode error = files_.syncFolder(folderOf(target.path));
  if (error && error != EINVAL) return failure(saveFailed, error);  // EINVAL: cannot be synced
  return FileResult::success();
}

}  // namespace store
