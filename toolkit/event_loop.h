#pragma once
// Time for the forms. Timers are armed on an event loop, which fires them in deadline order.
// Inside a timer's handler now() is the instant that tick was due, not the moment the handler
// happens to run, so a timer re-armed from its own handler keeps a fixed period and a
// stopwatch built on it does not drift. A loop that wakes late fires every overdue tick.

#include <cstdint>
#include <vector>

namespace tk {

class Timer;

using Milliseconds = std::int64_t;

class EventLoop {
 public:
  virtual ~EventLoop() = default;

  Milliseconds now() const;

  void arm(Timer& timer, Milliseconds interval);  // due `interval` ms after now()
  void disarm(Timer& timer);
  bool isArmed(const Timer& timer) const;

 protected:
  // The loop's own clock, in milliseconds from an arbitrary start.
  virtual Milliseconds clockNow() const = 0;
  // The earliest deadline may have moved (a backend reschedules its wake-up).
  virtual void deadlinesChanged() {}

  // Fires, in deadline order, every timer due at or before `until`, ticks that come due while
  // doing so included.
  void runDue(Milliseconds until);
  bool hasDeadline() const { return !queue_.empty(); }
  Milliseconds nextDeadline() const;

 private:
  struct Entry {
    Milliseconds due;
    std::uint64_t order;  // equal deadlines fire in the order they were armed
    Timer* timer;
  };
  void insert(Timer& timer, Milliseconds due);
  bool remove(const Timer& timer);

  std::vector<Entry> queue_;  // few timers: a sorted vector is simplest and fastest
  std::uint64_t nextOrder_ = 0;
  std::vector<Milliseconds> firing_;  // deadlines of the ticks being handled, innermost last
};

// A loop whose time moves only when a test says so.
class VirtualEventLoop : public EventLoop {
 public:
  // Moves time forwards by `ms`, firing every timer that comes due on the way.
  void advance(Milliseconds ms);

 protected:
  Milliseconds clockNow() const override { return time_; }

 private:
  Milliseconds time_ = 0;
};

}  // namespace tk
