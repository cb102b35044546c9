// Feeds arbitrary bytes to the save file as its content, loads the slots from it and saves them
// back, through the fault-injecting file layer. The input's first three bytes steer the faults:
//
//   byte 0: the step that fails (below stepCount, see Step), or none (any other value)
//   byte 1: which error (low 3 bits) at which call of the step (next 2 bits, plus one)
//   byte 2: bit 0: every file reads as another user's (the in-place write); bit 1: the power is
//           cut after (byte 2 >> 2) calls instead of a step failing
//
// and the rest is the file. Without faults the first 160 bytes must come back unchanged (a
// shorter file comes back with its bytes followed by zeros up to 160) and everything beyond them
// must be kept, and a save into one slot by a copy that never read the file changes only that
// record. With faults a failed load leaves the slots untouched, a save leaves the old file
// or the new one, each failure has a message naming the file, and the next clean start leaves no
// temporary file behind.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "store/record_codec.h"
#include "store/save_file.h"
#include "tests/faulty_file_layer.h"
#include "toolkit/testing/temp_folder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;
using store::ErrorCode;
using store_test::FaultyFileLayer;
using store_test::Step;

void fail(const std::string& what) {
  std::fprintf(stderr, "save file: %s\n", what.c_str());
  std::abort();
}

// The real file layer, with relative paths taken inside a scratch folder of our own: the
// process keeps its current directory, so libFuzzer's relative corpus paths still work.
class ScratchFolderLayer final : public store::FileLayer {
 public:
  fs::path at(const std::string& path) const {
    return fs::path(path).is_absolute() ? fs::path(path) : folder_.path() / path;
  }

  ErrorCode linkStatus(const std::string& path, store::FileStatus& out) override {
    return real_.linkStatus(in(path), out);
  }
  ErrorCode readLink(const std::string& path, std::string& target) override {
    return real_.readLink(in(path), target);
  }
  ErrorCode listFolder(const std::string& path, std::vector<std::string>& names) override {
    return real_.listFolder(in(path), names);
  }
  ErrorCode openExisting(const std::string& path, bool forWriting, Handle& out) override {
    return real_.openExisting(in(path), forWriting, out);
  }
  ErrorCode createIfMissing(const std::string& path) override {
    return real_.createIfMissing(in(path));
  }
  ErrorCode createNew(const std::string& path, unsigned permissions, Handle& out) override {
    return real_.createNew(in(path), permissions, out);
  }
  ErrorCode statusOf(Handle file, store::FileStatus& out) override {
    return real_.statusOf(file, out);
  }
  ErrorCode readAt(Handle file, std::uint64_t offset, std::span<std::uint8_t> buffer,
                   std::size_t& got) override {
    return real_.readAt(file, offset, buffer, got);
  }
  ErrorCode write(Handle file, std::span<const std::uint8_t> bytes, std::size_t& written) override {
    return real_.write(file, bytes, written);
  }
  ErrorCode setPermissions(Handle file, unsigned permissions) override {
    return real_.setPermissions(file, permissions);
  }
  ErrorCode setGroup(Handle file, unsigned group) override { return real_.setGroup(file, group); }
  ErrorCode sync(Handle file) override { return real_.sync(file); }
  ErrorCode close(Handle file) override { return real_.close(file); }
  ErrorCode rename(const std::string& from, const std::string& to) override {
    return real_.rename(in(from), in(to));
  }
  ErrorCode renameToFreeName(const std::string& from, const std::string& to) override {
    return real_.renameToFreeName(in(from), in(to));
  }
  ErrorCode remove(const std::string& path) override { return real_.remove(in(path)); }
  ErrorCode syncFolder(const std::string& path) override { return real_.syncFolder(in(path)); }
  ErrorCode tryLock(const std::string& path, Handle& out) override {
    return real_.tryLock(in(path), out);
  }
  void unlock(Handle lock) override { real_.unlock(lock); }
  long processId() override { return real_.processId(); }
  bool processIsRunning(long id) override { return real_.processIsRunning(id); }
  std::uint64_t unguessableNumber() override { return real_.unguessableNumber(); }

 private:
  std::string in(const std::string& path) const { return at(path).string(); }

  store::FileLayer& real_ = store::systemFileLayer();
  tk::testing::TempFolder folder_{tk::testing::TempFolder::asScratch, "save-file-fuzz-"};
};

ScratchFolderLayer& scratch() {
  static ScratchFolderLayer layer;
  return layer;
}

void writeFile(const Bytes& bytes) {
  std::ofstream out(scratch().at(store::saveFileName), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) fail("cannot write the input file");
}

