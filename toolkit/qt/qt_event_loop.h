#pragma once
// The toolkit's event loop on Qt's: one precise single-shot QTimer always armed for the earliest
// deadline. When it fires, every timer due by then fires in deadline order, each seeing the
// instant it was due as "now"; a wake-up that comes late therefore catches up on every missed
// tick instead of skipping them.

#include <QTimer>
#include <chrono>

#include "toolkit/event_loop.h"

namespace tk::qt {

class QtEventLoop : public EventLoop {
 public:
  QtEventLoop();

 protected:
  Milliseconds clockNow() const override;  // milliseconds since the loop was made
  void deadlinesChanged() override;

 private:
  void wake();

  std::chrono::steady_clock::time_point start_;
  QTimer wakeUp_;
  // Fires only inside a nested event loop (a modal dialog opened by a timer's handler): the loop
  // base re-queues a periodic tick before running its handler without telling us, so this
  // re-arms the wake-up from the queue as it stands.
  QTimer rearmWhileNested_;
};

}  // namespace tk::qt
