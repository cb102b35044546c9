#include "toolkit/event_loop.h"

#include <algorithm>

#include "toolkit/timer.h"

namespace tk {

Milliseconds EventLoop::now() const { return firing_.empty() ? clockNow() : firing_.back().due; }

void EventLoop::arm(Timer& timer, Milliseconds interval) {
  remove(timer);
  insert(timer, now() + interval);
  deadlinesChanged();
}

void EventLoop::disarm(Timer& timer) {
  if (remove(timer)) deadlinesChanged();
}

bool EventLoop::isArmed(const Timer& timer) const {
  return std::any_of(queue_.begin(), queue_.end(),
                     [&](const Entry& e) { return e.timer == &timer; });
}

Milliseconds EventLoop::nextDeadline() const { return queue_.front().due; }

void EventLoop::insert(Timer& timer, Milliseconds due) {
  Entry entry{due, nextOrder_++, &timer};
  auto at =
      std::upper_bound(queue_.begin(), queue_.end(), entry, [](const Entry& a, const Entry& b) {
        return a.due != b.due ? a.due < b.due : a.order < b.order;
      });
  queue_.insert(at, entry);
}

bool EventLoop::remove(const Timer& timer) {
  auto it =
      std::find_if(queue_.begin(), queue_.end(), [&](const Entry& e) { return e.timer == &timer; });
  if (it == queue_.end()) return false;
  queue_.erase(it);
  return true;
}

void EventLoop::runDue(Milliseconds until) {
  // A handler may open a modal dialog whose nested loop runs this again: the outermost run that
  // began a catch-up ends it.
  const bool beganCatchUp = !inCatchUp_;
  while (!queue_.empty() && queue_.front().due <= until) {
    const Entry entry = queue_.front();
    queue_.erase(queue_.begin());
    fire(entry, until);
  }
  deadlinesChanged();
  if (beganCatchUp && inCatchUp_) {
    inCatchUp_ = false;
    if (listener_) listener_->catchUpEnds();
  }
}

void EventLoop::fire(const Entry& entry, Milliseconds until) {
  // The next tick of a periodic timer is one interval after this one was due; a handler that
  // sets the interval or the enabling re-arms it itself, from the same instant.
  insert(*entry.timer, entry.due + entry.timer->interval());
  // Announced before the handler runs: a handler may open a modal dialog whose nested loop
  // must go on waking for the timers.
  deadlinesChanged();
  const bool catchUp = until - entry.due >= catchUpLateness;
  if (catchUp && !inCatchUp_) {
    inCatchUp_ = true;
    if (listener_) listener_->catchUpBegins();
  }
  firing_.push_back({entry.due, catchUp});
  entry.timer->fire();
  firing_.pop_back();
}

void VirtualEventLoop::advance(Milliseconds ms) {
  const Milliseconds target = time_ + ms;
  while (hasDeadline() && nextDeadline() <= target) {
    time_ = std::max(time_, nextDeadline());
    runDue(time_);
  }
  time_ = target;
}

void VirtualEventLoop::sleep(Milliseconds ms) {
  time_ += ms;
  runDue(time_);
}

}  // namespace tk
