// The Stopwatch window on the real Qt loop across a suspended computer, with the loop's clock
// driven by the test: a jump of the clock while the loop waits is what a resume looks like. The
// reading is right on the next wake, a day's catch-up reaches the screen in a few paints, an
// alarm passed while asleep blinks afterwards, and a clock that never jumps ticks as always.

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QTest>
#include <QWidget>
#include <chrono>
#include <set>
#include <vector>

#include "clock/frm_clock.h"
#include "toolkit/qt/form_window.h"
#include "toolkit/qt/qt_platform.h"
#include "toolkit/qt/window_access.h"
#include "toolkit/testing/driven_clock.h"
#include "toolkit/testing/temp_folder.h"
#include "toolkit/testing/test_platform.h"

namespace {

using namespace std::chrono_literals;

QApplication& application() {
  static int argc = 1;
  static char name[] = "clock_resume_test";
  static char* argv[] = {name, nullptr};
  // Never destroyed: torn down among the exit handlers it would outlive Qt's own statics.
  static auto* app = new QApplication(argc, argv);
  return *app;
}

// What the window looked like each time its client area (the dial, the alarm picture) was
// painted.
struct Paint {
  int readingSeconds;
  bool alarmPictureShown;
};

class ResumeTest : public ::testing::Test, public QObject {
 protected:
  ResumeTest() {
    auto tick = frmClock.Timer1.onTimer;
    frmClock.Timer1.onTimer = [this, tick] {
      if (ticks == 0) firstDue = loop().now();
      tick();
      ++ticks;
    };
    frmClock.show();
    client_ = tk::qt::windowOf(frmClock)->client();
    digital_ = tk::qt::widgetOf(frmClock.frmDigital);
    client_->installEventFilter(this);
    digital_->installEventFilter(this);
  }
  ~ResumeTest() override {
    client_->removeEventFilter(this);
    digital_->removeEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == client_ && event->type() == QEvent::Paint) {
      paints.push_back({readingSeconds(), frmClock.imgAlarm.visible()});
    }
    if (watched == digital_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
      ++readoutShownOrHidden;
    }
    return false;
  }

  QWidget* digital() { return digital_; }
  tk::EventLoop& loop() { return qt.platform().loop; }
  // The flash timer has no interval until an alarm gives it one.
  bool blinking() const {
    return frmClock.TimerAlarmFlash.enabled() && frmClock.TimerAlarmFlash.interval() > 0;
  }
  int readingSeconds() const { return frmClock.minutes() * 60 + frmClock.seconds(); }

  // Runs the Qt loop until the watch has ticked `count` times in all.
  bool waitForTicks(int count, int timeoutMs = 5000) {
    return QTest::qWaitFor([&] { return ticks >= count; }, timeoutMs);
  }
  // Runs the Qt loop until the client area has been painted showing at least `seconds`.
  bool waitForPaintOf(int seconds) {
    return QTest::qWaitFor(
        [&] { return !paints.empty() && paints.back().readingSeconds >= seconds; }, 5000);
  }
  // Seconds the watch has counted by the loop's clock, the time asleep included: one tick at
  // once, then one each second.
  int secondsByTheClock() { return static_cast<int>((loop().now() - firstDue) / 1000) + 1; }

  // Puts the computer to sleep for `asleep` just after a tick, while the loop waits for the next.
  void sleepAfterATick(std::chrono::milliseconds asleep) {
    const int before = ticks;
    ASSERT_TRUE(waitForTicks(before + 1));
    clock.jump(asleep);
    qt.loop().clockJumped();
  }

  void setAlarm(const char* minutes, const char* seconds) {
    frmClock.lstAlarm.choose(0);
    frmClock.txtMinutes.typeText(minutes);
    frmClock.txtSeconds.typeText(seconds);
  }

  QApplication& app = application();
  tk::testing::TempFolder folder;  // the window makes its save file in the current folder
  tk::testing::ScriptedRegistry registry;
  tk::testing::DrivenClock clock;
  tk::qt::QtPlatform qt{registry, tk::AppInfo{"Bransk - Quorvel - Clock", 1, 2, 0}, clock};
  clock_window::FrmClock frmClock{qt.platform()};
  int ticks = 0;
  tk::Milliseconds firstDue = 0;
  std::vector<Paint> paints;
  int readoutShownOrHidden = 0;
  QWidget* client_ = nullptr;
  QWidget* digital_ = nullptr;
};

