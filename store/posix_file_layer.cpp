// The file layer on POSIX systems: plain system calls, retried when a signal interrupts them.
#ifndef _WIN32

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "store/file_layer.h"

namespace store {
namespace {

// Runs a system call until no signal interrupts it; its result, or -1 with errno set.
template <typename Call>
auto retryOnSignal(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result == -1 && errno == EINTR);
  return result;
}

int fd(FileLayer::Handle file) { return static_cast<int>(file); }

// O_NONBLOCK keeps an open from hanging on a pipe someone put in the file's place; for regular
// files it changes nothing. O_NOFOLLOW: links are the caller's to follow, after checking them.
constexpr int commonOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;

FileStatus describe(const struct stat& info) {
  FileStatus out;
  out.isDirectory = S_ISDIR(info.st_mode);
  out.isRegularFile = S_ISREG(info.st_mode);
  out.isLink = S_ISLNK(info.st_mode);
  out.permissions = info.st_mode & 07777;
  out.group = info.st_gid;
  out.linkCount = info.st_nlink;
  out.size = info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
  if (info.st_uid == ::geteuid()) {
    out.owner = Owner::self;
  } else {
    out.owner = info.st_uid == 0 ? Owner::root : Owner::other;
  }
  return out;
}

// The last name of a path and the folder that holds it, opened one part at a time without
// following a symbolic link: each operation then works on the name inside that folder. A link
// that someone put on the way after the save file checked the path fails with ELOOP instead of
// leading the operation into another folder.
class NameInFolder {
 public:
  explicit NameInFolder(const std::string& path) {
    const std::filesystem::path whole(path);
    name_ = whole.filename().string();
    if (name_.empty()) name_ = ".";  // "/" or "folder/"
    error_ = openFolder(whole.parent_path());
  }
  ~NameInFolder() {
    if (folder_ != AT_FDCWD) ::close(folder_);
  }
  NameInFolder(const NameInFolder&) = delete;
  NameInFolder& operator=(const NameInFolder&) = delete;

  ErrorCode error() const { return error_; }
  int folder() const { return folder_; }
  const char* name() const { return name_.c_str(); }

 private:
  ErrorCode openFolder(const std::filesystem::path& path) {
    if (path.is_absolute()) {
      folder_ = retryOnSignal([] { return ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC); });
      if (folder_ < 0) {
        folder_ = AT_FDCWD;
        return errno;
      }
    }
    for (const std::filesystem::path& part : path.relative_path()) {
      if (part.empty()) continue;  // after a trailing separator
      if (ErrorCode error = enter(part.c_str())) return error;
    }
    return 0;
  }

  ErrorCode enter(const char* part) {
    const int next =
        retryOnSignal([&] { return ::openat(folder_, part, O_PATH | O_NOFOLLOW | O_CLOEXEC); });
    if (next < 0) return errno;
    struct stat info {};
    ErrorCode error = ::fstat(next, &info) == 0 ? 0 : errno;
    if (!error && S_ISLNK(info.st_mode)) error = ELOOP;
    if (!error && !S_ISDIR(info.st_mode)) error = ENOTDIR;
    if (folder_ != AT_FDCWD) ::close(folder_);
    folder_ = next;
    return error;
  }

  int folder_ = AT_FDCWD;
  std::string name_;
  ErrorCode error_ = 0;
};

// Opens `path` with `flags` (O_NOFOLLOW among them): its descriptor, or -1 with `error` set.
int openInFolder(const std::string& path, int flags, mode_t mode, ErrorCode& error) {
  const NameInFolder at(path);
  if ((error = at.error())) return -1;
  const int file = retryOnSignal([&] { return ::openat(at.folder(), at.name(), flags, mode); });
  error = file < 0 ? errno : 0;
  return file;
}

