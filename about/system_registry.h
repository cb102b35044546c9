#pragma once

#include <memory>

#include "toolkit/services.h"

namespace about {

// The registry of this operating system: the real one on Windows, the portable stand-in
// elsewhere.
std::unique_ptr<tk::RegistryService> systemRegistry();

}  // namespace about
