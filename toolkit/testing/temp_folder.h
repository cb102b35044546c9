#pragma once
// A fresh empty working folder for as long as the object lives, so that the stopwatch's save file
// is the test's or benchmark's own and never the user's.

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace tk::testing {

class TempFolder {
 public:
  TempFolder() : path_(makeUniqueFolder()), previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(path_);
  }
  ~TempFolder() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // A new folder under the system's temporary folder; a name already taken is never reused.
  static std::filesystem::path makeUniqueFolder(const std::string& prefix = "stopwatch-") {
    static std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
      const auto name = std::filesystem::temp_directory_path() /
                        (prefix + std::to_string(random() % 1000000000000u));
      if (std::filesystem::create_directory(name)) return name;
    }
    throw std::runtime_error("no free name for a temporary folder");
  }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

}  // namespace tk::testing
