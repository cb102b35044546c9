// How soon after a resume the Stopwatch window shows the right reading. The real FrmClock runs on
// the real Qt loop and window (offscreen); the loop's clock is driven, and a resume is a jump of
// it by the time asleep, made at a random moment between two ticks, as a real resume would come.
// For each sleep length the table gives, over RUNS resumes: the time from the jump to the start
// of the first paint of the dial showing the right reading (the reading the loop's clock calls
// for, give or take the tick under way), and how long the catch-up kept the loop busy, which is
// how long the window could not answer. The last row is a day's catch-up with the screen not
// held, for comparison.
//
// usage: resume_catch_up [RUNS=10]

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "clock/frm_clock.h"
#include "toolkit/qt/form_window.h"
#include "toolkit/qt/qt_platform.h"
#include "toolkit/qt/window_access.h"
#include "toolkit/testing/driven_clock.h"
#include "toolkit/testing/temp_folder.h"
#include "toolkit/testing/test_platform.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double msBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

struct Resume {
  double toRightReadingPainted;  // ms
  double catchUpBusy;            // ms
  int paints;                    // of the dial, from the jump to the right reading
};

class Bench : public QObject {
 public:
  Bench() {
    frmClock_.Timer1.onTimer = [this, tick = frmClock_.Timer1.onTimer] {
      if (ticks_ == 0) firstDue_ = loop().now();
      const auto start = Clock::now();
      tick();
      ++ticks_;
      if (measuring_) {
        if (burstStart_ == Clock::time_point{}) burstStart_ = start;
        burstEnd_ = Clock::now();
      }
    };
    frmClock_.show();
    client_ = tk::qt::windowOf(frmClock_)->client();
    client_->installEventFilter(this);
  }
  ~Bench() override { client_->removeEventFilter(this); }

  void holdScreen(bool hold) { loop().setCatchUpListener(hold ? &qt_.windows() : nullptr); }

  Resume resumeAfter(std::chrono::milliseconds asleep, std::mt19937& random) {
    // Between two ticks, at a random moment.
    waitFor([&, ticks = ticks_] { return ticks_ > ticks; });
    const auto phase = std::uniform_int_distribution<int>(0, 980)(random);
    const auto until = Clock::now() + std::chrono::milliseconds(phase);
    waitFor([&] { return Clock::now() >= until; });

    measuring_ = true;
    burstStart_ = burstEnd_ = {};
    paints_ = 0;
    rightPaintedAt_ = {};
    jumpedAt_ = Clock::now();
    clock_.jump(asleep);
    qt_.loop().clockJumped();  // what the kernel's timer does at a resume
    waitFor([&] { return rightPaintedAt_ != Clock::time_point{}; });
    measuring_ = false;
    return {msBetween(jumpedAt_, rightPaintedAt_), msBetween(burstStart_, burstEnd_), paints_};
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (measuring_ && event->type() == QEvent::Paint) {
      ++paints_;
      if (rightPaintedAt_ == Clock::time_point{} && readingIsRight())
        rightPaintedAt_ = Clock::now();
    }
    return false;
  }

 private:
  tk::EventLoop& loop() { return qt_.platform().loop; }
  bool readingIsRight() {
    const int shown = frmClock_.minutes() * 60 + frmClock_.seconds();
    const auto byTheClock = static_cast<int>((loop().now() - firstDue_) / 1000) + 1;
    return std::abs(shown - byTheClock) <= 1;
  }
  template <typename Done>
  void waitFor(Done done) {
    while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  }

  tk::testing::TempFolder folder_;
  tk::testing::ScriptedRegistry registry_;
  tk::testing::DrivenClock clock_;
  tk::qt::QtPlatform qt_{registry_, tk::AppInfo{"Stopwatch resume", 1, 2, 0}, clock_};
  clock_window::FrmClock frmClock_{qt_.platform()};
  QWidget* client_ = nullptr;
  int ticks_ = 0;
  tk::Milliseconds firstDue_ = 0;
  bool measuring_ = false;
  int paints_ = 0;
  Clock::time_point jumpedAt_, burstStart_, burstEnd_, rightPaintedAt_;
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void row(const char* name, const std::vector<Resume>& runs) {
  std::vector<double> right, busy;
  int maxPaints = 0;
  for (const Resume& r : runs) {
    right.push_back(r.toRightReadingPainted);
    busy.push_back(r.catchUpBusy);
    maxPaints = std::max(maxPaints, r.paints);
  }
  std::printf("  %-22s %10.1f %10.1f %12.2f %12.2f %8d\n", name, median(right),
              *std::max_element(right.begin(), right.end()), median(busy),
              *std::max_element(busy.begin(), busy.end()), maxPaints);
  std::printf(
      "RESULT resume_catch_up asleep=\"%s\" runs=%zu right_painted_median_ms=%.1f "
      "right_painted_max_ms=%.1f busy_median_ms=%.2f busy_max_ms=%.2f max_paints=%d\n",
      name, runs.size(), median(right), *std::max_element(right.begin(), right.end()), median(busy),
      *std::max_element(busy.begin(), busy.end()), maxPaints);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  std::mt19937 random(13);

  Bench bench;
  std::printf("Resume to the right reading on screen, %d resumes each (%s)\n", runs,
              qgetenv("QT_QPA_PLATFORM").constData());
  std::printf("  %-22s %10s %10s %12s %12s %8s\n", "asleep", "median ms", "max ms", "busy med ms",
              "busy max ms", "paints");
  struct Length {
    const char* name;
    std::chrono::milliseconds asleep;
    bool held;
  };
  for (const Length& length :
       {Length{"1 minute", 1min, true}, Length{"1 hour", 1h, true}, Length{"24 hours", 24h, true},
        Length{"24 hours, screen not held", 24h, false}}) {
    bench.holdScreen(length.held);
    std::vector<Resume> results;
    for (int i = 0; i < runs; ++i) results.push_back(bench.resumeAfter(length.asleep, random));
    row(length.name, results);
  }
  return 0;
}
