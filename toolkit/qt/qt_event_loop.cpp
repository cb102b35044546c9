#include "toolkit/qt/qt_event_loop.h"

#include <algorithm>

namespace tk::qt {

QtEventLoop::QtEventLoop() : start_(std::chrono::steady_clock::now()) {
  wakeUp_.setSingleShot(true);
  wakeUp_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&wakeUp_, &QTimer::timeout, [this] { wake(); });
}

Milliseconds QtEventLoop::clockNow() const {
  const auto elapsed = std::chrono::steady_clock::now() - start_;
  return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

void QtEventLoop::deadlinesChanged() {
  if (!hasDeadline()) {
    wakeUp_.stop();
    return;
  }
  // The wait is worked out from the exact time and rounded down: Qt rounds a precise timer's
  // remaining time up to whole milliseconds, so rounding up here as well would make every tick
  // about a millisecond late. A wake-up just before the deadline finds nothing due and waits 0.
  const auto elapsed = std::chrono::steady_clock::now() - start_;
  const auto untilDue = std::chrono::milliseconds(nextDeadline()) - elapsed;
  const Milliseconds wait = std::max<Milliseconds>(
      0, std::chrono::floor<std::chrono::milliseconds>(untilDue).count());
  wakeUp_.start(static_cast<int>(std::min<Milliseconds>(wait, 24 * 60 * 60 * 1000)));
}

void QtEventLoop::wake() { runDue(clockNow()); }

}  // namespace tk::qt
