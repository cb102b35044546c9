#pragma once
// Shows forms as Win32 top-level windows: one FormWindow per shown form, made when it is first
// shown and destroyed when it is unloaded. When the last window goes, the thread's message loop
// is told to quit (WM_QUIT). While the event loop catches up on overdue ticks, the windows hold
// their changes.
//
// The keys a dialog handles (menu shortcuts, Tab, Enter, Esc, access keys) are taken from the
// thread's messages before they are dispatched, by whatever loop retrieves them, a modal one
// included, so the message loop needs no call into the windows.

#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "toolkit/event_loop.h"
#include "toolkit/services.h"

namespace tk::win32 {

class FormWindow;

class Win32WindowSystem : public WindowSystem, public CatchUpListener {
 public:
  Win32WindowSystem();
  ~Win32WindowSystem() override;
  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

  void show(Form& form) override;
  void unload(Form& form) override;
  void catchUpBegins() override;
  void catchUpEnds() override;

  FormWindow* windowOf(const Form& form) const;
  std::size_t windowCount() const { return windows_.size(); }

 private:
  static LRESULT CALLBACK keyHook(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK messageWindowProc(HWND, UINT, WPARAM, LPARAM);
  bool translateKey(MSG& message);
  void destroyUnloaded();

  std::map<const Form*, std::unique_ptr<FormWindow>> windows_;
  // Windows of unloaded forms, destroyed once the message that unloaded them is handled: an OK
  // button often unloads its form from inside its own click.
  std::vector<std::unique_ptr<FormWindow>> unloaded_;
  HHOOK hook_ = nullptr;
  HWND messageWindow_ = nullptr;
  bool comStarted_ = false;
};

}  // namespace tk::win32
