// The in-process cost of one stopwatch tick with its display update: the real main window on
// virtual time, each iteration moving time on by exactly one tick (1000 ms). Headless, then with
// the Qt backend showing the window on the offscreen platform: the model's changes passed to the
// widgets only, and passed on and painted.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "clock/frm_clock.h"
#include "toolkit/qt/qt_window_system.h"
#include "toolkit/testing/temp_folder.h"
#include "toolkit/testing/test_platform.h"

namespace {

// The main window, shown and past its start-up tick, counting its ticks.
struct RunningClock {
  RunningClock(tk::testing::TestPlatform& tp, tk::Platform& platform)
      : clock(std::make_unique<clock_window::FrmClock>(platform)) {
    auto tick = clock->Timer1.onTimer;
    clock->Timer1.onTimer = [this, tick] {
      tick();
      ++ticks;
    };
    clock->show();
    tp.loop.advance(1);  // the start-up tick; from here on one tick a second
  }

  // Keeps the reading far from the 16-bit end, where the watch would stop itself.
  void rewindIfNearTheEnd(benchmark::State& state) {
    if (clock->minutes() < 30000) return;
    state.PauseTiming();
    clock->presetReading(0, 0);
    state.ResumeTiming();
  }

  std::unique_ptr<clock_window::FrmClock> clock;
  std::int64_t ticks = 0;
};

void checkOneTickEach(benchmark::State& state, const RunningClock& running) {
  const std::int64_t expected = static_cast<std::int64_t>(state.iterations()) + 1;
  if (running.ticks != expected) state.SkipWithError("not exactly one tick per iteration");
}

void BM_TickHeadless(benchmark::State& state) {
  tk::testing::TempFolder folder;
  tk::testing::TestPlatform tp;
  RunningClock running(tp, tp.platform);
  for (auto _ : state) {
    tp.loop.advance(1000);
    running.rewindIfNearTheEnd(state);
  }
  checkOneTickEach(state, running);
}
BENCHMARK(BM_TickHeadless);

// The test platform with its windows shown by the Qt backend; time stays virtual.
struct QtShownPlatform {
  tk::testing::TestPlatform tp;
  tk::qt::QtWindowSystem windows;
  tk::Platform platform{tp.loop,  windows,      tp.messages, tp.colours,
                        tp.files, tp.processes, tp.registry, tp.platform.app};
};

void tickWithQtBackend(benchmark::State& state, bool paint) {
  tk::testing::TempFolder folder;
  QtShownPlatform shown;
  tk::testing::TestPlatform& tp = shown.tp;
  RunningClock running(tp, shown.platform);
  QCoreApplication::processEvents();  // the window's first layout and paint
  for (auto _ : state) {
    tp.loop.advance(1000);
    if (paint) QCoreApplication::processEvents();  // the repaints the tick asked for
    running.rewindIfNearTheEnd(state);
  }
  checkOneTickEach(state, running);
  running.clock->unload();  // the window goes while the form it shows is still whole
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_TickQtWidgetsUpdated(benchmark::State& state) { tickWithQtBackend(state, false); }
BENCHMARK(BM_TickQtWidgetsUpdated);

void BM_TickQtPainted(benchmark::State& state) { tickWithQtBackend(state, true); }
BENCHMARK(BM_TickQtPainted);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
