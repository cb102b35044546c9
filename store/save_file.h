#pragma once
// The save file "fileClockSave.bin" in the current directory, which keeps the five slots between
// runs. Neither call throws or ends the program: each returns a FileResult whose message names
// the file and the reason, for the window to show while it keeps its own state.
//
//   store::SaveFile file;
//   if (store::FileResult r = file.load(slots); !r) showMessage(r.message());
//   r = file.update(slots, store::SlotsChange::saveInto(2, record));

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>

#include "settings/clock_settings.h"
#include "store/file_layer.h"

namespace store {

inline constexpr const char* saveFileName = "fileClockSave.bin";
// The reason of a failure when the name is taken by something that is neither a file nor a
// folder (a pipe, a device), for which no errno value fits.
inline constexpr ErrorCode notARegularFile = -1;
// The reason when the name is a symbolic link that another user owns: it is not followed.
inline constexpr ErrorCode foreignLink = -2;
// The reason when the file is not the user's and has more names than this one (hard links): it
// could be anyone's file, linked here by someone else, and is not written.
inline constexpr ErrorCode foreignHardLink = -4;

// The longest tail (the bytes after the slots) that a save copies into the new file. The copy runs
// on the window's thread, and a huge or sparse file (1 GiB with 12 KB on disk, say) would freeze
// the window for seconds and fill the disk with zeros. A file with a longer tail is written in
// place instead: only its first 160 bytes change, within its first disk sector, which disks write
// whole, and the tail stays as it is, neither read nor copied. 1 MiB copies in milliseconds.
inline constexpr std::uint64_t maxCopiedTail = 1024 * 1024;

class FileResult {
 public:
  static FileResult success() { return FileResult(0, {}); }
  static FileResult failure(ErrorCode reason, std::string message) {
    return FileResult(reason, std::move(message));
  }

  bool ok() const { return message_.empty(); }
  explicit operator bool() const { return ok(); }
  // What the user reads, e.g. `Could not save the slots to "fileClockSave.bin": Permission
  // denied.` Empty on success.
  const std::string& message() const { return message_; }
  // The errno value behind a failure (or notARegularFile, foreignLink, foreignHardLink); 0 on
  // success.
  ErrorCode reason() const { return reason_; }

 private:
  FileResult(ErrorCode reason, std::string message)
      : reason_(reason), message_(std::move(message)) {}

  ErrorCode reason_;
  std::string message_;
};

// What a Save or a Clear Saved changes in the slots, and all it changes: one whole record, or the
// saved flags of all five.
class SlotsChange {
 public:
  // `record` into slot `slot` (1..5).
  static SlotsChange saveInto(int slot, const settings::ClockSettings& record) {
    return SlotsChange(slot, record);
  }
  // Every slot marked unsaved; the records' other fields stay as they are.
  static SlotsChange clearSaved() { return SlotsChange(0, {}); }

  void applyTo(settings::Slots& slots) const;

 private:
  SlotsChange(int slot, const settings::ClockSettings& record) : slot_(slot), record_(record) {}

  int slot_;  // 0 for clearing the saved flags
  settings::ClockSettings record_;
};

class SaveFile {
 public:
  SaveFile() : SaveFile(systemFileLayer()) {}
  explicit SaveFile(FileLayer& files) : files_(files) {}

  // Both calls follow a symbolic link, the last part of the path or a folder on the way, only
  // when the user or root owns it; a link of another user's is refused with a message naming it,
  // and nothing is touched. Both remove temporary files that a crashed save left beside the file.

  // Reads the five slots from the file. A missing file is created empty, so that it exists after
  // the first start, and leaves the slots as they are; so does every field past the end of a short
  // file (see decodeSlots). On failure the slots are untouched.
  FileResult load(settings::Slots& slots);

  // Writes the five slots as the file's first 160 bytes and keeps whatever the file held beyond
  // them. For a file of the user's own (or a new one), the new content goes to a temporary file
  // beside it, is flushed to the disk, and then replaces the old file in one rename, so that a
  // crash at any moment leaves either the old file or the new one; the new file keeps the old
  // one's group and read and write bits, never setuid, setgid, sticky or execute bits. Another
  // user's file is written in place and flushed, keeping its owner and mode, unless it has other
  // names too (hard links): then it is not written at all. The user's own file is written in
  // place where the folder takes no new file, where the new one could not keep the old one's
  // group, where the file changed while its tail was copied, or where the tail is too long to
  // copy at once (see save_file.cpp). An existing file that may not be written is not replaced.
  // Someone making or removing a file of the name during the save makes it look again.
  FileResult save(const settings::Slots& slots);

  // Changes only what `change` names, in the file as it is now, so that another copy of the
  // program saving into the same file keeps what it saved. Under a lock the copies share, the
  // file is read, changed and written back (as save() writes); `slots` then holds what was
  // written, so the window follows the file. Where the file cannot be read (missing, not a file,
  // not readable), `slots` stands for it, as when nothing else writes it. When another copy holds
  // the lock longer than lockWait, nothing is written and the result says so. On any failure
  // `slots` still ends with the change, as the user made it and the window shows it.
  FileResult update(settings::Slots& slots, const SlotsChange& change);

  // How long update() waits for a copy that holds the lock: a save takes milliseconds, and one
  // that is stuck must not freeze the window for good.
  static constexpr std::chrono::milliseconds defaultLockWait{2000};
  void setLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }

 private:
  FileLayer& files_;
  std::chrono::milliseconds lockWait_ = defaultLockWait;
};

}  // namespace store
