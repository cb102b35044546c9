#pragma once
// A fresh empty folder for as long as the object lives, so that the stopwatch's save file is the
// test's, benchmark's or fuzz run's own and never the user's. The one helper for such folders.

#ifndef _WIN32
#include <stdlib.h>  // mkdtemp
#endif

#include <cerrno>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace tk::testing {

class TempFolder {
 public:
  // Whether the folder is the current folder while the object lives (the stopwatch makes its
  // save file there), or only a place of its own for files named by full path.
  enum Use { asCurrentFolder, asScratch };

  explicit TempFolder(Use use = asCurrentFolder, const std::string& prefix = "stopwatch-")
      : path_(makeUniqueFolder(prefix)), previous_(std::filesystem::current_path()) {
    if (use == asCurrentFolder) {
      std::filesystem::current_path(path_);
      entered_ = true;
    }
  }
  ~TempFolder() {
    std::error_code ignored;
    if (entered_) std::filesystem::current_path(previous_, ignored);
    // A test may have taken the folder's own permissions away to see a save refused.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  // A new folder under the system's temporary folder that nobody else has, made where the name
  // is chosen so that no other process can take it in between.
  static std::filesystem::path makeUniqueFolder(const std::string& prefix) {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
#ifdef _WIN32
    // No mkdtemp: try random names until create_directory makes a new one.
    static std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
      const auto name = base / (prefix + std::to_string(random() % 1000000000000u));
      if (std::filesystem::create_directory(name)) return name;
    }
    throw std::runtime_error("no free name for a temporary folder under " + base.string());
#else
    std::string name = (base / (prefix + "XXXXXX")).string();
    if (::mkdtemp(name.data()) == nullptr) {
      throw std::system_error(errno, std::generic_category(), "mkdtemp " + name);
    }
    return name;
#endif
  }

  std::filesystem::path path_;
  std::filesystem::path previous_;
  bool entered_ = false;
};

}  // namespace tk::testing
