// Feeds arbitrary bytes of any length to the save file as its content, loads the slots from it
// and saves them back. The first 160 bytes must come back unchanged (a shorter file comes back
// with its bytes followed by zeros up to 160) and everything beyond them must be kept.

#include <unistd.h>

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

namespace {

using Bytes = std::vector<std::uint8_t>;

void fail(const std::string& what) {
  std::fprintf(stderr, "save file round trip: %s\n", what.c_str());
  std::abort();
}

// The save file lives in the current directory: work in a scratch folder of our own.
bool enterScratchFolder() {
  std::string name = (std::filesystem::temp_directory_path() / "save-file-fuzz-XXXXXX").string();
  if (!::mkdtemp(name.data())) fail("no scratch folder");
  std::filesystem::current_path(name);
  static const std::string folder = name;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  });
  return true;
}

void writeFile(const std::uint8_t* data, std::size_t size) {
  std::ofstream out(store::saveFileName, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) fail("cannot write the input file");
}

Bytes readFile() {
  std::ifstream in(store::saveFileName, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = enterScratchFolder();
  (void)ready;
  writeFile(data, size);

  settings::Slots slots{};
  store::SaveFile file;
  if (store::FileResult r = file.load(slots); !r) fail("load: " + r.message());
  if (store::FileResult r = file.save(slots); !r) fail("save: " + r.message());

  Bytes expected(data, data + size);
  if (expected.size() < store::imageSize) expected.resize(store::imageSize, 0);
  const Bytes saved = readFile();
  if (saved.size() != expected.size()) {
    fail("length " + std::to_string(saved.size()) + ", expected " +
         std::to_string(expected.size()));
  }
  for (std::size_t i = 0; i < saved.size(); ++i) {
    if (saved[i] != expected[i]) fail("byte " + std::to_string(i) + " changed");
  }
  return 0;
}
