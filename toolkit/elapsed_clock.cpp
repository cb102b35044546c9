#include "toolkit/elapsed_clock.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <realtimeapiset.h>
#else
#include <time.h>
#endif

namespace tk {

namespace {

class SuspendAwareClock : public ElapsedClock {
 public:
  std::chrono::nanoseconds now() const override {
#if defined(_WIN32)
    // The interrupt time, in 100 ns units. The "unbiased" one (QueryUnbiasedInterruptTime)
    // leaves out sleep and hibernation, which is exactly what must be counted here.
    ULONGLONG units = 0;
    QueryInterruptTimePrecise(&units);
    return std::chrono::nanoseconds(static_cast<long long>(units) * 100);
#elif defined(CLOCK_BOOTTIME)
    // CLOCK_MONOTONIC (std::chrono::steady_clock) stands still while the computer is
    // suspended; CLOCK_BOOTTIME is the same clock with the suspended time added.
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
#else
    return std::chrono::steady_clock::now().time_since_epoch();
#endif
  }
};

}  // namespace

const ElapsedClock& suspendAwareClock() {
  static const SuspendAwareClock clock;
  return clock;
}

}  // namespace tk
