#pragma once
// Time for the forms. Timers are armed on an event loop, which fires them in deadline order.
// Inside a timer's handler now() is the instant that tick was due, not the moment the handler
// happens to run, so a timer re-armed from its own handler keeps a fixed period and a
// stopwatch built on it does not drift. A loop that wakes late fires every overdue tick.
//
// Ticks fired a second or more after they were due (after a suspended computer or a stopped
// process) are a catch-up: they run one after another faster than anyone can see them, so a
// listener may hold the screen while they run and show only where they end.

#include <cstdint>
#include <vector>

namespace tk {

class Timer;

using Milliseconds = std::int64_t;

// Told when the loop begins firing catch-up ticks and when it has fired every overdue tick.
class CatchUpListener {
 public:
  virtual ~CatchUpListener() = default;
  virtual void catchUpBegins() = 0;
  virtual void catchUpEnds() = 0;
};

class EventLoop {
 public:
  virtual ~EventLoop() = default;

  Milliseconds now() const;

  void arm(Timer& timer, Milliseconds interval);  // due `interval` ms after now()
  void disarm(Timer& timer);
  bool isArmed(const Timer& timer) const;

  // True inside the handler of a catch-up tick: what it shows will be overwritten by a later
  // tick before it reaches the screen.
  bool catchingUp() const { return !firing_.empty() && firing_.back().catchUp; }
  void setCatchUpListener(CatchUpListener* listener) { listener_ = listener; }

  // A tick fired this late has the next tick of a one-second timer already due behind it.
  static constexpr Milliseconds catchUpLateness = 1000;

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
  struct Firing {
    Milliseconds due;
    bool catchUp;
  };
  void insert(Timer& timer, Milliseconds due);
  bool remove(const Timer& timer);
  void fire(const Entry& entry, Milliseconds until);

  std::vector<Entry> queue_;  // few timers: a sorted vector is simplest and fastest
  std::uint64_t nextOrder_ = 0;
  std::vector<Firing> firing_;  // the ticks being handled, innermost last
  CatchUpListener* listener_ = nullptr;
  bool inCatchUp_ = false;
};

// A loop whose time moves only when a test says so.
class VirtualEventLoop : public EventLoop {
 public:
  // Moves time forwards by `ms`, firing every timer that comes due on the way.
  void advance(Milliseconds ms);
  // Moves time forwards by `ms` at once and then fires every overdue timer, as a loop does that
  // wakes after the computer was suspended.
  void sleep(Milliseconds ms);

 protected:
  Milliseconds clockNow() const override { return time_; }

 private:
  Milliseconds time_ = 0;
};

}  // namespace tk
