// The floor under the stopwatch's tick lateness on this machine: how late the kernel wakes a
// bare program, no Qt and no window, sleeping the way the Qt loop sleeps (a timerfd on
// CLOCK_BOOTTIME armed at an absolute instant, then poll) once a second. What timing_accuracy
// measures above this is the loop's own share. --busy keeps the other core spinning meanwhile.
// The instants are whole seconds of CLOCK_BOOTTIME, so that kernel_timer_trace.sh can tell from
// the kernel's own timer events how late the timer itself fired.
//
// usage: kernel_wake [SECONDS=60] [--busy]

#include <poll.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "spinner.h"

namespace {

using Nanoseconds = std::int64_t;
constexpr Nanoseconds kSecond = 1'000'000'000;

Nanoseconds bootTimeNow() {
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  return ts.tv_sec * kSecond + ts.tv_nsec;
}

void sleepUntil(int timerFd, Nanoseconds due) {
  itimerspec setting{};
  setting.it_value = {static_cast<time_t>(due / kSecond), static_cast<long>(due % kSecond)};
  if (timerfd_settime(timerFd, TFD_TIMER_ABSTIME, &setting, nullptr) != 0) std::exit(3);
  pollfd watched{timerFd, POLLIN, 0};
  while (poll(&watched, 1, -1) != 1) {
  }
  std::uint64_t expiries = 0;
  if (read(timerFd, &expiries, sizeof expiries) != sizeof expiries) std::exit(3);
}

double quantile(const std::vector<double>& sorted, double q) {
  return sorted[static_cast<std::size_t>(q * static_cast<double>(sorted.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 60;
  bool busy = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--busy") == 0) {
      busy = true;
    } else if (std::atoi(argv[i]) > 0) {
      seconds = std::atoi(argv[i]);
    } else {
      std::fprintf(stderr, "usage: kernel_wake [SECONDS=60] [--busy]\n");
      return 2;
    }
  }
  std::optional<Spinner> spinner;
  if (busy) spinner.emplace();

  const int timerFd = timerfd_create(CLOCK_BOOTTIME, TFD_CLOEXEC);
  if (timerFd < 0) return 3;
  const Nanoseconds start = bootTimeNow() / kSecond * kSecond;
  std::vector<double> lateMs;
  for (int k = 1; k <= seconds; ++k) {
    const Nanoseconds due = start + k * kSecond;
    sleepUntil(timerFd, due);
    lateMs.push_back(static_cast<double>(bootTimeNow() - due) / 1e6);
  }
  spinner.reset();

  std::sort(lateMs.begin(), lateMs.end());
  std::printf("Bare timerfd wake-ups, %d s, other core %s\n", seconds, busy ? "busy" : "idle");
  std::printf("  lateness median %.3f ms, 99th percentile %.3f ms, maximum %.3f ms\n",
              quantile(lateMs, 0.5), quantile(lateMs, 0.99), lateMs.back());
  std::printf("RESULT kernel_wake seconds=%d busy=%d median_ms=%.3f p99_ms=%.3f max_ms=%.3f\n",
              seconds, busy ? 1 : 0, quantile(lateMs, 0.5), quantile(lateMs, 0.99), lateMs.back());
  return 0;
}
