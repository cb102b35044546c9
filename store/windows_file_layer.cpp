// The file layer on Windows: the C runtime's descriptor calls on wide (Unicode) paths, and
// MoveFileEx for the replacing rename. Windows has no owners in the POSIX sense that the save file
// could compare (and creating symbolic links needs a privilege or developer mode), so every file
// and link reads as the user's own; links are still reported, and never opened through.
#ifdef _WIN32

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <system_error>
#include <vector>

#include "store/file_layer.h"

namespace store {
namespace {

std::wstring wide(const std::string& path) { return std::filesystem::path(path).wstring(); }

int fd(FileLayer::Handle file) { return static_cast<int>(file); }

// An errno value for an error the Win32 API reported.
ErrorCode errnoFor(const std::error_code& code) {
  const std::error_condition condition = code.default_error_condition();
  return condition.category() == std::generic_category() ? condition.value() : EIO;
}

// The reason for a Win32 error code; the ones the save file meets are named here, so that each
// reads as what it is (the C runtime would call a file in use "permission denied").
ErrorCode reasonFor(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return fileInUse;
    case ERROR_ACCESS_DENIED:
      return EACCES;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    default:
      return errnoFor({static_cast<int>(error), std::system_category()});
  }
}

ErrorCode lastErrno() { return reasonFor(::GetLastError()); }

// The C runtime's errno after a failed call, except where the Win32 error under it says more.
ErrorCode runtimeError(ErrorCode error) {
  const DWORD win32 = ::GetLastError();
  return win32 == ERROR_SHARING_VIOLATION || win32 == ERROR_LOCK_VIOLATION ? fileInUse : error;
}

bool isLink(const std::string& path) {
  std::error_code code;
  return std::filesystem::is_symlink(std::filesystem::symlink_status(wide(path), code));
}

// A symbolic link is never opened through: ELOOP, as O_NOFOLLOW gives on POSIX (EEXIST where
// only a new file was asked for).
ErrorCode openWith(const std::string& path, int flags, int permissions, int& out) {
  if (isLink(path)) return (flags & _O_EXCL) ? EEXIST : ELOOP;
  // Windows refuses to write a read-only file even to an administrator; said here, so that it
  // holds where the files lie on another system too (under Wine run by root, for one).
  const DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
  const bool writing = (flags & (_O_WRONLY | _O_RDWR)) != 0;
  if (writing && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
      !(flags & _O_EXCL)) {
    return EACCES;
  }
  ::SetLastError(ERROR_SUCCESS);
  const ErrorCode error = _wsopen_s(&out, wide(path).c_str(), flags | _O_BINARY | _O_NOINHERIT,
                                    _SH_DENYNO, permissions);
  return error ? runtimeError(error) : 0;
}

// Whether another program holds the file open without letting it be deleted, which makes
// Windows refuse to replace it with "access denied" rather than a sharing violation.
bool isInUse(const std::wstring& path) {
  const DWORD everyone = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const HANDLE file =
      ::CreateFileW(path.c_str(), DELETE, everyone, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    ::CloseHandle(file);
    return false;
  }
  return ::GetLastError() == ERROR_SHARING_VIOLATION;
}

// What a replaced file keeps of its attributes: whether it is hidden or a system file. (Read-only
// files are never replaced: they cannot be opened for writing.)
constexpr DWORD keptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The file's own full path, whichever path led to it (another drive letter, another case, a
// link on the way), so that every copy names the same file the same way.
ErrorCode finalPathOf(const std::string& path, std::wstring& out) {
  const DWORD everyone = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const HANDLE file =
      ::CreateFileW(wide(path).c_str(), 0, everyone, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return lastErrno();
  std::vector<wchar_t> buffer(MAX_PATH);
  DWORD length = ::GetFinalPathNameByHandleW(file, buffer.data(), MAX_PATH, 0);
  if (length >= buffer.size()) {
    buffer.resize(length + 1);
    length = ::GetFinalPathNameByHandleW(file, buffer.data(), length + 1, 0);
  }
  const ErrorCode error = length == 0 || length >= buffer.size() ? lastErrno() : 0;
  ::CloseHandle(file);
  if (!error) out.assign(buffer.data(), length);
  return error;
}

// The name of the mutex that stands for the save file at `path`: its final path, in one case
// (file names on Windows are the same in any case), hashed to fit a mutex name's length.
ErrorCode lockName(const std::string& path, std::wstring& name) {
  std::wstring final;
  if (ErrorCode error = finalPathOf(path, final)) return error;
  ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, final.data(),
                  static_cast<int>(final.size()), final.data(), static_cast<int>(final.size()),
                  nullptr, nullptr, 0);
  std::uint64_t hash = 14695981039346656037ull;  // 64-bit FNV-1a
  for (wchar_t unit : final) hash = (hash ^ static_cast<std::uint16_t>(unit)) * 1099511628211ull;
  name = L"Local\\stopwatch-save-file-";
  for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 0xF];
  return 0;
}

