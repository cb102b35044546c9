#pragma once
// The Windows registry, read through the ANSI calls of advapi32. Built only on Windows.

#include "toolkit/services.h"

namespace about {

class WindowsRegistry : public tk::RegistryService {
 public:
  long openKey(Key root, const std::string& path, std::uint32_t access, Key& key) override;
  long queryValue(Key key, const std::string& name, std::uint32_t& type, std::uint8_t* data,
                  std::uint32_t& size) override;
  void closeKey(Key key) override;
};

}  // namespace about
