#pragma once
// A fresh empty working folder for the length of a run, so the stopwatch's save file is the
// benchmark's own and never the user's.

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace bench {

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "stopwatch-bench-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  ~ScratchFolder() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

}  // namespace bench
