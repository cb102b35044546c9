#pragma once
// Everything the forms need from their surroundings, on Windows.

#include "toolkit/win32/win32_dialogs.h"
#include "toolkit/win32/win32_event_loop.h"
#include "toolkit/win32/win32_window_system.h"
#include "toolkit/windows_services.h"

namespace tk::win32 {

class Win32Platform {
 public:
  // The loop's clock is the system's unless a test drives it.
  Win32Platform(RegistryService& registry, AppInfo app,
                const ElapsedClock& clock = suspendAwareClock());
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  Platform& platform() { return platform_; }
  Win32EventLoop& loop() { return loop_; }
  Win32WindowSystem& windows() { return windows_; }

 private:
  Win32EventLoop loop_;
  Win32WindowSystem windows_;
  Win32MessageBox messages_;
  Win32ColourDialog colours_;
  windows::WindowsFiles files_;
  windows::WindowsProcesses processes_;
  Platform platform_;
};

}  // namespace tk::win32
