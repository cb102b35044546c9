// How well the stopwatch keeps time on the real Qt event loop. The time of every tick is taken
// on the steady clock and compared with the ideal grid start + k x 1000 ms, where start is the
// instant the first tick after start-up was due; the table gives the median, 99th percentile
// and largest lateness and the drift of a least-squares line through them. --busy keeps the other
// core spinning meanwhile. --stop-at S --stop-for T has a watchdog child stop this process S
// seconds in and continue it T seconds later, and reports how soon after the continue the reading
// is right again.
//
// usage: timing_accuracy [SECONDS] [--busy] [--stop-at S] [--stop-for T] [--log FILE]

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "clock/frm_clock.h"
#include "spinner.h"
#include "toolkit/qt/qt_event_loop.h"
#include "toolkit/testing/temp_folder.h"
#include "toolkit/testing/test_platform.h"

namespace {

using Nanoseconds = std::int64_t;
constexpr Nanoseconds kSecond = 1'000'000'000;
constexpr double kMillisecond = 1e6;

Nanoseconds steadyNow() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Read inside a signal handler and by the watchdog, which cannot use std::chrono safely;
// on Linux steady_clock is this very clock.
Nanoseconds monotonicNow() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * kSecond + ts.tv_nsec;
}

void sleepUntil(Nanoseconds when) {
  const timespec ts{static_cast<time_t>(when / kSecond), static_cast<long>(when % kSecond)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) != 0) {
  }
}

struct Options {
  int seconds = 120;
  bool busy = false;
  double stopAt = 0;  // 0: the process is never stopped
  double stopFor = 5;
  std::string logPath;  // every tick's lateness, one a line, when given
};

[[noreturn]] void usage(const char* message) {
  std::fprintf(stderr,
               "timing_accuracy: %s\n"
               "usage: timing_accuracy [SECONDS=120] [--busy] [--stop-at S] [--stop-for T=5] "
               "[--log FILE]\n",
               message);
  std::exit(2);
}

double positiveNumber(const char* text) {
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(value > 0)) usage("expected a positive number");
  return value;
}

Options parseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--busy") {
      options.busy = true;
    } else if (arg == "--stop-at" && hasValue) {
      options.stopAt = positiveNumber(argv[++i]);
    } else if (arg == "--stop-for" && hasValue) {
      options.stopFor = positiveNumber(argv[++i]);
    } else if (arg == "--log" && hasValue) {
      options.logPath = std::filesystem::absolute(argv[++i]).string();  // the run changes folder
    } else if (!arg.empty() && arg[0] != '-') {
      options.seconds = static_cast<int>(positiveNumber(arg.c_str()));
    } else {
      usage(("unknown option " + arg).c_str());
    }
  }
  if (options.stopAt > 0 && options.stopAt + options.stopFor + 2 > options.seconds) {
    usage("the run must last at least 2 s beyond the stop and its continue");
  }
  return options;
}

// Stops this process `stopAt` seconds after the instant begin() sends it and continues it
// `stopFor` seconds later. A stopped process cannot continue itself, hence a child; it is made
// before Qt starts any thread and only sleeps and signals.
class Watchdog {
 public:
  Watchdog(double stopAt, double stopFor) {
    int fds[2];
    if (pipe(fds) != 0) std::exit(3);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[1]);
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      Nanoseconds start = 0;
      if (read(fds[0], &start, sizeof start) != sizeof start) _exit(1);
      sleepUntil(start + static_cast<Nanoseconds>(stopAt * kSecond));
      kill(parent, SIGSTOP);
      sleepUntil(start + static_cast<Nanoseconds>((stopAt + stopFor) * kSecond));
      kill(parent, SIGCONT);
      _exit(0);
    }
    close(fds[0]);
    fd_ = fds[1];
  }
  ~Watchdog() {
    if (fd_ >= 0) close(fd_);
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  void begin(Nanoseconds start) {
    if (write(fd_, &start, sizeof start) != sizeof start) std::exit(3);
    close(fd_);
    fd_ = -1;
  }

 private:
  pid_t pid_;
  int fd_ = -1;
};

