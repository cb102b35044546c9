// The program on Windows: the toolkit's Win32 backend, the Stopwatch window and the message
// loop. Everything else happens in the windows' handlers.

#include <windows.h>

#include "about/system_registry.h"
#include "app_info.h"
#include "clock/frm_clock.h"
#include "toolkit/win32/win32_platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  auto registry = about::systemRegistry();
  tk::win32::Win32Platform win32(
      *registry, tk::AppInfo{app_info::title, app_info::versionMajor, app_info::versionMinor,
                             app_info::versionRevision});
  clock_window::FrmClock frmClock(win32.platform());
  frmClock.show();
  return win32.loop().run();
}
