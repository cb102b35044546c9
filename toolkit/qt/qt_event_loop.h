#pragma once
// The toolkit's event loop on Qt's: one precise single-shot QTimer always armed for the earliest
// deadline (shortly before it when it is far off, then again for the rest). When it fires, every
// timer due by then fires in deadline order, each seeing the instant it was due as "now"; a
// wake-up that comes late therefore catches up on every missed tick instead of skipping them.
// Time is read from a clock that counts a suspended computer's sleep; Qt's own timers do not, so
// after a resume the wake-up comes when the wait that was under way ends, within half a second,
// and finds every tick of the sleep overdue.

#include <QTimer>
#include <chrono>

#include "toolkit/elapsed_clock.h"
#include "toolkit/event_loop.h"

namespace tk::qt {

class QtEventLoop : public EventLoop {
 public:
  explicit QtEventLoop(const ElapsedClock& clock = suspendAwareClock());

 protected:
  Milliseconds clockNow() const override;  // milliseconds since the loop was made
  void deadlinesChanged() override;

 private:
  void wake();
  std::chrono::nanoseconds untilNextDeadline() const;

  const ElapsedClock& clock_;
  std::chrono::nanoseconds start_;
  // Re-armed whenever the deadlines change, also from a handler inside a modal dialog's nested
  // loop, so timers keep running while the dialog is open.
  QTimer wakeUp_;
};

}  // namespace tk::qt