FileStatus describe(const struct _stat64& info) {
  FileStatus out;
  out.isDirectory = (info.st_mode & _S_IFMT) == _S_IFDIR;
  out.isRegularFile = (info.st_mode & _S_IFMT) == _S_IFREG;
  out.permissions = info.st_mode & 0777;
  out.size = info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
  return out;
}

class WindowsFileLayer final : public FileLayer {
 public:
  ErrorCode linkStatus(const std::string& path, FileStatus& out) override {
    std::error_code code;
    const auto linkStatus = std::filesystem::symlink_status(wide(path), code);
    if (code || !std::filesystem::exists(linkStatus)) return code ? errnoFor(code) : ENOENT;
    if (std::filesystem::is_symlink(linkStatus)) {
      out = FileStatus{};
      out.isLink = true;
      return 0;
    }
    struct _stat64 info {};
    if (_wstat64(wide(path).c_str(), &info) != 0) return errno;
    out = describe(info);
    return 0;
  }

  ErrorCode statusOf(Handle file, FileStatus& out) override {
    struct _stat64 info {};
    if (_fstat64(fd(file), &info) != 0) return errno;
    out = describe(info);
    return 0;
  }

  ErrorCode listFolder(const std::string& path, std::vector<std::string>& names) override {
    std::error_code code;
    names.clear();
    for (std::filesystem::directory_iterator entry(wide(path), code), end; !code && entry != end;
         entry.increment(code)) {
      names.push_back(entry->path().filename().string());
    }
    return code ? errnoFor(code) : 0;
  }

  ErrorCode readLink(const std::string& path, std::string& target) override {
    std::error_code code;
    const auto linkStatus = std::filesystem::symlink_status(wide(path), code);
    if (code || !std::filesystem::exists(linkStatus)) return ENOENT;
    if (!std::filesystem::is_symlink(linkStatus)) return EINVAL;
    const std::filesystem::path pointee = std::filesystem::read_symlink(wide(path), code);
    if (code) return errnoFor(code);
    target = pointee.string();
    return 0;
  }

  ErrorCode openExisting(const std::string& path, bool forWriting, Handle& out) override {
    int file = -1;
    const int access = forWriting ? _O_RDWR : _O_RDONLY;
    if (ErrorCode error = openWith(path, access, 0, file)) return error;
    out = file;
    return 0;
  }

  ErrorCode createIfMissing(const std::string& path) override {
    int file = -1;
    const int flags = _O_WRONLY | _O_CREAT;
    if (ErrorCode error = openWith(path, flags, _S_IREAD | _S_IWRITE, file)) return error;
    return _close(file) == 0 ? 0 : errno;
  }

  ErrorCode createNew(const std::string& path, unsigned permissions, Handle& out) override {
    int file = -1;
    // Windows knows only "read-only" or not.
    const int mode = (permissions & 0200) ? (_S_IREAD | _S_IWRITE) : _S_IREAD;
    if (ErrorCode error = openWith(path, _O_WRONLY | _O_CREAT | _O_EXCL, mode, file)) {
      return error;
    }
    out = file;
    return 0;
  }

  ErrorCode readAt(Handle file, std::uint64_t offset, std::span<std::uint8_t> buffer,
                   std::size_t& got) override {
    // Like pread: the position that the next write starts from stays where it was.
    const __int64 position = _telli64(fd(file));
    if (position < 0 || _lseeki64(fd(file), static_cast<__int64>(offset), SEEK_SET) < 0) {
      return errno;
    }
    const unsigned size = static_cast<unsigned>(std::min<std::size_t>(buffer.size(), INT_MAX));
    ::SetLastError(ERROR_SUCCESS);
    const int count = _read(fd(file), buffer.data(), size);
    const ErrorCode error = count < 0 ? runtimeError(errno) : 0;  // a part another program locked
    if (_lseeki64(fd(file), position, SEEK_SET) < 0 && !error) return errno;
    if (error) return error;
    got = static_cast<std::size_t>(count);
    return 0;
  }

