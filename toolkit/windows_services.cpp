#ifdef _WIN32

#include "toolkit/windows_services.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tk::windows {

bool isPlainFile(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  constexpr DWORD notPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE |
                             FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  return (attributes & notPlain) == 0;
}

bool startProgram(const std::string& path) {
  if (path.empty()) return false;
  // The program is named on its own, so nothing is searched for; the command line the program
  // sees is its own path, quoted because it may hold spaces.
  const std::string quoted = "\"" + path + "\"";
  std::vector<char> commandLine(quoted.begin(), quoted.end());
  commandLine.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);  // not waited for: the program runs on by itself
  CloseHandle(process.hProcess);
  return true;
}

void WindowsProcesses::endProcess(int status) {
  std::fflush(nullptr);
  std::_Exit(status);
}

}  // namespace tk::windows

#endif  // _WIN32
