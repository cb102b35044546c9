#include "about/portable_registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <system_error>

#include "about/sys_info_keys.h"

namespace about {

namespace {

// Registry key paths and value names ignore case.
bool sameName(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

bool isExecutableFile(const std::filesystem::path& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);  // follows symbolic links
  if (error || !std::filesystem::is_regular_file(status)) return false;
  using std::filesystem::perms;
  return (status.permissions() & (perms::owner_exec | perms::group_exec | perms::others_exec)) !=
         perms::none;
}

}  // namespace

PortableRegistry::PortableRegistry(std::vector<std::filesystem::path> folders)
    : folders_(std::move(folders)) {}

std::vector<std::filesystem::path> PortableRegistry::standardFolders() {
  return {"/usr/bin", "/usr/local/bin", "/bin"};
}

const std::vector<std::string>& PortableRegistry::knownPrograms() {
  static const std::vector<std::string> programs{"hardinfo2",
                                                 "hardinfo",
                                                 "gnome-system-monitor",
                                                 "plasma-systemmonitor",
                                                 "ksysguard",
                                                 "mate-system-monitor",
                                                 "xfce4-taskmanager",
                                                 "lxtask"};
  return programs;
}

std::optional<std::filesystem::path> PortableRegistry::findProgram() const {
  for (const std::string& program : knownPrograms()) {
    for (const std::filesystem::path& folder : folders_) {
      std::filesystem::path candidate = folder / program;
      if (isExecutableFile(candidate)) return candidate;
    }
  }
  return std::nullopt;
}

long PortableRegistry::openKey(Key root, const std::string& path, std::uint32_t, Key& key) {
  if (root != sysinfo::localMachine || !sameName(path, sysinfo::programKey)) {
    return sysinfo::notFound;
  }
  const auto program = findProgram();
  if (!program) return sysinfo::notFound;
  programPath_ = program->string();
  key = programKeyHandle;
  return 0;
}

long PortableRegistry::queryValue(Key key, const std::string& name, std::uint32_t& type,
                                  std::uint8_t* data, std::uint32_t& size) {
  if (key != programKeyHandle || programPath_.empty()) return sysinfo::invalidHandle;
  if (!sameName(name, sysinfo::programValue)) return sysinfo::notFound;
  // Stored like a registry text value: with its terminating zero byte.
  const auto needed = static_cast<std::uint32_t>(programPath_.size() + 1);
  if (needed > size) {
    size = needed;
    return sysinfo::bufferTooSmall;
  }
  std::memcpy(data, programPath_.c_str(), needed);
  size = needed;
  type = sysinfo::typeText;
  return 0;
}

}  // namespace about
