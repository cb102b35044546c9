#pragma once
// The message box and the colour dialog on Windows: modal to the thread's active window, whose
// owner cannot be used while they are open. The event loop's timers go on firing meanwhile.

#include <windows.h>

#include <string>

#include "toolkit/services.h"

namespace tk::win32 {

class Win32MessageBox : public MessageBoxService {
 public:
  explicit Win32MessageBox(std::string appTitle) : appTitle_(std::move(appTitle)) {}
  void show(std::string_view text, std::string_view title = {}) override;

 private:
  std::string appTitle_;
};

class Win32ColourDialog : public ColourDialogService {
 public:
  std::optional<Colour> choose(Colour initial) override;

 private:
  COLORREF customColours_[16] = {};  // the dialog's sixteen custom colours, kept between uses
};

}  // namespace tk::win32
