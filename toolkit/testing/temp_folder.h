#pragma once
// A fresh empty working folder for as long as the object lives, so that the stopwatch's save file
// is the test's or benchmark's own and never the user's.

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace tk::testing {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "stopwatch-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  ~TempFolder() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

}  // namespace tk::testing
