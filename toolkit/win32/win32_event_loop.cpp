#include "toolkit/win32/win32_event_loop.h"

#include <algorithm>
#include <stdexcept>

namespace tk::win32 {

namespace {

constexpr wchar_t loopClassName[] = L"StopwatchEventLoop";
constexpr UINT wakeMessage = WM_APP + 1;
// Windows 10 1803's flag, which Debian's MinGW headers do not know yet.
constexpr DWORD createHighResolutionTimer = 0x00000002;

HANDLE createWaitableTimer() {
  // The high-resolution timer (Windows 10 1803 and later, and Wine 8) ends a wait within a
  // fraction of a millisecond; the plain one only at the next tick of the system's timer, up to
  // 15.6 ms late.
  HANDLE timer =
      CreateWaitableTimerExW(nullptr, nullptr, createHighResolutionTimer, TIMER_ALL_ACCESS);
  if (timer == nullptr) timer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
  if (timer == nullptr) throw std::runtime_error("no waitable timer");
  return timer;
}

LARGE_INTEGER systemTimeNow() {
  FILETIME now{};
  GetSystemTimePreciseAsFileTime(&now);
  LARGE_INTEGER value{};
  value.LowPart = now.dwLowDateTime;
  value.HighPart = static_cast<LONG>(now.dwHighDateTime);
  return value;
}

}  // namespace

Win32EventLoop::Win32EventLoop(const ElapsedClock& clock)
    : clock_(clock), start_(clock.now()), timer_(createWaitableTimer()) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &Win32EventLoop::windowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = loopClassName;
  RegisterClassExW(&windowClass);  // fails harmlessly when a second loop registers it again
  window_ = CreateWindowExW(WS_EX_TOOLWINDOW, loopClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, GetModuleHandleW(nullptr), this);
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (window_ == nullptr || stop_ == nullptr) throw std::runtime_error("no event loop window");
  waiter_ = std::thread([this] { waitForTimer(); });
}

Win32EventLoop::~Win32EventLoop() {
  SetEvent(stop_);
  waiter_.join();
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
  CloseHandle(stop_);
  CloseHandle(timer_);
}

int Win32EventLoop::run() {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (filter_ && filter_(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

Milliseconds Win32EventLoop::clockNow() const {
  const auto elapsed = clock_.now() - start_;
  return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

void Win32EventLoop::deadlinesChanged() {
  if (!hasDeadline()) {
    if (timerArmed_) CancelWaitableTimer(timer_);
    timerArmed_ = false;
    return;
  }
  // Overdue, as while catching up: no timer, whose arming costs a call into the system for each
  // of thousands of ticks, but one message that fires them all.
  if (nextDeadline() <= clockNow()) {
    postWake();
    return;
  }
  // Armed once for each deadline: the loop announces the same one several times a tick.
  if (timerArmed_ && armedDeadline_ == nextDeadline()) return;
  armTimer();
}

void Win32EventLoop::postWake() {
  // One message waiting is enough: it fires everything due when it is handled.
  if (!wakePosted_.exchange(true)) PostMessageW(window_, wakeMessage, 0, 0);
}

void Win32EventLoop::armTimer() {
  // The waitable timer takes an absolute instant only on the system time, so the deadline on the
  // loop's clock is carried over to it; a relative wait would not count sleep on Windows 8 and
  // later. A deadline already past makes the timer fire at once.
  const auto due = start_ + std::chrono::milliseconds(nextDeadline());
  const auto untilDue = std::max(std::chrono::nanoseconds(0), due - clock_.now());
  LARGE_INTEGER at = systemTimeNow();
  at.QuadPart += untilDue.count() / 100;
  if (!SetWaitableTimer(timer_, &at, 0, nullptr, nullptr, FALSE)) {
    // Never seen; a relative wait then, which a resume message catches up on.
    at.QuadPart = -(untilDue.count() / 100);
    SetWaitableTimer(timer_, &at, 0, nullptr, nullptr, FALSE);
  }
  timerArmed_ = true;
  armedDeadline_ = nextDeadline();
}

void Win32EventLoop::waitForTimer() {
  const HANDLE handles[] = {stop_, timer_};
  while (WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) postWake();
}

void Win32EventLoop::wake() {
  wakePosted_ = false;
  ++wakeUps_;
  timerArmed_ = false;  // it fired, or will be armed again for the same deadline
  runDue(clockNow());
}

LRESULT CALLBACK Win32EventLoop::windowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* loop = reinterpret_cast<Win32EventLoop*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (loop != nullptr) {
    switch (message) {
      case wakeMessage:
        loop->wake();
        return 0;
      case WM_POWERBROADCAST:
        // Every tick of the sleep is due now; the timer may take a moment longer to notice.
        if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) loop->wake();
        return TRUE;
      case WM_TIMECHANGE:
        // The timer's instant was on the old system time.
        if (loop->hasDeadline()) loop->armTimer();
        return 0;
      default:
        break;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tk::win32
