#pragma once
// The file test and the program start on Windows, in plain Win32 so that every build reaches
// them, with or without Qt. Paths are in the ANSI code page, the form in which the registry
// hands them over.

#include <string>

#include "toolkit/services.h"

namespace tk::windows {

// An existing file that is not a folder, a device, hidden or a system file.
bool isPlainFile(const std::string& path);
// Starts the program at `path` directly (no shell, no search along PATH), its window shown
// normally, and does not wait for it.
bool startProgram(const std::string& path);

class WindowsFiles : public FileSystemService {
 public:
  bool isPlainFile(const std::string& path) override { return windows::isPlainFile(path); }
};

class WindowsProcesses : public ProcessService {
 public:
  bool start(const std::string& path) override { return startProgram(path); }
  [[noreturn]] void endProcess(int status) override;
};

}  // namespace tk::windows
