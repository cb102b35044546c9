#pragma once
// The few file operations the save file needs, behind an interface so that tests can make any
// step fail or stop dead part-way. Every operation returns an ErrorCode: 0 on success, else an
// errno value (ENOENT, EACCES, ENOSPC, ...) that names the reason.
//
// No operation follows a symbolic link anywhere in its path (ELOOP where one is): the save file
// follows links itself, one at a time, after checking who owns each one (a folder shared with
// other users may hold a link planted by one of them), and hands the layer paths without links.
// A link put on the way after that check makes the operation fail rather than lead elsewhere.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace store {

using ErrorCode = int;
// For what errno has no value: another program holds the file open and shares it with no one
// (Windows), so it can be neither read nor replaced until that program lets go of it.
inline constexpr ErrorCode fileInUse = -3;
// Another copy of the program (or another program) holds the save file's lock.
inline constexpr ErrorCode lockedElsewhere = -5;

// Who owns a file or link, as far as the save file cares.
enum class Owner {
  self,   // the user this process runs as (its effective user)
  root,   // the system's administrator, when that is not the user
  other,  // anyone else
};

struct FileStatus {
  bool isDirectory = false;
  bool isRegularFile = false;
  bool isLink = false;
  unsigned permissions = 0;  // the permission bits (07777)
  Owner owner = Owner::self;
  unsigned group = 0;           // the group's id (0 where files have no groups)
  std::uint64_t linkCount = 1;  // how many names (hard links) the file has
  std::uint64_t size = 0;       // in bytes
};

class FileLayer {
 public:
  using Handle = std::intptr_t;

  virtual ~FileLayer() = default;

  // Status of what `path` names; a symbolic link is described itself, not followed. ENOENT when
  // there is nothing of that name.
  virtual ErrorCode linkStatus(const std::string& path, FileStatus& out) = 0;
  // Where the symbolic link `path` points, as stored in the link. EINVAL when `path` is not a
  // link, ENOENT when nothing has that name.
  virtual ErrorCode readLink(const std::string& path, std::string& target) = 0;
  // The names in a folder, without "." and "..".
  virtual ErrorCode listFolder(const std::string& path, std::vector<std::string>& names) = 0;

  // Opens an existing file for reading only, or for reading and writing, at position 0. ELOOP
  // when `path` is a symbolic link.
  virtual ErrorCode openExisting(const std::string& path, bool forWriting, Handle& out) = 0;
  // Creates the file empty if it is missing; an existing file is left as it is. ELOOP when
  // `path` is a symbolic link.
  virtual ErrorCode createIfMissing(const std::string& path) = 0;
  // Creates a new file for writing; EEXIST if the name is taken (by a link too). Its permission
  // bits are `permissions` as the process's file-creation mask leaves them.
  virtual ErrorCode createNew(const std::string& path, unsigned permissions, Handle& out) = 0;
  // Status of an open file: the file actually opened, whatever happened to its name since.
  virtual ErrorCode statusOf(Handle file, FileStatus& out) = 0;

  // Reads up to `buffer.size()` bytes at `offset`, leaving the position that `write` starts from
  // where it was; `got` is 0 at the end of the file.
  virtual ErrorCode readAt(Handle file, std::uint64_t offset, std::span<std::uint8_t> buffer,
                           std::size_t& got) = 0;
  // Writes some of `bytes` at the current position; `written` says how many.
  virtual ErrorCode write(Handle file, std::span<const std::uint8_t> bytes,
                          std::size_t& written) = 0;
  virtual ErrorCode setPermissions(Handle file, unsigned permissions) = 0;
  // Gives the file to `group`; EPERM where the user may not (not a member of it).
  virtual ErrorCode setGroup(Handle file, unsigned group) = 0;
  // Flushes the file's data and size to the disk.
  virtual ErrorCode sync(Handle file) = 0;
  virtual ErrorCode close(Handle file) = 0;

  // Replaces `to` with `from` in one step: anyone opening `to` sees the old file or the new one.
  virtual ErrorCode rename(const std::string& from, const std::string& to) = 0;
  // Renames `from` to `to` only while `to` is free, in one step: EEXIST when the name is taken.
  virtual ErrorCode renameToFreeName(const std::string& from, const std::string& to) = 0;
  // Removes the name `path` (a link itself, never what it points to).
  virtual ErrorCode remove(const std::string& path) = 0;
  // Flushes a folder's entries to the disk, so that a rename inside it survives a power cut.
  virtual ErrorCode syncFolder(const std::string& path) = 0;

  // Takes the exclusive lock that copies of the program share on the existing save file at
  // `path`, without waiting: while one copy holds it, the others keep off the file, so that each
  // reads, changes and writes back the file in turn. 0 when taken (`out` then holds it until
  // unlock()), lockedElsewhere when another holds it, another reason (ENOENT, EACCES ...) when
  // the file cannot be locked at all. The lock is advisory: it holds off only those who ask for
  // it. It goes when its holder ends, however that happens.
  virtual ErrorCode tryLock(const std::string& path, Handle& out) = 0;
  virtual void unlock(Handle lock) = 0;

  // This process's id, and whether a process of that id is running: a temporary file named
  // after a process that has ended was left by a crash and may be removed.
  virtual long processId() = 0;
  virtual bool processIsRunning(long id) = 0;
  // A number nobody can guess, from the system's source of randomness.
  virtual std::uint64_t unguessableNumber() = 0;
};

// The operating system's files.
FileLayer& systemFileLayer();

}  // namespace store
