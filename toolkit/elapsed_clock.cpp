#include "toolkit/elapsed_clock.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <time.h>
#endif

namespace tk {

namespace {

#if defined(_WIN32)

// The interrupt time, in 100 ns units, counts sleep and hibernation; the "unbiased" one
// (QueryUnbiasedInterruptTime) leaves them out, which is exactly what must be counted here.
// QueryInterruptTimePrecise exists from Windows 10 on and is missing from Wine 8, so it is looked
// up at run time. Without it the performance counter stands in: on Windows it too goes on
// counting through sleep, with a finer resolution; what the stand-in loses is under Wine, where
// it is read from the host's monotonic clock and a suspend of the Linux host is not counted.
using QueryInterruptTimeFunction = VOID(WINAPI*)(PULONGLONG);

QueryInterruptTimeFunction findQueryInterruptTimePrecise() {
  HMODULE kernelBase = GetModuleHandleW(L"kernelbase.dll");
  if (kernelBase == nullptr) return nullptr;
  return reinterpret_cast<QueryInterruptTimeFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernelBase, "QueryInterruptTimePrecise")));
}

std::chrono::nanoseconds performanceCounterNow() {
  static const long long frequency = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  LARGE_INTEGER count{};
  QueryPerformanceCounter(&count);
  // Whole seconds and the rest apart, so that the product cannot overflow.
  const long long seconds = count.QuadPart / frequency;
  const long long rest = count.QuadPart % frequency;
  return std::chrono::seconds(seconds) + std::chrono::nanoseconds(rest * 1'000'000'000 / frequency);
}

class SuspendAwareClock : public ElapsedClock {
 public:
  std::chrono::nanoseconds now() const override {
    static const QueryInterruptTimeFunction queryInterruptTime = findQueryInterruptTimePrecise();
    if (queryInterruptTime == nullptr) return performanceCounterNow();
    ULONGLONG units = 0;
    queryInterruptTime(&units);
    return std::chrono::nanoseconds(static_cast<long long>(units) * 100);
  }
};

#else

class SuspendAwareClock : public ElapsedClock {
 public:
  std::chrono::nanoseconds now() const override {
#if defined(CLOCK_BOOTTIME)
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

#endif

}  // namespace

const ElapsedClock& suspendAwareClock() {
  static const SuspendAwareClock clock;
  return clock;
}

}  // namespace tk
