#include "toolkit/qt/qt_event_loop.h"

#include <algorithm>
#include <thread>

namespace tk::qt {

namespace {

using namespace std::chrono_literals;

// The kernel may wake a poll up to a thousandth of its timeout late: a millisecond on the
// one-second wait of a ticking stopwatch. So a long wait stops this far short of the deadline and
// a short one, woken within tens of microseconds, ends it.
constexpr auto approach = 10ms;
// Qt's timers count on a clock that stands still while the computer is suspended, so a wait under
// way when it went to sleep runs its remaining course after the resume. Waits no longer than
// this bring the loop back to its own clock, and the catch-up, this soon after a resume.
constexpr Milliseconds longestWait = 500;

}  // namespace

QtEventLoop::QtEventLoop(const ElapsedClock& clock) : clock_(clock), start_(clock.now()) {
  wakeUp_.setSingleShot(true);
  wakeUp_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&wakeUp_, &QTimer::timeout, [this] { wake(); });
}

Milliseconds QtEventLoop::clockNow() const {
  const auto elapsed = clock_.now() - start_;
  return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

std::chrono::nanoseconds QtEventLoop::untilNextDeadline() const {
  const auto due = start_ + std::chrono::milliseconds(nextDeadline());
  return due - clock_.now();
}

void QtEventLoop::deadlinesChanged() {
  if (!hasDeadline()) {
    wakeUp_.stop();
    return;
  }
  auto untilDue = untilNextDeadline();
  if (untilDue > 2 * approach) untilDue -= approach;
  // Rounded down, as Qt rounds a precise timer's remaining time up to whole milliseconds; the
  // part of a millisecond left when it fires is slept off in wake().
  const Milliseconds wait =
      std::max<Milliseconds>(0, std::chrono::floor<std::chrono::milliseconds>(untilDue).count());
  wakeUp_.start(static_cast<int>(std::min(wait, longestWait)));
}

void QtEventLoop::wake() {
  if (hasDeadline()) {
    // Less than a millisecond is too fine for Qt's timers; this short a block goes unnoticed.
    const auto untilDue = untilNextDeadline();
    if (untilDue > 0ns && untilDue < 1ms) std::this_thread::sleep_for(untilDue);
  }
  runDue(clockNow());
}

}  // namespace tk::qt
