#pragma once
// Everything the forms need from their surroundings, on Qt. Make it after the QApplication.

#include "toolkit/qt/qt_event_loop.h"
#include "toolkit/qt/qt_services.h"
#include "toolkit/qt/qt_window_system.h"

namespace tk::qt {

class QtPlatform {
 public:
  // The registry comes from outside: a real one on Windows, a portable stand-in elsewhere. The
  // loop's clock is the system's unless a test drives it.
  QtPlatform(RegistryService& registry, AppInfo app,
             const ElapsedClock& clock = suspendAwareClock());
  QtPlatform(const QtPlatform&) = delete;
  QtPlatform& operator=(const QtPlatform&) = delete;

  Platform& platform() { return platform_; }
  QtEventLoop& loop() { return loop_; }
  QtWindowSystem& windows() { return windows_; }

 private:
  QtEventLoop loop_;
  QtWindowSystem windows_;
  QtMessageBox messages_;
  QtColourDialog colours_;
  QtFileSystem files_;
  QtProcesses processes_;
  Platform platform_;
};

}  // namespace tk::qt
