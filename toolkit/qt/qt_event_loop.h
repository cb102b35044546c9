#pragma once
// The toolkit's event loop on Qt's. It sleeps on a kernel timer of the clock that counts a
// suspended computer's sleep (a timerfd on CLOCK_BOOTTIME), armed at the absolute instant the
// earliest deadline is due and watched by Qt's loop, so the kernel wakes it once, on time, and at
// once after a resume, since that instant has then passed. When it wakes, every timer due by then
// fires in deadline order, each seeing the instant it was due as "now"; a wake-up that comes late
// therefore catches up on every missed tick instead of skipping them.

#include <sys/timerfd.h>

#include <QSocketNotifier>
#include <chrono>
#include <memory>
#include <optional>

#include "toolkit/elapsed_clock.h"
#include "toolkit/event_loop.h"

namespace tk::qt {

class QtEventLoop : public EventLoop {
 public:
  // `clock` reads the operating system's suspend-counting clock plus an offset (see ElapsedClock).
  explicit QtEventLoop(const ElapsedClock& clock = suspendAwareClock());
  ~QtEventLoop() override;
  QtEventLoop(const QtEventLoop&) = delete;
  QtEventLoop& operator=(const QtEventLoop&) = delete;

  // A test that moved the loop's clock forwards (its stand-in for a suspended computer) says so
  // here, as the resume itself tells the kernel: the wake-up is armed again for the moved clock,
  // and comes at once when the deadline now lies behind.
  void clockJumped() { deadlinesChanged(); }

 protected:
  Milliseconds clockNow() const override;  // milliseconds since the loop was made
  void deadlinesChanged() override;

 private:
  void wake();
  void arm(const itimerspec& setting);

  const ElapsedClock& clock_;
  std::chrono::nanoseconds start_;
  int timerFd_;
  // Watched by whichever Qt loop runs, a modal dialog's nested one too, so timers keep running
  // while a dialog is open.
  std::unique_ptr<QSocketNotifier> notifier_;
  std::optional<itimerspec> armed_;  // as last set, until the timer expires
  bool armedOverdue_ = false;        // armed for an instant already past: it wakes the loop at once
};

}  // namespace tk::qt