TEST_F(ResumeTest, TenMinutesAsleepShowTheRightReadingOnTheNextWake) {
  ASSERT_TRUE(waitForTicks(2));
  sleepAfterATick(10min);
  const int afterJump = ticks;
  // The loop wakes at once, its deadline being past, and fires every tick the sleep held back.
  ASSERT_TRUE(waitForTicks(afterJump + 1, 3000));
  EXPECT_GE(ticks, afterJump + 600);
  EXPECT_NEAR(readingSeconds(), secondsByTheClock(), 1);
  ASSERT_TRUE(waitForPaintOf(afterJump + 601));
  EXPECT_EQ(frmClock.lblDigitalClockMinutes.caption(), std::to_string(frmClock.minutes()));
}

TEST_F(ResumeTest, ADayAsleepIsCaughtUpTickByTickInAFewPaints) {
  ASSERT_TRUE(waitForTicks(2));
  sleepAfterATick(24h);
  const int afterJump = ticks;
  const std::size_t paintsBefore = paints.size();
  ASSERT_TRUE(waitForTicks(afterJump + 86'401, 20000));
  EXPECT_NEAR(readingSeconds(), secondsByTheClock(), 1);
  EXPECT_EQ(frmClock.minutes(), 1440) << "every tick ran: a day is 1440 minutes";
  ASSERT_TRUE(waitForPaintOf(afterJump + 86'401));
  // The readings the screen showed meanwhile: the one before the sleep (its paint may still be
  // pending when the clock jumps), the caught-up one and the tick after it.
  std::set<int> shown;
  for (std::size_t i = paintsBefore; i < paints.size(); ++i) shown.insert(paints[i].readingSeconds);
  EXPECT_LE(shown.size(), 3u);
}

TEST_F(ResumeTest, AnAlarmPassedWhileAsleepBlinksOnceTheReadingIsCaughtUp) {
  setAlarm("5", "0");
  ASSERT_TRUE(waitForTicks(1));
  sleepAfterATick(10min);
  const int afterJump = ticks;
  ASSERT_TRUE(waitForTicks(afterJump + 601, 3000));
  ASSERT_GT(readingSeconds(), 300) << "the alarm time lies inside the catch-up";
  const std::size_t caughtUp = paints.size();
  const int togglesBefore = readoutShownOrHidden;
  EXPECT_TRUE(blinking());
  // Blinking until the third tick after, about three seconds.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !blinking(); }, 6000));
  EXPECT_GE(readoutShownOrHidden - togglesBefore, 15) << "the readout blinked on screen";
  int pictureShown = 0;
  for (std::size_t i = caughtUp; i < paints.size(); ++i)
    pictureShown += paints[i].alarmPictureShown;
  EXPECT_GE(pictureShown, 5) << "the alarm picture was painted while it blinked";
  EXPECT_FALSE(frmClock.imgAlarm.visible());
  EXPECT_TRUE(digital()->isVisible());
}

TEST_F(ResumeTest, AClockThatNeverJumpsTicksAndBlinksAsAlways) {
  setAlarm("0", "2");
  ASSERT_TRUE(QTest::qWaitFor([&] { return blinking(); }, 5000));
  EXPECT_EQ(readingSeconds(), 2) << "the blinking starts on the alarm tick";
  EXPECT_EQ(frmClock.flashCount(), 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !blinking(); }, 6000));
  EXPECT_EQ(readingSeconds(), 5) << "and ends on the third tick after";
  EXPECT_GE(readoutShownOrHidden, 20);
  // Every reading was painted: nothing held the screen.
  ASSERT_TRUE(waitForPaintOf(5));
  std::vector<bool> painted(6, false);
  for (const Paint& p : paints) {
    if (p.readingSeconds >= 0 && p.readingSeconds <= 5) painted[p.readingSeconds] = true;
  }
  for (int s = 1; s <= 5; ++s) EXPECT_TRUE(painted[s]) << s;
}

}  // namespace
