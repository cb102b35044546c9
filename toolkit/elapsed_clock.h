#pragma once
// The clock the event loop keeps time by. A stopwatch measures elapsed real time, so this clock
// goes on counting while the computer is suspended; it never jumps when the wall clock is set.
// Behind an interface so that tests can drive it (a suspend is a jump of this clock).

#include <chrono>

namespace tk {

class ElapsedClock {
 public:
  virtual ~ElapsedClock() = default;
  // Time since an arbitrary start, never going backwards.
  virtual std::chrono::nanoseconds now() const = 0;
  // How far this clock reads ahead of the operating system's suspend-counting clock: nothing for
  // that clock itself, the jumps so far for a test's. A loop that sleeps on the system's own
  // timer arms it for a deadline's instant minus this.
  virtual std::chrono::nanoseconds aheadOfSystem() const { return {}; }
};

// The operating system's clock that includes time spent asleep.
const ElapsedClock& suspendAwareClock();

}  // namespace tk
