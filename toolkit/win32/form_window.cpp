#include "toolkit/win32/form_window.h"

#include <algorithm>

#include "toolkit/win32/dpi.h"
#include "toolkit/win32/wide_strings.h"

namespace tk::win32 {

namespace {

constexpr wchar_t formClassName[] = L"StopwatchToolkitForm";

void registerFormClass(WNDPROC windowProc) {
  static const bool registered = [windowProc] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = formClassName;
    return RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;
}

DWORD styleOf(const Form& form) {
  if (form.borderStyle == BorderStyle::FixedDialog) return WS_POPUP | WS_CAPTION | WS_SYSMENU;
  return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
}

DWORD extendedStyleOf(const Form& form) {
  DWORD style = WS_EX_CONTROLPARENT;
  if (form.borderStyle == BorderStyle::FixedDialog) style |= WS_EX_DLGMODALFRAME;
  if (!form.showInTaskbar) style |= WS_EX_TOOLWINDOW;
  return style;
}

}  // namespace

FormWindow::FormWindow(Form& form) : form_(form) {
  registerFormClass(&FormWindow::windowProc);
  window_ = CreateWindowExW(extendedStyleOf(form), formClassName, toWide(form.caption()).c_str(),
                            styleOf(form), CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  fixSize();
}

FormWindow::~FormWindow() {
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void FormWindow::fixSize() {
  const int dpi = dpiOf(window_);
  const SIZE size = windowSizeFor(
      toDevicePixels(form_.bounds().width, dpi), toDevicePixels(form_.bounds().height, dpi),
      styleOf(form_), extendedStyleOf(form_), GetMenu(window_) != nullptr, dpi);
  SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::present() {
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
}

void FormWindow::propertyChanged(Control& control, Property property) {
  if (!held_) {
    showChange(control, property);
    return;
  }
  const std::pair change{&control, property};
  if (std::find(heldChanges_.begin(), heldChanges_.end(), change) == heldChanges_.end()) {
    heldChanges_.push_back(change);
  }
}

void FormWindow::releaseChanges() {
  held_ = false;
  for (const auto& [control, property] : std::exchange(heldChanges_, {})) {
    showChange(*control, property);
  }
}

void FormWindow::showChange(Control& control, Property property) {
  if (&control == &form_ && property == Property::Caption) {
    SetWindowTextW(window_, toWide(form_.caption()).c_str());
  }
}

LRESULT CALLBACK FormWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return self->handle(message, wParam, lParam);
}

LRESULT FormWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      // Closing from the title bar unloads the form, which takes the window away.
      form_.unload();
      return 0;
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

}  // namespace tk::win32
