#include "toolkit/timer.h"

#include "toolkit/form.h"

namespace tk {

Timer::Timer(Container& parent, std::string name, Milliseconds interval, bool enabled)
    : Control(&parent, std::move(name)), interval_(interval) {
  if (!enabled) setEnabled(false);
  rearm();
}

Timer::~Timer() { form().platform().loop.disarm(*this); }

void Timer::setInterval(Milliseconds interval) {
  interval_ = interval;
  rearm();
}

void Timer::fire() { form().dispatchFromLoop(onTimer); }

void Timer::rearm() {
  EventLoop& loop = form().platform().loop;
  if (enabled() && interval_ > 0 && !form().isLoading()) {
    loop.arm(*this, interval_);
  } else {
    loop.disarm(*this);
  }
}

}  // namespace tk