Bytes readFile() {
  std::ifstream in(scratch().at(store::saveFileName), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

struct Faults {
  bool any = false;
  Step step = Step::linkStatus;
  ErrorCode error = 0;
  int occurrence = 1;
  bool anotherUsersFile = false;
  int cutPowerAfter = -1;
};

Faults faultsFrom(const std::uint8_t* data) {
  static const ErrorCode errors[] = {EIO, EACCES, EPERM, EROFS, ENOSPC, EDQUOT, EBUSY, EXDEV};
  Faults f;
  f.any = data[0] < store_test::stepCount || (data[2] & 2) != 0;
  f.step = static_cast<Step>(std::min<int>(data[0], store_test::stepCount - 1));
  f.error = errors[data[1] & 7];
  f.occurrence = ((data[1] >> 3) & 3) + 1;
  f.anotherUsersFile = (data[2] & 1) != 0;
  if (data[2] & 2) f.cutPowerAfter = data[2] >> 2;
  return f;
}

void apply(const Faults& f, FaultyFileLayer& files) {
  if (f.anotherUsersFile) files.pretendOwner(store::Owner::other);
  if (f.cutPowerAfter >= 0) {
    files.cutPowerAfter(f.cutPowerAfter);
  } else {
    files.failAt(f.step, f.error, f.occurrence);
  }
}

void expectNamesTheFile(const store::FileResult& result, const char* what) {
  if (!result && result.message().find("\"fileClockSave.bin\"") == std::string::npos) {
    fail(std::string(what) + " message without the file's name: " + result.message());
  }
}

// A save into one slot by a copy that never read the file: only that record may change. Where
// the faults keep the file from being read, the copy's own (empty) slots stand for it.
void checkUpdate(const Faults& faults, int slot) {
  const Bytes before = readFile();
  settings::ClockSettings record = settings::defaultSettings;
  record.alarmMinutes = 7;
  record.saved = settings::flagTrue;
  const auto withRecord = [&](Bytes bytes) {
    if (bytes.size() < store::imageSize) bytes.resize(store::imageSize, 0);
    settings::Slots one{};
    one[static_cast<std::size_t>(slot - 1)] = record;
    const store::SlotsImage image = store::encodeSlots(one);
    const std::size_t at = store::recordSize * static_cast<std::size_t>(slot - 1);
    std::copy(image.begin() + at, image.begin() + at + store::recordSize, bytes.begin() + at);
    return bytes;
  };
  Bytes unread = before;
  std::fill_n(unread.begin(), std::min(unread.size(), store::imageSize), 0);
  const Bytes merged = withRecord(before);

  FaultyFileLayer files(scratch());
  if (faults.any) apply(faults, files);
  settings::Slots slots{};
  const store::FileResult result =
      store::SaveFile(files).update(slots, store::SlotsChange::saveInto(slot, record));
  expectNamesTheFile(result, "update");
  const Bytes after = readFile();
  if (!faults.any && (!result || after != merged))
    fail("update without faults: " + result.message());
  if (after != before && after != merged && after != withRecord(unread)) {
    fail("update changed more than its own record");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Faults faults;
  if (size >= 3) {
    faults = faultsFrom(data);
    data += 3;
    size -= 3;
  }
  const Bytes old(data, data + size);
  writeFile(old);

  settings::Slots slots{};
  {
    FaultyFileLayer files(scratch());
    if (faults.any) apply(faults, files);
    const store::FileResult loaded = store::SaveFile(files).load(slots);
    expectNamesTheFile(loaded, "load");
    settings::Slots expected{};
    if (loaded) store::decodeSlots(old, expected);
    if (!(slots == expected)) fail("load: slots differ from the file's (or changed on failure)");
    if (!loaded && !faults.any) fail("load without faults: " + loaded.message());
  }
  store::decodeSlots(old, slots);  // save what the file holds, whatever the load did

  Bytes saved = old;
  if (saved.size() < store::imageSize) saved.resize(store::imageSize, 0);
  FaultyFileLayer files(scratch());
  if (faults.any) apply(faults, files);
  const store::FileResult result = store::SaveFile(files).save(slots);
  expectNamesTheFile(result, "save");
  if (!result && !faults.any) fail("save without faults: " + result.message());
  const Bytes after = readFile();
  if (after != saved && after != old) fail("save left neither the old file nor the new one");
  if (result && !files.powerWasCut() && after != saved) fail("a save that succeeded lost bytes");

  checkUpdate(faults, old.empty() ? 1 : 1 + old[0] % settings::slotCount);

  // The next start cleans up whatever the faults left.
  settings::Slots again{};
  if (store::FileResult r = store::SaveFile(scratch()).load(again); !r)
    fail("load: " + r.message());
  std::vector<std::string> names;
  scratch().listFolder(".", names);
  if (names != std::vector<std::string>{store::saveFileName}) {
    fail("the folder holds " + std::to_string(names.size()) + " names after a clean start");
  }
  return 0;
}
