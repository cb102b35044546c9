#pragma once
// The few file operations the save file needs, behind an interface so that tests can make any
// step fail or stop dead part-way. Every operation returns an ErrorCode: 0 on success, else an
// errno value (ENOENT, EACCES, ENOSPC, ...) that names the reason.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace store {

using ErrorCode = int;

struct FileStatus {
  bool isDirectory = false;
  bool isRegularFile = false;
  unsigned permissions = 0;  // the permission bits (07777)
};

class FileLayer {
 public:
  using Handle = std::intptr_t;

  virtual ~FileLayer() = default;

  // Status of the file a path names, following symbolic links. ENOENT when there is none.
  virtual ErrorCode status(const std::string& path, FileStatus& out) = 0;
  // Where the symbolic link `path` points, as stored in the link. EINVAL when `path` is not a
  // link, ENOENT when nothing has that name.
  virtual ErrorCode readLink(const std::string& path, std::string& target) = 0;

  // Opens an existing file for reading only, or for reading and writing.
  virtual ErrorCode openExisting(const std::string& path, bool forWriting, Handle& out) = 0;
  // Creates the file empty if it is missing; an existing file is left as it is.
  virtual ErrorCode createIfMissing(const std::string& path) = 0;
  // Creates a new file for writing; EEXIST if the name is taken. Its permission bits are
  // `permissions` as the process's file-creation mask leaves them.
  virtual ErrorCode createNew(const std::string& path, unsigned permissions, Handle& out) = 0;

  // Reads up to `buffer.size()` bytes at `offset`; `got` is 0 at the end of the file.
  virtual ErrorCode readAt(Handle file, std::uint64_t offset, std::span<std::uint8_t> buffer,
                           std::size_t& got) = 0;
  // Writes some of `bytes` at the current position; `written` says how many.
  virtual ErrorCode write(Handle file, std::span<const std::uint8_t> bytes,
                          std::size_t& written) = 0;
  virtual ErrorCode setPermissions(Handle file, unsigned permissions) = 0;
  // Flushes the file's data and size to the disk.
  virtual ErrorCode sync(Handle file) = 0;
  virtual ErrorCode close(Handle file) = 0;

  // Replaces `to` with `from` in one step: anyone opening `to` sees the old file or the new one.
  virtual ErrorCode rename(const std::string& from, const std::string& to) = 0;
  virtual ErrorCode remove(const std::string& path) = 0;
  // Flushes a folder's entries to the disk, so that a rename inside it survives a power cut.
  virtual ErrorCode syncFolder(const std::string& path) = 0;
};

// The operating system's files.
FileLayer& systemFileLayer();

}  // namespace store
