// The Windows event loop and dialogs under Wine: ticks on time and in order, one wake-up a tick,
// the timers running on while a message box or the colour dialog is open, the catch-up after a
// resume, and a run-time error raised while a dialog is open.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "toolkit/testing/driven_clock.h"
#include "toolkit/testing/test_platform.h"
#include "toolkit/toolkit.h"
#include "toolkit/win32/win32_dialogs.h"
#include "toolkit/win32/win32_event_loop.h"
#include "toolkit/windows_services.h"

namespace {

class TimerForm : public tk::Form {
 public:
  explicit TimerForm(tk::Platform& platform) : tk::Form(platform, "frmTimers", "", 100, 100) {}
  tk::Timer tmrFirst{*this, "tmrFirst", 0};
  tk::Timer tmrSecond{*this, "tmrSecond", 0};
  tk::Timer tmrThird{*this, "tmrThird", 0};
};

class CountingListener : public tk::CatchUpListener {
 public:
  void catchUpBegins() override { ++began; }
  void catchUpEnds() override { ++ended; }
  int began = 0;
  int ended = 0;
};

// The first window of this thread whose class is `className` ("#32770" for dialogs).
HWND threadWindowOfClass(const wchar_t* className) {
  struct Search {
    const wchar_t* className;
    HWND found;
  } search{className, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (std::wstring(name) != s->className) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring textOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

class Win32LoopTest : public ::testing::Test {
 protected:
  // Runs the thread's messages until `done` holds; false after `timeoutMs`.
  static bool runUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    return true;
  }

  tk::testing::DrivenClock clock;
  tk::win32::Win32EventLoop loop{clock};
  tk::testing::TestPlatform fakes;
  tk::win32::Win32MessageBox messages{"Demo App"};
  tk::win32::Win32ColourDialog colours;
  tk::Platform platform{loop,        fakes.windows,   messages,       colours,
                        fakes.files, fakes.processes, fakes.registry, tk::AppInfo{"Demo App"}};
  TimerForm timers{platform};
};

TEST_F(Win32LoopTest, HandlersSeeTheInstantTheirTickWasDueAndTheLoopWakesOnceATick) {
  std::vector<tk::Milliseconds> seen;
  timers.tmrFirst.onTimer = [&] { seen.push_back(loop.now()); };
  const tk::Milliseconds start = loop.now();
  const std::uint64_t wakeUpsBefore = loop.wakeUps();
  timers.tmrFirst.setInterval(100);
  ASSERT_TRUE(runUntil([&] { return seen.size() >= 5; }));
  timers.tmrFirst.setEnabled(false);
  // Armed one interval after "now"; the clock may move on a little before it is armed.
  EXPECT_GE(seen[0] - start, 100);
  EXPECT_LE(seen[0] - start, 150);
  for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_EQ(seen[i] - seen[i - 1], 100) << i;
  // A wake-up that came a little early would find nothing due and need a second one.
  EXPECT_LE(loop.wakeUps() - wakeUpsBefore, seen.size() + 1);
}

TEST_F(Win32LoopTest, TicksMissedWhileAHandlerBlockedAllFireInOrder) {
  std::vector<tk::Milliseconds> seen;
  timers.tmrFirst.onTimer = [&] {
    seen.push_back(loop.now());
    if (seen.size() == 1) std::this_thread::sleep_for(std::chrono::milliseconds(350));
  };
  timers.tmrFirst.setInterval(100);
  ASSERT_TRUE(runUntil([&] { return seen.size() >= 5; }));
  timers.tmrFirst.setEnabled(false);
  for (std::size_t i = 1; i < 5; ++i) EXPECT_EQ(seen[i] - seen[i - 1], 100) << i;
}

// The message box opens from a periodic timer's own handler, which leaves the loop's next wake-up
// to be armed from inside the box's own message loop.
TEST_F(Win32LoopTest, TimersKeepFiringWhileTheMessageBoxIsOpen) {
  int ticksDuringBox = 0;
  bool open = false, done = false;
  std::wstring title, text;
  timers.tmrFirst.onTimer = [&] {
    timers.tmrFirst.setEnabled(false);
    open = true;
    platform.messages.show("Saved.");
    open = false;
    done = true;
  };
  timers.tmrSecond.onTimer = [&] {
    if (!open || ++ticksDuringBox < 3) return;
    const HWND box = threadWindowOfClass(L"#32770");
    ASSERT_NE(box, nullptr);
    title = textOf(box);
    text = textOf(GetDlgItem(box, 0xFFFF));  // the box's text
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  };
  timers.tmrFirst.setInterval(10);
  timers.tmrSecond.setInterval(100);
  ASSERT_TRUE(runUntil([&] { return done; }));
  timers.tmrSecond.setEnabled(false);
  EXPECT_GE(ticksDuringBox, 3);
  EXPECT_EQ(title, L"Demo App");
  EXPECT_EQ(text, L"Saved.");
}

// The full dialog's red, green and blue fields, as the colour dialog's template numbers them.
constexpr int redField = 706, greenField = 707, blueField = 708;

TEST_F(Win32LoopTest, ColourDialogReturnsTheChosenColourOrNothingOnCancelWhileTimersRun) {
  struct Answer {
    bool ok;
    tk::Colour expected;  // unused for Cancel
  };
  for (const Answer answer : {Answer{true, 0x332211}, Answer{false, 0}}) {
    int ticksDuringDialog = 0;
    bool open = false;
    std::optional<tk::Colour> chosen{12345};
    timers.tmrSecond.onTimer = [&] {
      if (!open || ++ticksDuringDialog < 3) return;
      const HWND dialog = threadWindowOfClass(L"#32770");
      ASSERT_NE(dialog, nullptr);
      if (answer.ok) {
        SetDlgItemInt(dialog, redField, 0x11, FALSE);
        SetDlgItemInt(dialog, greenField, 0x22, FALSE);
        SetDlgItemInt(dialog, blueField, 0x33, FALSE);
      }
      PostMessageW(dialog, WM_COMMAND, answer.ok ? IDOK : IDCANCEL, 0);
    };
    timers.tmrSecond.setInterval(100);
    timers.tmrSecond.setEnabled(true);
    open = true;
    chosen = platform.colours.choose(0x0000FF);
    open = false;
    timers.tmrSecond.setEnabled(false);
    EXPECT_GE(ticksDuringDialog, 3);
    if (answer.ok) {
      EXPECT_EQ(chosen, std::optional<tk::Colour>(answer.expected));
    } else {
      EXPECT_EQ(chosen, std::nullopt);
    }
  }
}

// A resume wakes the loop at once: the overdue ticks run one after another, announced as one
// catch-up.
TEST_F(Win32LoopTest, TheResumeMessageCatchesUpOnEveryTickOfTheSleep) {
  CountingListener listener;
  loop.setCatchUpListener(&listener);
  int fired = 0;
  timers.tmrFirst.onTimer = [&] { ++fired; };
  timers.tmrFirst.setInterval(100);
  ASSERT_TRUE(runUntil([&] { return fired >= 1; }));
  const int before = fired;
  clock.jump(std::chrono::hours(1));
  const HWND loopWindow = threadWindowOfClass(L"StopwatchEventLoop");
  ASSERT_NE(loopWindow, nullptr);
  SendMessageW(loopWindow, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  // Sent, so handled before it returns: the whole hour's ticks have run.
  EXPECT_GE(fired - before, 36000);
  EXPECT_EQ(listener.began, 1);
  EXPECT_EQ(listener.ended, 1);
  timers.tmrFirst.setEnabled(false);
  loop.setCatchUpListener(nullptr);
}

// Timer handlers run while a dialog is open; one that raises a run-time error ends the process
// with 1 after showing the error, which closes the dialogs.
TEST_F(Win32LoopTest, RunTimeErrorInsideADialogShowsItsMessageAndEndsWithOne) {
  const auto raiseInsideTheColourDialog = [&] {
    tk::windows::WindowsProcesses processes;
    tk::Platform ending{loop,        fakes.windows, messages,       colours,
                        fakes.files, processes,     fakes.registry, tk::AppInfo{"Demo App"}};
    TimerForm form{ending};
    form.tmrFirst.onTimer = [&] {
      form.tmrFirst.setEnabled(false);
      ending.colours.choose(0);
    };
    form.tmrSecond.onTimer = [&] {
      form.tmrSecond.setEnabled(false);
      throw tk::RuntimeError::overflow();
    };
    // Inside the error's box: tell what it says, and close it.
    form.tmrThird.onTimer = [&] {
      const HWND box = threadWindowOfClass(L"#32770");
      if (box == nullptr ||
          textOf(GetDlgItem(box, 0xFFFF)).find(L"Overflow") == std::wstring::npos) {
        return;
      }
      fprintf(stderr, "box: %ls\n", textOf(GetDlgItem(box, 0xFFFF)).c_str());
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    };
    form.tmrFirst.setInterval(10);
    form.tmrSecond.setInterval(200);
    form.tmrThird.setInterval(50);
    runUntil([] { return false; }, 20000);
  };
  EXPECT_EXIT(raiseInsideTheColourDialog(), ::testing::ExitedWithCode(1),
              "box: Run-time error '6':");
}

}  // namespace