  ErrorCode write(Handle file, std::span<const std::uint8_t> bytes, std::size_t& written) override {
    const unsigned size = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), INT_MAX));
    ::SetLastError(ERROR_SUCCESS);
    const int count = _write(fd(file), bytes.data(), size);
    if (count < 0) return runtimeError(errno);
    written = static_cast<std::size_t>(count);
    return 0;
  }

  // The read-only attribute, all Windows keeps of the bits, was given when the file was created.
  ErrorCode setPermissions(Handle, unsigned) override { return 0; }
  // Windows files have no group for the save file to keep.
  ErrorCode setGroup(Handle, unsigned) override { return 0; }

  ErrorCode sync(Handle file) override { return _commit(fd(file)) == 0 ? 0 : errno; }

  ErrorCode close(Handle file) override { return _close(fd(file)) == 0 ? 0 : errno; }

  ErrorCode rename(const std::string& from, const std::string& to) override {
    const std::wstring source = wide(from);
    const std::wstring target = wide(to);
    const DWORD old = ::GetFileAttributesW(target.c_str());
    if (old != INVALID_FILE_ATTRIBUTES && (old & keptAttributes)) {
      const DWORD attributes = ::GetFileAttributesW(source.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES ||
          !::SetFileAttributesW(source.c_str(),
                                (attributes & ~FILE_ATTRIBUTE_NORMAL) | (old & keptAttributes))) {
        return lastErrno();
      }
    }
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (::MoveFileExW(source.c_str(), target.c_str(), flags)) return 0;
    const DWORD error = ::GetLastError();
    return error == ERROR_ACCESS_DENIED && isInUse(target) ? fileInUse : reasonFor(error);
  }

  ErrorCode renameToFreeName(const std::string& from, const std::string& to) override {
    // Without MOVEFILE_REPLACE_EXISTING a taken name is refused.
    if (::MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_WRITE_THROUGH)) return 0;
    return reasonFor(::GetLastError());
  }

  ErrorCode remove(const std::string& path) override {
    ::SetLastError(ERROR_SUCCESS);
    return _wunlink(wide(path).c_str()) == 0 ? 0 : runtimeError(errno);
  }

  // MOVEFILE_WRITE_THROUGH has already flushed the rename.
  ErrorCode syncFolder(const std::string&) override { return 0; }

  // The lock is a mutex named after the file, not a lock on the file: Windows will not rename a
  // new file over one that any program holds open, so a lock on the save file would have to be
  // let go before the replace that it is meant to cover, and a copy holding the file open to
  // wait for it would make that replace fail. A lock file beside it would be left behind. The
  // mutex leaves nothing on the disk, lives in the session's own namespace (other users' sessions
  // cannot take it), and Windows releases it when its holder ends: an abandoned mutex is free.
  ErrorCode tryLock(const std::string& path, Handle& out) override {
    std::wstring name;
    if (ErrorCode error = lockName(path, name)) return error;
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
    if (!mutex) return lastErrno();
    const DWORD waited = ::WaitForSingleObject(mutex, 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
      out = reinterpret_cast<Handle>(mutex);
      return 0;
    }
    const ErrorCode error = waited == WAIT_TIMEOUT ? lockedElsewhere : lastErrno();
    ::CloseHandle(mutex);
    return error;
  }

  void unlock(Handle lock) override {
    const HANDLE mutex = reinterpret_cast<HANDLE>(lock);
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
  }

  long processId() override { return static_cast<long>(::GetCurrentProcessId()); }

  bool processIsRunning(long id) override {
    if (id <= 0) return false;
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
    if (!process) return ::GetLastError() == ERROR_ACCESS_DENIED;  // it runs, as someone else
    const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    ::CloseHandle(process);
    return running;
  }

  std::uint64_t unguessableNumber() override {
    std::uint64_t number = 0;
    ::BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&number), sizeof number,
                      BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    return number;
  }
};

}  // namespace

FileLayer& systemFileLayer() {
  static WindowsFileLayer layer;
  return layer;
}

}  // namespace store

#endif  // _WIN32
