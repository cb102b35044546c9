#pragma once
// The top-level window that shows one form: its menu bar, its client area and every control,
// following the form as its observer and handing the user's actions back to it.

#include <windows.h>

#include <utility>
#include <vector>

#include "toolkit/form.h"

namespace tk::win32 {

class FormWindow : public ControlObserver {
 public:
  explicit FormWindow(Form& form);
  ~FormWindow() override;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  Form& form() const { return form_; }
  HWND handle() const { return window_; }

  void propertyChanged(Control& control, Property property) override;

  // While held, changes are only noted; the release shows each changed property once, as it is
  // then. Thousands of catch-up ticks cost the screen one update.
  void holdChanges() { held_ = true; }
  void releaseChanges();

  // Shows the window (placed as the form asks) and gives it the focus.
  void present();

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void showChange(Control& control, Property property);
  void fixSize();

  Form& form_;
  HWND window_ = nullptr;
  bool held_ = false;
  std::vector<std::pair<Control*, Property>> heldChanges_;  // in the order first changed
};

}  // namespace tk::win32