// The loop's own clock, keeping the instant it was first read: the loop's start, from which its
// deadlines count. Reading the start off the steady clock before or after making the loop instead
// would put the grid out by however long making the loop took.
class StartKeepingClock : public tk::ElapsedClock {
 public:
  std::chrono::nanoseconds now() const override {
    const std::chrono::nanoseconds reading = tk::suspendAwareClock().now();
    if (!first_) first_ = reading;
    return reading;
  }

  // The first reading told on the steady clock, which runs at the same rate while the computer
  // is awake.
  Nanoseconds firstOnSteadyClock() const {
    const Nanoseconds steady = steadyNow();
    const std::chrono::nanoseconds own = tk::suspendAwareClock().now();
    return steady - (own - first_.value()).count();
  }

 private:
  mutable std::optional<std::chrono::nanoseconds> first_;
};

std::atomic<Nanoseconds> continuedAt{0};
static_assert(std::atomic<Nanoseconds>::is_always_lock_free);

void onContinue(int) { continuedAt.store(monotonicNow()); }

void catchContinue() {
  struct sigaction action {};
  action.sa_handler = onContinue;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(SIGCONT, &action, nullptr);
}

// What the ticks of one run were. The start-up tick (due 1 ms after the loop begins, while the
// window is still being set up) is kept apart; the grid starts at the instant the next tick was
// due. Anchoring it at that tick's actual time instead would shift every figure by however late
// that one tick happened to be.
struct TickLog {
  Nanoseconds startupTickDelay = 0;            // from the loop's start to the start-up tick
  Nanoseconds gridStart = 0;                   // when the grid's first tick was due
  std::vector<Nanoseconds> ticks;              // times of the ticks on the grid
  int startReading = 0;                        // the reading after the grid's first tick
  std::optional<Nanoseconds> rightAgainAfter;  // from the continue to a right reading
  Nanoseconds continued = 0;

  Nanoseconds ideal(std::size_t k) const {
    return gridStart + static_cast<Nanoseconds>(k) * kSecond;
  }
  // A tick the stop held back: due before the continue, fired after it.
  bool heldBack(std::size_t k) const {
    return continued != 0 && ideal(k) < continued && ticks[k] >= continued;
  }
};

class TickRecorder {
 public:
  // `loopStart`: the steady time of the instant the loop's clock starts from.
  TickRecorder(clock_window::FrmClock& clock, const tk::EventLoop& loop, Nanoseconds loopStart,
               int seconds, Watchdog* watchdog)
      : clock_(clock),
        loop_(loop),
        loopStart_(loopStart),
        wanted_(static_cast<std::size_t>(seconds) + 1),
        watchdog_(watchdog) {
    log_.ticks.reserve(wanted_);
    auto tick = clock.Timer1.onTimer;
    clock.Timer1.onTimer = [this, tick] {
      const Nanoseconds at = steadyNow();
      tick();
      ticked(at);
    };
  }

  bool done() const { return log_.ticks.size() >= wanted_; }
  const TickLog& log() const { return log_; }

 private:
  int reading() const { return clock_.minutes() * 60 + clock_.seconds(); }

  void ticked(Nanoseconds at) {
    if (++seen_ == 1) {
      log_.startupTickDelay = at - loopStart_;
      return;
    }
    if (log_.ticks.empty()) {
      // Inside a handler the loop's now() is the instant the tick was due.
      log_.gridStart = loopStart_ + loop_.now() * 1'000'000;
      log_.startReading = reading();
      if (watchdog_) watchdog_->begin(log_.gridStart);
    }
    log_.ticks.push_back(at);
    checkReadingAfterContinue();
    if (done()) QCoreApplication::quit();
  }

