#pragma once

#include "toolkit/control.h"
#include "toolkit/event_loop.h"

namespace tk {

// Raises onTimer `interval` ms after it was enabled or given an interval, then every `interval`
// ms; a disabled timer, or one with interval 0, raises nothing. Setting the interval re-arms it.
// While its form's load event runs it is held; the form starts it when its window shows.
class Timer : public Control {
 public:
  Timer(Container& parent, std::string name, Milliseconds interval, bool enabled = true);
  ~Timer() override;
  Kind kind() const override { return Kind::Timer; }

  Milliseconds interval() const { return interval_; }
  void setInterval(Milliseconds interval);

  Event onTimer;

 protected:
  void enabledChanged() override { rearm(); }

 private:
  friend class EventLoop;
  friend class Form;
  // A tick comes from the loop, never from code, so it is an outermost handler.
  void fire();
  void rearm();

  Milliseconds interval_;
};

}  // namespace tk
