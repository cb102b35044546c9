#include "toolkit/win32/win32_platform.h"

namespace tk::win32 {

Win32Platform::Win32Platform(RegistryService& registry, AppInfo app, const ElapsedClock& clock)
    : loop_(clock), messages_(app.title), platform_{loop_,  windows_,   messages_, colours_,
                                                    files_, processes_, registry,  std::move(app)} {
  // The ticks of a catch-up are shown once, where they end.
  loop_.setCatchUpListener(&windows_);
}

}  // namespace tk::win32
