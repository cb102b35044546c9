#pragma once
// The toolkit's event loop on Windows' message loop. One waitable timer is armed at the absolute
// instant the earliest timer is due; a thread of its own waits on it and posts one message to a
// hidden window of the UI thread, which fires every timer due by then in deadline order, each
// seeing the instant it was due as "now". Posted messages are dispatched by every message loop
// of the thread, the ones MessageBoxW and ChooseColorW run included, so the timers keep running
// while a modal dialog is open. The UI thread wakes once a tick and never polls.
//
// Time is read from a clock that counts a suspended computer's sleep. The timer is armed on the
// system time, which goes on through sleep too, so a deadline passed while asleep wakes the loop
// at once on resume; the power broadcast's resume message is a second hint, and a changed system
// time re-arms the timer.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

#include "toolkit/elapsed_clock.h"
#include "toolkit/event_loop.h"

namespace tk::win32 {

class Win32EventLoop : public EventLoop {
 public:
  // Sees each message before it is translated and dispatched; true when it has handled it, as
  // IsDialogMessageW and TranslateAcceleratorW do.
  using MessageFilter = std::function<bool(MSG&)>;

  explicit Win32EventLoop(const ElapsedClock& clock = suspendAwareClock());
  ~Win32EventLoop() override;
  Win32EventLoop(const Win32EventLoop&) = delete;
  Win32EventLoop& operator=(const Win32EventLoop&) = delete;

  void setMessageFilter(MessageFilter filter) { filter_ = std::move(filter); }

  // Runs the thread's message loop until WM_QUIT; returns the quit message's exit code.
  int run();

  // How often the UI thread has woken for the timers, for the tests and the benchmarks.
  std::uint64_t wakeUps() const { return wakeUps_; }

 protected:
  Milliseconds clockNow() const override;  // milliseconds since the loop was made
  void deadlinesChanged() override;

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void wake();
  void postWake();  // from either thread
  void armTimer();
  void waitForTimer();  // the waiting thread

  const ElapsedClock& clock_;
  std::chrono::nanoseconds start_;
  HWND window_ = nullptr;  // hidden, top-level so that it receives the power and time broadcasts
  HANDLE timer_ = nullptr;
  HANDLE stop_ = nullptr;
  bool timerArmed_ = false;
  Milliseconds armedDeadline_ = 0;
  std::atomic<bool> wakePosted_{false};
  std::uint64_t wakeUps_ = 0;
  MessageFilter filter_;
  std::thread waiter_;
};

}  // namespace tk::win32
