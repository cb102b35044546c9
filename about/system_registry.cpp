#include "about/system_registry.h"

#ifdef _WIN32
#include "about/windows_registry.h"
#else
#include "about/portable_registry.h"
#endif

namespace about {

std::unique_ptr<tk::RegistryService> systemRegistry() {
#ifdef _WIN32
  return std::make_unique<WindowsRegistry>();
#else
  return std::make_unique<PortableRegistry>();
#endif
}

}  // namespace about
