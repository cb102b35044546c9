#ifdef _WIN32

#include "about/windows_registry.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace about {

namespace {

// The predefined root keys are 32-bit values (HKEY_LOCAL_MACHINE is 0x80000002) that Windows
// sign-extends to the width of a handle; any other key is a handle we were given.
HKEY toHandle(tk::RegistryService::Key key) {
  if (key >= 0x80000000u && key <= 0x800000FFu) {
    return reinterpret_cast<HKEY>(
        static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(static_cast<DWORD>(key)))));
  }
  return reinterpret_cast<HKEY>(key);
}

}  // namespace

long WindowsRegistry::openKey(Key root, const std::string& path, std::uint32_t access, Key& key) {
  HKEY handle = nullptr;
  const LONG result = RegOpenKeyExA(toHandle(root), path.c_str(), 0, access, &handle);
  if (result == ERROR_SUCCESS) key = reinterpret_cast<Key>(handle);
  return result;
}

long WindowsRegistry::queryValue(Key key, const std::string& name, std::uint32_t& type,
                                 std::uint8_t* data, std::uint32_t& size) {
  DWORD valueType = 0;
  DWORD bytes = size;
  const LONG result =
      RegQueryValueExA(toHandle(key), name.c_str(), nullptr, &valueType, data, &bytes);
  type = valueType;
  size = bytes;
  return result;
}

void WindowsRegistry::closeKey(Key key) { RegCloseKey(toHandle(key)); }

}  // namespace about

#endif  // _WIN32