  // The reading should be the start reading plus the whole seconds since the grid began.
  void checkReadingAfterContinue() {
    log_.continued = continuedAt.load();
    if (log_.continued == 0 || log_.rightAgainAfter) return;
    const Nanoseconds now = steadyNow();
    const Nanoseconds elapsed = now - log_.gridStart;
    if (reading() == log_.startReading + elapsed / kSecond) {
      log_.rightAgainAfter = now - log_.continued;
    }
  }

  clock_window::FrmClock& clock_;
  const tk::EventLoop& loop_;
  Nanoseconds loopStart_;
  std::size_t wanted_;
  Watchdog* watchdog_;
  TickLog log_;
  int seen_ = 0;
};

struct Summary {
  std::size_t measured = 0;  // ticks in the lateness figures
  std::size_t heldBack = 0;  // ticks the stop held back, left out of them
  double medianMs = 0, p99Ms = 0, maxMs = 0, meanMs = 0;
  std::size_t laterThan20Ms = 0;
  double driftMsPerHour = 0;
  double driftStdErrorMsPerHour = 0;  // the fit's standard error: how far noise alone moves it
};

Summary summarise(const TickLog& log) {
  Summary s;
  std::vector<double> late;  // ms
  double sumX = 0, sumY = 0, sumXX = 0, sumXY = 0;
  for (std::size_t k = 0; k < log.ticks.size(); ++k) {
    if (log.heldBack(k)) {
      ++s.heldBack;
      continue;
    }
    const double lateness = static_cast<double>(log.ticks[k] - log.ideal(k)) / kMillisecond;
    const double x = static_cast<double>(k);  // seconds into the run
    late.push_back(lateness);
    sumX += x;
    sumY += lateness;
    sumXX += x * x;
    sumXY += x * lateness;
  }
  s.measured = late.size();
  if (late.empty()) return s;
  const double n = static_cast<double>(late.size());
  s.meanMs = sumY / n;
  const double spread = n * sumXX - sumX * sumX;
  if (spread > 0 && n > 2) {
    const double slope = (n * sumXY - sumX * sumY) / spread;  // ms per second
    const double intercept = (sumY - slope * sumX) / n;
    double squaredResiduals = 0;
    for (std::size_t k = 0, i = 0; k < log.ticks.size(); ++k) {
      if (log.heldBack(k)) continue;
      const double residual = late[i++] - (intercept + slope * static_cast<double>(k));
      squaredResiduals += residual * residual;
    }
    s.driftMsPerHour = slope * 3600.0;
    s.driftStdErrorMsPerHour = std::sqrt(squaredResiduals / (n - 2) * n / spread) * 3600.0;
  }

  std::sort(late.begin(), late.end());
  const std::size_t mid = late.size() / 2;
  s.medianMs = late.size() % 2 ? late[mid] : (late[mid - 1] + late[mid]) / 2;
  const auto rank = static_cast<std::size_t>(std::ceil(0.99 * n));  // nearest rank
  s.p99Ms = late[std::max<std::size_t>(rank, 1) - 1];
  s.maxMs = late.back();
  s.laterThan20Ms =
      static_cast<std::size_t>(late.end() - std::upper_bound(late.begin(), late.end(), 20.0));
  return s;
}

void writeLog(const std::string& path, const TickLog& log) {
  std::FILE* out = std::fopen(path.c_str(), "w");
  if (!out) {
    std::perror(path.c_str());
    return;
  }
  std::fprintf(out, "# tick lateness_ms held_back\n");
  for (std::size_t k = 0; k < log.ticks.size(); ++k) {
    std::fprintf(out, "%zu %.3f %d\n", k,
                 static_cast<double>(log.ticks[k] - log.ideal(k)) / kMillisecond,
                 log.heldBack(k) ? 1 : 0);
  }
  std::fclose(out);
}

