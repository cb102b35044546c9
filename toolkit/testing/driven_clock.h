#pragma once
// The loop's clock as a test drives it: real elapsed time, plus whatever the test has added with
// jump(), which is how a computer that was suspended looks to a program once it runs again.

#include <chrono>

#include "toolkit/elapsed_clock.h"

namespace tk::testing {

class DrivenClock : public ElapsedClock {
 public:
  std::chrono::nanoseconds now() const override { return suspendAwareClock().now() + jumped_; }
  std::chrono::nanoseconds aheadOfSystem() const override { return jumped_; }
  // The loop learns of the jump from QtEventLoop::clockJumped(), as a sleeping one learns of a
  // resume from the kernel.
  void jump(std::chrono::nanoseconds by) { jumped_ += by; }

 private:
  std::chrono::nanoseconds jumped_{0};
};

}  // namespace tk::testing
