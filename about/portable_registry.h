#pragma once
// Where there is no Windows registry: a stand-in that knows one value, the path of the System
// Information tool, and answers it with a system-information or system-monitor program installed
// on this machine. Every other key is "not found", so with no such program the About window
// says that System Information is unavailable.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/services.h"

namespace about {

class PortableRegistry : public tk::RegistryService {
 public:
  explicit PortableRegistry(std::vector<std::filesystem::path> folders = standardFolders());

  // The folders searched for the programs, in this order.
  static std::vector<std::filesystem::path> standardFolders();
  // Graphical system-information and system-monitor programs, the most informative first.
  // Terminal programs are left out: started directly they would have no window to show.
  static const std::vector<std::string>& knownPrograms();

  // The first known program found as an executable file, or nothing.
  std::optional<std::filesystem::path> findProgram() const;

  long openKey(Key root, const std::string& path, std::uint32_t access, Key& key) override;
  long queryValue(Key key, const std::string& name, std::uint32_t& type, std::uint8_t* data,
                  std::uint32_t& size) override;
  void closeKey(Key) override {}

 private:
  static constexpr Key programKeyHandle = 1;

  std::vector<std::filesystem::path> folders_;
  std::string programPath_;  // looked up anew each time the key is opened
};

}  // namespace about