class PosixFileLayer final : public FileLayer {
 public:
  ErrorCode linkStatus(const std::string& path, FileStatus& out) override {
    const NameInFolder at(path);
    if (at.error()) return at.error();
    struct stat info {};
    if (::fstatat(at.folder(), at.name(), &info, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    out = describe(info);
    return 0;
  }

  ErrorCode statusOf(Handle file, FileStatus& out) override {
    struct stat info {};
    if (::fstat(fd(file), &info) != 0) return errno;
    out = describe(info);
    return 0;
  }

  ErrorCode listFolder(const std::string& path, std::vector<std::string>& names) override {
    ErrorCode error = 0;
    const int file = openInFolder(path, O_RDONLY | O_DIRECTORY | commonOpenFlags, 0, error);
    if (file < 0) return error;
    DIR* folder = ::fdopendir(file);
    if (!folder) {
      error = errno;
      ::close(file);
      return error;
    }
    names.clear();
    errno = 0;
    while (const dirent* entry = ::readdir(folder)) {
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
        names.emplace_back(entry->d_name);
      }
    }
    error = errno;
    ::closedir(folder);
    return error;
  }

  ErrorCode readLink(const std::string& path, std::string& target) override {
    const NameInFolder at(path);
    if (at.error()) return at.error();
    std::vector<char> buffer(256);
    for (;;) {
      const ssize_t length = ::readlinkat(at.folder(), at.name(), buffer.data(), buffer.size());
      if (length < 0) return errno;
      if (static_cast<std::size_t>(length) < buffer.size()) {
        target.assign(buffer.data(), static_cast<std::size_t>(length));
        return 0;
      }
      buffer.resize(buffer.size() * 2);  // the link may have been cut short: try a larger buffer
    }
  }

  ErrorCode openExisting(const std::string& path, bool forWriting, Handle& out) override {
    const int access = forWriting ? O_RDWR : O_RDONLY;
    ErrorCode error = 0;
    const int file = openInFolder(path, access | commonOpenFlags, 0, error);
    if (file < 0) return error;
    out = file;
    return 0;
  }

  ErrorCode createIfMissing(const std::string& path) override {
    ErrorCode error = 0;
    const int file = openInFolder(path, O_WRONLY | O_CREAT | commonOpenFlags, 0666, error);
    if (file < 0) return error;
    return ::close(file) == 0 ? 0 : errno;
  }

  ErrorCode createNew(const std::string& path, unsigned permissions, Handle& out) override {
    ErrorCode error = 0;
    const int file = openInFolder(path, O_WRONLY | O_CREAT | O_EXCL | commonOpenFlags,
                                  static_cast<mode_t>(permissions), error);
    if (file < 0) return error;
    out = file;
    return 0;
  }

  ErrorCode readAt(Handle file, std::uint64_t offset, std::span<std::uint8_t> buffer,
                   std::size_t& got) override {
    const ssize_t count = retryOnSignal([&] {
      return ::pread(fd(file), buffer.data(), buffer.size(), static_cast<off_t>(offset));
    });
    if (count < 0) return errno;
    got = static_cast<std::size_t>(count);
    return 0;
  }

  ErrorCode write(Handle file, std::span<const std::uint8_t> bytes, std::size_t& written) override {
    const ssize_t count =
        retryOnSignal([&] { return ::write(fd(file), bytes.data(), bytes.size()); });
    if (count < 0) return errno;
    written = static_cast<std::size_t>(count);
    return 0;
  }

  ErrorCode setPermissions(Handle file, unsigned permissions) override {
    return ::fchmod(fd(file), static_cast<mode_t>(permissions)) == 0 ? 0 : errno;
  }

  ErrorCode setGroup(Handle file, unsigned group) override {
    return ::fchown(fd(file), static_cast<uid_t>(-1), static_cast<gid_t>(group)) == 0 ? 0 : errno;
  }

  ErrorCode sync(Handle file) override {
    return retryOnSignal([&] { return ::fsync(fd(file)); }) == 0 ? 0 : errno;
  }

  ErrorCode close(Handle file) override {
    // Not retried: after EINTR the descriptor is already gone on Linux.
    return ::close(fd(file)) == 0 ? 0 : errno;
  }

  ErrorCode rename(const std::string& from, const std::string& to) override {
    const NameInFolder source(from), target(to);
    if (source.error() || target.error()) return source.error() ? source.error() : target.error();
    return ::renameat(source.folder(), source.name(), target.folder(), target.name()) == 0 ? 0
                                                                                           : errno;
  }

  ErrorCode renameToFreeName(const std::string& from, const std::string& to) override {
    const NameInFolder source(from), target(to);
    if (source.error() || target.error()) return source.error() ? source.error() : target.error();
#ifdef RENAME_NOREPLACE
    if (::renameat2(source.folder(), source.name(), target.folder(), target.name(),
                    RENAME_NOREPLACE) == 0) {
      return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
    // A file system that cannot rename so: a second name, which is never made over a taken
    // one, and then the first name removed.
    if (::linkat(source.folder(), source.name(), target.folder(), target.name(), 0) != 0) {
      return errno;
    }
    ::unlinkat(source.folder(), source.name(), 0);  // left behind at worst: removed later
    return 0;
  }

  ErrorCode remove(const std::string& path) override {
    const NameInFolder at(path);
    if (at.error()) return at.error();
    return ::unlinkat(at.folder(), at.name(), 0) == 0 ? 0 : errno;
  }

  ErrorCode syncFolder(const std::string& path) override {
    ErrorCode error = 0;
    const int folder =
        openInFolder(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0, error);
    if (folder < 0) return error;
    const int result = retryOnSignal([&] { return ::fsync(folder); }) == 0 ? 0 : errno;
    ::close(folder);
    return result;
  }

  // The lock is a write lock of the open file description (an "OFD" lock) on the save file
  // itself, for these reasons:
  // - No lock file: a name of its own beside the save file would be left behind, and in a shared
  //   folder another user could take that name first and hold everyone off, or point it anywhere.
  // - A write lock needs the file open for writing, so only users who may change the file can
  //   hold others off it (flock() needs only the right to read).
  // - Closing another descriptor of the file, as the save does with the one it reads and writes
  //   through, releases a classic POSIX lock of the whole process but not this one.
  // - The save replaces the file by renaming a new one over it, and the old file's lock does not
  //   pass to the new one: a copy that waited for the old file gets a lock on a file the name no
  //   longer leads to. So after taking it, the name must still lead to the locked file; if not,
  //   the lock is dropped and reported busy, and the next try locks the new file.
  // The file is opened as for a save, by openExisting, so the same care on the way applies.
  ErrorCode tryLock(const std::string& path, Handle& out) override {
    Handle opened = 0;
    if (ErrorCode error = openExisting(path, true, opened)) return error;
    const int file = fd(opened);
    struct flock whole {};  // l_start 0, l_len 0: the whole file, however long it grows
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    ErrorCode error = 0;
    if (::fcntl(file, F_OFD_SETLK, &whole) != 0) {
      error = errno == EAGAIN || errno == EACCES ? lockedElsewhere : errno;
    } else if (!stillNamed(file, path)) {
      error = lockedElsewhere;
    }
    if (error) {
      ::close(file);
      return error;
    }
    out = file;
    return 0;
  }

  void unlock(Handle lock) override { ::close(fd(lock)); }  // the lock goes with the descriptor

  // Whether `path` still names the open file, not a file renamed over it since it was opened.
  static bool stillNamed(int file, const std::string& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(file, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
  }

  long processId() override { return static_cast<long>(::getpid()); }

  bool processIsRunning(long id) override {
    if (id <= 0 || id != static_cast<pid_t>(id)) return false;
    // EPERM: it runs, as another user.
    return ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
  }

  std::uint64_t unguessableNumber() override {
    std::uint64_t number = 0;
    if (::getentropy(&number, sizeof number) == 0) return number;
    std::random_device device;  // /dev/urandom where getrandom is missing
    return (std::uint64_t{device()} << 32) | device();
  }
};

}  // namespace

FileLayer& systemFileLayer() {
  static PosixFileLayer layer;
  return layer;
}

}  // namespace store

#endif  // _WIN32
