#!/usr/bin/env bash
# Where a bare program's wake-up lateness goes on this machine. Runs kernel_wake (a timerfd of
# CLOCK_BOOTTIME armed at whole seconds, then poll) under perf's timer and scheduler tracepoints
# and splits each wake-up into:
#   fired     the kernel's timer running its expiry, against the due instant (both on the
#             timer's own clock, so no clock conversion);
#   woken     from the expiry to the program being marked runnable;
#   on core   from then to the program being switched in;
#   returned  from then to its poll returning to user space.
# kernel_wake's own figure, read in user space after poll, is the sum plus the clock read.
# Needs root: perf records the whole system, since a timer fires in interrupt context.
#
# usage: bench/kernel_timer_trace.sh [SECONDS=30] [--busy]
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
wake="${KERNEL_WAKE:-$here/../build/bench/bench/kernel_wake}"
args=("${1:-30}")
[[ $# -ge 2 ]] && args+=("$2")
[[ -x "$wake" ]] || { echo "no $wake: cmake --build --preset bench first" >&2; exit 2; }
command -v perf >/dev/null || { echo "perf is not installed (linux-perf)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$wake" "${args[@]}" >"$work/wake.txt" &
wake_pid=$!
perf record -q -a -o "$work/perf.data" \
  -e timer:hrtimer_expire_entry -e sched:sched_wakeup -e sched:sched_switch \
  -e syscalls:sys_exit_poll -- sleep "$((args[0] + 1))" 2>/dev/null
wait "$wake_pid"
cat "$work/wake.txt"

# One line a stage a wake-up: "stage microseconds". A CPU's last timerfd expiry is the one that
# woke the program when the wake-up follows it on that CPU within a millisecond.
perf script --ns -i "$work/perf.data" -F pid,cpu,time,event,trace 2>/dev/null | awk -v pid="$wake_pid" '
  function us(seconds) { return seconds * 1e6 }
  {
    task = $1; cpu = $2; gsub(/[][]/, "", cpu); t = $3; sub(/:$/, "", t); event = $4
  }
  event == "timer:hrtimer_expire_entry:" && /function=timerfd_tmrproc/ {
    now = $0; sub(/.*now=/, "", now)
    expired[cpu] = t; firedLate[cpu] = (now % 1000000000) / 1000
  }
  event == "sched:sched_wakeup:" && $0 ~ ("pid=" pid " ") {
    if (cpu in expired && us(t - expired[cpu]) < 1000 && firedLate[cpu] < 500000) {
      print "fired", firedLate[cpu]; print "woken", us(t - expired[cpu]); wokenAt = t
    }
    delete expired[cpu]
  }
  event == "sched:sched_switch:" && $0 ~ ("next_pid=" pid " ") && wokenAt {
    print "on_core", us(t - wokenAt); switchedAt = t; wokenAt = 0
  }
  event == "syscalls:sys_exit_poll:" && task == pid && switchedAt {
    print "returned", us(t - switchedAt); switchedAt = 0
  }' >"$work/stages.txt"

for stage in fired woken on_core returned; do
  values="$(awk -v s="$stage" '$1 == s { print $2 }' "$work/stages.txt" | sort -g)"
  count="$(grep -c . <<<"$values" || true)"
  if [[ "$count" -eq 0 ]]; then
    echo "no $stage stage found in the trace" >&2
    exit 1
  fi
  median="$(sed -n "$(((count + 1) / 2))p" <<<"$values")"
  printf '  %-9s median %8.1f us over %d wake-ups\n' "$stage" "$median" "$count"
  echo "RESULT kernel_timer_trace stage=$stage median_us=$median count=$count"
done
