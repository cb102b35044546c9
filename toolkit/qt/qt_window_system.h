#pragma once
// Shows forms as Qt top-level windows: one FormWindow per shown form, made when it is first
// shown and destroyed when it is unloaded. When the last window goes, the application quits.
// While the event loop catches up on overdue ticks, the windows hold their changes.

#include <map>

#include "toolkit/event_loop.h"
#include "toolkit/services.h"

namespace tk::qt {

class FormWindow;

class QtWindowSystem : public WindowSystem, public CatchUpListener {
 public:
  QtWindowSystem() = default;
  ~QtWindowSystem() override;
  QtWindowSystem(const QtWindowSystem&) = delete;
  QtWindowSystem& operator=(const QtWindowSystem&) = delete;

  void show(Form& form) override;
  void unload(Form& form) override;
  void askForAttention(Form& form) override;
  void catchUpBegins() override;
  void catchUpEnds() override;

  FormWindow* windowOf(const Form& form) const;
  std::size_t windowCount() const { return windows_.size(); }

 private:
  std::map<const Form*, FormWindow*> windows_;
};

}  // namespace tk::qt