void report(const Options& options, const TickLog& log, const Summary& s) {
  const bool stopped = options.stopAt > 0;
  const double rightAgainMs =
      log.rightAgainAfter ? static_cast<double>(*log.rightAgainAfter) / kMillisecond : -1;
  std::printf("Stopwatch timing on the Qt event loop (%s), %d s, other core %s\n",
              qgetenv("QT_QPA_PLATFORM").constData(), options.seconds,
              options.busy ? "busy" : "idle");
  std::printf("  %-28s %10.3f ms (due at 1 ms)\n", "start-up tick after",
              static_cast<double>(log.startupTickDelay) / kMillisecond);
  std::printf("  %-28s %10zu\n", "ticks measured", s.measured);
  std::printf("  %-28s %10.3f ms\n", "lateness median", s.medianMs);
  std::printf("  %-28s %10.3f ms\n", "lateness 99th percentile", s.p99Ms);
  std::printf("  %-28s %10.3f ms\n", "lateness maximum", s.maxMs);
  std::printf("  %-28s %10.3f ms\n", "lateness mean", s.meanMs);
  std::printf("  %-28s %10zu\n", "ticks later than 20 ms", s.laterThan20Ms);
  std::printf("  %-28s %+10.3f ms/hour (standard error %.3f)\n", "drift (least squares)",
              s.driftMsPerHour, s.driftStdErrorMsPerHour);
  if (stopped) {
    std::printf("  %-28s at %g s for %g s; %zu ticks held back (not in the figures above)\n",
                "SIGSTOP/SIGCONT", options.stopAt, options.stopFor, s.heldBack);
    if (log.rightAgainAfter) {
      std::printf("  %-28s %10.3f ms after SIGCONT\n", "reading right again", rightAgainMs);
    } else {
      std::printf("  %-28s %10s\n", "reading right again", "never");
    }
  }
  std::printf(
      "RESULT timing_accuracy seconds=%d busy=%d ticks=%zu median_ms=%.3f p99_ms=%.3f "
      "max_ms=%.3f mean_ms=%.3f late20=%zu drift_ms_per_hour=%.3f drift_se=%.3f",
      options.seconds, options.busy ? 1 : 0, s.measured, s.medianMs, s.p99Ms, s.maxMs, s.meanMs,
      s.laterThan20Ms, s.driftMsPerHour, s.driftStdErrorMsPerHour);
  if (stopped) {
    std::printf(" stop_at=%g stop_for=%g held_back=%zu right_again_ms=%.3f", options.stopAt,
                options.stopFor, s.heldBack, rightAgainMs);
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = parseOptions(argc, argv);
  // Both children are made before Qt can start a thread.
  std::optional<Spinner> spinner;
  if (options.busy) spinner.emplace();
  std::optional<Watchdog> watchdog;
  if (options.stopAt > 0) watchdog.emplace(options.stopAt, options.stopFor);
  catchContinue();

  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  tk::testing::TempFolder folder;

  const StartKeepingClock loopClock;
  tk::qt::QtEventLoop loop(loopClock);
  const Nanoseconds loopStart = loopClock.firstOnSteadyClock();
  tk::testing::HeadlessWindows windows;
  tk::testing::RecordedMessages messages;
  tk::testing::ScriptedColourDialog colours;
  tk::testing::FakeFiles files;
  tk::testing::RecordedProcesses processes;
  tk::testing::ScriptedRegistry registry;
  tk::Platform platform{loop,  windows,   messages, colours,
                        files, processes, registry, tk::AppInfo{"Stopwatch timing", 1, 2, 0}};

  clock_window::FrmClock clock(platform);
  TickRecorder recorder(clock, loop, loopStart, options.seconds, watchdog ? &*watchdog : nullptr);
  clock.show();

  const double limit = options.seconds + options.stopFor + 30;
  QTimer::singleShot(static_cast<int>(limit * 1000), &app, &QCoreApplication::quit);
  app.exec();

  if (!recorder.done()) {
    std::fprintf(stderr, "timing_accuracy: the stopwatch stopped ticking (%zu of %d ticks)\n",
                 recorder.log().ticks.size(), options.seconds + 1);
    return 1;
  }
  report(options, recorder.log(), summarise(recorder.log()));
  if (!options.logPath.empty()) writeLog(options.logPath, recorder.log());
  return 0;
}
