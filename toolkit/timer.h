#pragma once

#include "toolkit/control.h"
#include "toolkit/event_loop.h"

namespace tk {

// Raises onTimer `interval` ms after it was enabled or given an interval, then every `interval`
// ms; a disabled timer, or one with interval 0, raises nothing. Setting the interval re-arms it.
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
  void fire() { raise(onTimer); }
  void rearm();

  Milliseconds interval_;
};

}  // namespace tk
