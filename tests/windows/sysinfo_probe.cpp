// A stand-in for the System Information tool: when started, it writes "<its own path>.ran"
// holding the command line it was given and how its window was asked to show, then ends. It
// carries the program's version resource, which the tests read back.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <fstream>
#include <string>

int main() {
  wchar_t self[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
  if (length == 0 || length >= std::size(self)) return 1;
  const std::wstring record = std::wstring(self, length) + L".ran";
  const std::wstring partial = record + L".part";

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
  {
    std::ofstream out(partial.c_str(), std::ios::binary);
    out << GetCommandLineA() << '\n' << show << '\n';
    if (!out.flush()) return 1;
  }
  // Renamed into place, so whoever waits for the record never reads half of it.
  return MoveFileExW(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
