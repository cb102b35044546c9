#include "toolkit/win32/win32_window_system.h"

#include "toolkit/form.h"
#include "toolkit/win32/comctl.h"
// After the Windows header.
#include <objbase.h>

#include "toolkit/win32/form_window.h"

namespace tk::win32 {

namespace {

// One window system a thread: the key hook finds it here.
thread_local Win32WindowSystem* threadWindows = nullptr;

constexpr UINT destroyUnloadedMessage = WM_APP + 1;
constexpr wchar_t messageWindowClass[] = L"StopwatchToolkitWindows";

}  // namespace

Win32WindowSystem::Win32WindowSystem() {
  // Accessible objects are handed to assistive technology through COM.
  comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                                      ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &messageWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = messageWindowClass;
  RegisterClassExW(&windowClass);
  messageWindow_ = CreateWindowExW(0, messageWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(messageWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  threadWindows = this;
  hook_ = SetWindowsHookExW(WH_GETMESSAGE, &keyHook, nullptr, GetCurrentThreadId());
}

Win32WindowSystem::~Win32WindowSystem() {
  if (hook_) UnhookWindowsHookEx(hook_);
  if (threadWindows == this) threadWindows = nullptr;
  for (auto& [form, window] : windows_) const_cast<Form*>(form)->setObserver(nullptr);
  windows_.clear();
  unloaded_.clear();
  DestroyWindow(messageWindow_);
  if (comStarted_) CoUninitialize();
}

void Win32WindowSystem::show(Form& form) {
  std::unique_ptr<FormWindow>& window = windows_[&form];
  if (!window) {
    window = std::make_unique<FormWindow>(form);
    form.setObserver(window.get());
  }
  window->present();
}

void Win32WindowSystem::unload(Form& form) {
  auto found = windows_.find(&form);
  if (found == windows_.end()) return;
  std::unique_ptr<FormWindow> window = std::move(found->second);
  windows_.erase(found);
  form.setObserver(nullptr);
  window->detach();
  unloaded_.push_back(std::move(window));
  PostMessageW(messageWindow_, destroyUnloadedMessage, 0, 0);
  if (windows_.empty()) PostQuitMessage(0);
}

void Win32WindowSystem::destroyUnloaded() { unloaded_.clear(); }

void Win32WindowSystem::catchUpBegins() {
  for (auto& [form, window] : windows_) window->holdChanges();
}

void Win32WindowSystem::catchUpEnds() {
  for (auto& [form, window] : windows_) window->releaseChanges();
}

FormWindow* Win32WindowSystem::windowOf(const Form& form) const {
  auto found = windows_.find(&form);
  return found == windows_.end() ? nullptr : found->second.get();
}

bool Win32WindowSystem::translateKey(MSG& message) {
  for (auto& [form, window] : windows_) {
    if (window->translateKey(message)) return true;
  }
  return false;
}

LRESULT CALLBACK Win32WindowSystem::keyHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE && threadWindows != nullptr) {
    MSG& message = *reinterpret_cast<MSG*>(lParam);
    // A key the windows used is not dispatched again by the loop.
    if (threadWindows->translateKey(message)) message.message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK Win32WindowSystem::messageWindowProc(HWND window, UINT message, WPARAM wParam,
                                                      LPARAM lParam) {
  auto* self = reinterpret_cast<Win32WindowSystem*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self && message == destroyUnloadedMessage) {
    self->destroyUnloaded();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tk::win32
