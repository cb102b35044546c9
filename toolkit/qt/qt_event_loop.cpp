#include "toolkit/qt/qt_event_loop.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <system_error>

namespace tk::qt {

namespace {

using namespace std::chrono_literals;

itimerspec absoluteInstant(std::chrono::nanoseconds at) {
  itimerspec setting{};
  const auto seconds = std::chrono::floor<std::chrono::seconds>(at);
  setting.it_value.tv_sec = static_cast<time_t>(seconds.count());
  setting.it_value.tv_nsec = static_cast<long>((at - seconds).count());
  return setting;
}

bool sameInstant(const itimerspec& a, const itimerspec& b) {
  return a.it_value.tv_sec == b.it_value.tv_sec && a.it_value.tv_nsec == b.it_value.tv_nsec;
}

}  // namespace

QtEventLoop::QtEventLoop(const ElapsedClock& clock)
    : clock_(clock),
      start_(clock.now()),
      // The same clock suspendAwareClock() reads, so its instants need no conversion.
      timerFd_(timerfd_create(CLOCK_BOOTTIME, TFD_NONBLOCK | TFD_CLOEXEC)) {
  if (timerFd_ < 0) throw std::system_error(errno, std::generic_category(), "timerfd_create");
  notifier_ = std::make_unique<QSocketNotifier>(timerFd_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { wake(); });
}

QtEventLoop::~QtEventLoop() {
  notifier_.reset();  // Qt's loop stops watching before the timer goes
  close(timerFd_);
}

Milliseconds QtEventLoop::clockNow() const {
  const auto elapsed = clock_.now() - start_;
  return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

void QtEventLoop::deadlinesChanged() {
  if (!hasDeadline()) {
    arm(itimerspec{});  // all zero: disarmed
    armedOverdue_ = false;
    return;
  }
  const auto due = start_ + std::chrono::milliseconds(nextDeadline());
  const bool overdue = due <= clock_.now();
  // A timer armed for an instant already past wakes the loop at once, whichever instant it was.
  // A catch-up re-arms thousands of overdue ticks, and arming each again would be a system call
  // costing more than the tick itself.
  if (overdue && armedOverdue_) return;
  // A test's clock may have jumped further than the system has been up; any instant already
  // past makes the timer expire at once, and zero would disarm it.
  arm(absoluteInstant(std::max(1ns, due - clock_.aheadOfSystem())));
  armedOverdue_ = overdue;
}

void QtEventLoop::arm(const itimerspec& setting) {
  if (armed_ && sameInstant(*armed_, setting)) return;  // the wake-up in hand is the right one
  if (timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &setting, nullptr) != 0) {
    throw std::system_error(errno, std::generic_category(), "timerfd_settime");
  }
  armed_ = setting;
}

void QtEventLoop::wake() {
  // Reading takes the expiry off, so that Qt's loop does not report it again.
  std::uint64_t expiries = 0;
  if (read(timerFd_, &expiries, sizeof expiries) < 0 && errno != EAGAIN) {
    throw std::system_error(errno, std::generic_category(), "read timerfd");
  }
  armed_.reset();  // spent: the next deadline is armed whatever it is
  armedOverdue_ = false;
  // The kernel wakes us at or after the deadline, never before it, so the clock has reached it.
  runDue(clockNow());
}

}  // namespace tk::qt
