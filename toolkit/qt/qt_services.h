#pragma once
// The platform services on Qt and the operating system.

#include <string>

#include "toolkit/services.h"

namespace tk::qt {

class QtMessageBox : public MessageBoxService {
 public:
  explicit QtMessageBox(std::string appTitle) : appTitle_(std::move(appTitle)) {}
  void show(std::string_view text, std::string_view title = {}) override;

 private:
  std::string appTitle_;
};

class QtColourDialog : public ColourDialogService {
 public:
  std::optional<Colour> choose(Colour initial) override;
};

class QtFileSystem : public FileSystemService {
 public:
  bool isPlainFile(const std::string& path) override;
};

class QtProcesses : public ProcessService {
 public:
  bool start(const std::string& path) override;
  [[noreturn]] void endProcess(int status) override;
};

}  // namespace tk::qt
