#include "toolkit/win32/win32_window_system.h"

#include <windows.h>

#include "toolkit/form.h"
#include "toolkit/win32/form_window.h"

namespace tk::win32 {

Win32WindowSystem::Win32WindowSystem() = default;

Win32WindowSystem::~Win32WindowSystem() {
  for (auto& [form, window] : windows_) const_cast<Form*>(form)->setObserver(nullptr);
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
  window.reset();
  if (windows_.empty()) PostQuitMessage(0);
}

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

}  // namespace tk::win32
