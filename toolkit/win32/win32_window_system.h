#pragma once
// Shows forms as Win32 top-level windows: one FormWindow per shown form, made when it is first
// shown and destroyed when it is unloaded. When the last window goes, the message loop is told to
// quit. While the event loop catches up on overdue ticks, the windows hold their changes.

#include <map>
#include <memory>

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
  std::map<const Form*, std::unique_ptr<FormWindow>> windows_;
};

}  // namespace tk::win32
