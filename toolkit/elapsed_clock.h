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
};

// The operating system's clock that includes time spent asleep.
const ElapsedClock& suspendAwareClock();

}  // namespace tk
