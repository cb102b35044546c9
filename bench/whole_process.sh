#!/usr/bin/env bash
# Whole-process figures for the stopwatch against the floor of our stack (floor_window: a bare
# Qt window of the same client size and widget count, ticking once a second). Under a private
# Xvfb, the two programs alternate, RUNS times each: wall time from exec to the window mapped,
# RSS and PSS after 10 s, CPU time over the following 60 s. Start-up alone is noisy, so it is
# also taken over STARTUPS more alternated launches, and its median comes from those. Then the
# stopwatch's timing on the Qt loop: TIMING seconds with the other core idle, the same with it
# busy, and the reading after a 5 s SIGSTOP.
# Wake-ups: the stopwatch, the floor and xclock (where installed) side by side on one display for
# WAKE seconds, counting each main thread's context switches and CPU time, running and then idle
# (the watch stopped, the floor without its timer); and what woke the running stopwatch's main
# thread, from the descriptors its polls returned on (strace). Running is measured twice: over
# the first WAKE seconds, while the stopwatch still draws each place of its hands for the first
# time, and over the next WAKE seconds, when it copies them.
#
# usage: bench/whole_process.sh [RUNS=5] [TIMING=600] [STARTUPS=21] [WAKE=60]
#   RUNS 0 skips the alternated runs, TIMING 0 the timing, WAKE 0 the wake-ups
set -euo pipefail
cd "$(dirname "$0")/.."

runs="${1:-5}"
timing="${2:-600}"
startups="${3:-21}"
wake="${4:-60}"
build=build/bench

cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)" --target stopwatch floor_window timing_accuracy resume_catch_up >/dev/null

stopwatch="$(realpath "$build/app/stopwatch")"
floor="$(realpath "$build/bench/floor_window")"
timing_accuracy="$(realpath "$build/bench/timing_accuracy")"
resume_catch_up="$(realpath "$build/bench/resume_catch_up")"
clk_tck="$(getconf CLK_TCK)"

scratch="$(mktemp -d)"
xvfb_pid=""
app_pid=""
side_pids=()
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  for pid in "${side_pids[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# A private X server on a free display. -noreset: by default the server resets when its last
# client leaves, and a program started in that moment cannot connect.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$scratch/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
[ -s "$scratch/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$scratch/display")"
export XDG_RUNTIME_DIR="$scratch"
unset QT_QPA_PLATFORM

now_us() { local t="${EPOCHREALTIME/./}"; echo "$((10#$t))"; }

# utime + stime of a process, in clock ticks (fields 14 and 15, counted after the name).
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
# Time on the CPU of all its threads, in nanoseconds: the same thing, finely grained.
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { print s }'; }
smaps_kb() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/smaps_rollup"; }

# Starts a program in a folder of its own (the stopwatch's save file goes there) and waits for its
# window to be mapped. Sets startup_ms (the wall time that took) and launched_at, and leaves it
# running as $app_pid.
launch() {
  local binary="$1" title="$2" workdir start
  workdir="$(mktemp -d -p "$scratch")"
  start="$(now_us)"
  (cd "$workdir" && exec "$binary" >/dev/null 2>"$workdir/stderr") &
  app_pid=$!
  until xwininfo -name "$title" 2>/dev/null | grep -q IsViewable; do
    if ! kill -0 "$app_pid" 2>/dev/null; then
      local status=0
      wait "$app_pid" || status=$?
      echo "$title exited before mapping (status $status): $(tail -c 300 "$workdir/stderr")" >&2
      app_pid=""
      return 1
    fi
    sleep 0.002
  done
  launched_at="$start"
  startup_ms="$(awk -v s="$start" -v m="$(now_us)" 'BEGIN { printf "%.1f", (m - s) / 1000 }')"
}

stop_app() {
  kill "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
}

# One run of a program: prints "startup_ms rss_kb pss_kb cpu_ms_per_min sched_ms_per_min".
measure() {
  launch "$1" "$2" || return 1
  sleep "$(awk -v s="$launched_at" -v n="$(now_us)" 'BEGIN { d = 10 - (n - s) / 1e6; print (d > 0 ? d : 0) }')"
  local rss pss ticks0 ns0 ticks1 ns1
  rss="$(smaps_kb "$app_pid" Rss)"
  pss="$(smaps_kb "$app_pid" Pss)"
  ticks0="$(cpu_ticks "$app_pid")"
  ns0="$(cpu_ns "$app_pid")"
  sleep 60
  ticks1="$(cpu_ticks "$app_pid")"
  ns1="$(cpu_ns "$app_pid")"
  stop_app
  awk -v st="$startup_ms" -v rss="$rss" -v pss="$pss" -v t0="$ticks0" -v t1="$ticks1" \
      -v n0="$ns0" -v n1="$ns1" -v hz="$clk_tck" \
      'BEGIN { printf "%s %d %d %.0f %.1f\n", st, rss, pss, (t1 - t0) * 1000 / hz, (n1 - n0) / 1e6 }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# ---- Wake-ups, side by side ------------------------------------------------------------------

# Context switches of a process's main thread: each is a wake-up, or the kernel taking the core.
switches() {
  awk '/^voluntary_ctxt_switches|^nonvoluntary_ctxt_switches/ { s += $2 } END { print s }' \
    "/proc/$1/task/$1/status"
}
loadavg() { cut -d" " -f1-3 /proc/loadavg; }
main_ns() { cut -d" " -f1 "/proc/$1/task/$1/schedstat"; }

# Starts a program beside the others, waits for its window and adds it to side_pids.
launch_beside() {
  local title="$1" workdir
  shift
  workdir="$(mktemp -d -p "$scratch")"
  (cd "$workdir" && exec "$@" >/dev/null 2>"$workdir/stderr") &
  side_pids+=($!)
  for _ in $(seq 1000); do
    xwininfo -name "$title" 2>/dev/null | grep -q IsViewable && return 0
    sleep 0.01
  done
  echo "$title did not map: $(tail -c 300 "$workdir/stderr")" >&2
  return 1
}

# Prints, for each "name pid" argument, over $wake seconds all sampled together: main-thread
# wake-ups per second, and CPU per minute of the whole process (utime+stime, which keeps the time
# of threads that have ended, in 10 ms ticks) and of its main thread alone (schedstat, in ns);
# then its RSS at the end, which includes the pictures a running window keeps of its looks.
measure_beside() {
  local names=() pids=() s0=() t0=() m0=() i pid
  while [ $# -gt 0 ]; do names+=("$1") pids+=("$2"); shift 2; done
  for pid in "${pids[@]}"; do
    s0+=("$(switches "$pid")") t0+=("$(cpu_ticks "$pid")") m0+=("$(main_ns "$pid")")
  done
  sleep "$wake"
  for i in "${!pids[@]}"; do
    pid="${pids[i]}"
    awk -v name="${names[i]}" -v s0="${s0[i]}" -v s1="$(switches "$pid")" -v t0="${t0[i]}" \
        -v t1="$(cpu_ticks "$pid")" -v m0="${m0[i]}" -v m1="$(main_ns "$pid")" -v t="$wake" \
        -v hz="$clk_tck" -v rss="$(smaps_kb "$pid" Rss)" \
        'BEGIN { printf "%-10s %12.2f %16.0f %18.1f %10d\n", name, (s1 - s0) / t,
                 (t1 - t0) * 1000 / hz * 60 / t, (m1 - m0) / 1e6 * 60 / t, rss }'
  done
}
heading() { printf "%s   (load average %s)\n%-10s %12s %16s %18s %10s\n" "$1" "$(loadavg)" "" \
  wake-ups/s "CPU ms/min, all" "main thread ms/min" "RSS kB"; }

# What ended each of the main thread's polls over $1 seconds: the kind of each descriptor a poll
# returned on (the loop's timer, the X connection, Qt's own wake-up event), and polls that
# returned on none (a timeout Qt asked for).
poll_reasons() {
  local pid="$1" seconds="$2" trace="$scratch/poll.trace"
  timeout "$seconds" strace -q -p "$pid" -e trace=poll,ppoll -o "$trace" 2>/dev/null || true
  { grep -o '= [0-9]* (\[.*\])\|= 0 (Timeout)' "$trace" || true; } | while read -r line; do
    if [[ $line == *Timeout* ]]; then
      echo timeout
      continue
    fi
    grep -o 'fd=[0-9]*' <<<"$line" | cut -d= -f2 | while read -r fd; do
      readlink "/proc/$pid/fd/$fd" | sed 's/:.*\[/ /; s/\]$//; s/^socket.*/X connection (socket)/'
    done
  done | sort | uniq -c | awk -v t="$seconds" '{ n = $1; $1 = ""; printf "  %6.2f /s %s\n", n / t, $0 }'
  echo "  $(grep -c 'poll' "$trace" || true) polls in $seconds s"
}

if [ "$wake" -gt 0 ]; then
  side=(Stopwatch "$stopwatch" "Floor Window" "$floor")
  command -v xclock >/dev/null && side+=(xclock "$(command -v xclock)")
  echo "== Wake-ups side by side, $wake s each, under Xvfb $DISPLAY (load average $(loadavg))"
  launch_beside Stopwatch "$stopwatch"
  launch_beside "Floor Window" "$floor"
  beside=(stopwatch "${side_pids[0]}" floor "${side_pids[1]}")
  if command -v xclock >/dev/null; then
    launch_beside xclock xclock -update 1
    beside+=(xclock "${side_pids[2]}")
  else
    echo "(xclock not installed: x11-apps)"
  fi
  sleep 5
  heading "running, first $wake s"
  measure_beside "${beside[@]}"
  heading "running, the next $wake s"
  measure_beside "${beside[@]}"
  echo "what woke the running stopwatch's main thread, 20 s (load average $(loadavg)):"
  poll_reasons "${side_pids[0]}" 20

  # Idle: the watch stopped with its Stop button (the design's 408, 0, 81 x 25), the floor
  # started again without its timer; xclock has no idle state and goes.
  for pid in "${side_pids[@]:1}"; do kill "$pid" && wait "$pid" 2>/dev/null || true; done
  side_pids=("${side_pids[0]}")
  eval "$(xdotool getwindowgeometry --shell "$(xdotool search --name '^Stopwatch$' | head -n 1)")"
  xdotool mousemove --sync $((X + 448)) $((Y + HEIGHT - 407 + 12)) click 1
  launch_beside "Floor Window" "$floor" --idle
  sleep 5
  heading idle
  measure_beside stopwatch "${side_pids[0]}" floor "${side_pids[1]}"
  echo "what woke the stopped stopwatch's main thread, 20 s:"
  poll_reasons "${side_pids[0]}" 20
  for pid in "${side_pids[@]}"; do kill "$pid" && wait "$pid" 2>/dev/null || true; done
  side_pids=()
  echo
fi

if [ "$runs" -gt 0 ]; then
  echo "Whole process: $runs runs each, alternated, under Xvfb $DISPLAY ($(nproc) cores, load average $(cut -d" " -f1-3 /proc/loadavg))"
  printf "%-10s %4s %12s %9s %9s %13s %15s\n" program run "startup(ms)" "RSS(kB)" "PSS(kB)" \
    "CPU ms/min" "sched ms/min"
  : >"$scratch/stopwatch.txt"
  : >"$scratch/floor.txt"
  for run in $(seq "$runs"); do
    for program in stopwatch floor; do
      binary="$floor" title="Floor Window"
      [ "$program" = stopwatch ] && binary="$stopwatch" title=Stopwatch
      # A run that fails to start is reported and tried once more.
      line="$(measure "$binary" "$title")" || line="$(measure "$binary" "$title")"
      echo "$line" >>"$scratch/$program.txt"
      # shellcheck disable=SC2086
      printf "%-10s %4d %12s %9s %9s %13s %15s\n" "$program" "$run" $line
    done
  done

  for run in $(seq "$startups"); do
    for program in stopwatch floor; do
      binary="$floor" title="Floor Window"
      [ "$program" = stopwatch ] && binary="$stopwatch" title=Stopwatch
      launch "$binary" "$title" || launch "$binary" "$title"
      stop_app
      echo "$startup_ms" >>"$scratch/$program.startup"
    done
  done
  echo "Start-up alone, $startups launches each (ms): stopwatch $(paste -sd' ' "$scratch/stopwatch.startup")"
  echo "                                    floor $(paste -sd' ' "$scratch/floor.startup")"

  echo
  printf "%-28s %12s %12s %8s\n" "median" stopwatch floor ratio
  names=("start-up to mapped (ms)" "RSS after 10 s (kB)" "PSS after 10 s (kB)"
         "CPU per minute (ms, stat)" "CPU per minute (ms, sched)")
  keys=(startup_ms rss_kb pss_kb cpu_ms_per_min sched_ms_per_min)
  result="RESULT whole_process runs=$runs startups=$startups"
  for column in 1 2 3 4 5; do
    if [ "$column" = 1 ]; then
      ours="$(median <"$scratch/stopwatch.startup")"
      base="$(median <"$scratch/floor.startup")"
    else
      ours="$(cut -d' ' -f"$column" "$scratch/stopwatch.txt" | median)"
      base="$(cut -d' ' -f"$column" "$scratch/floor.txt" | median)"
    fi
    ratio="$(awk -v a="$ours" -v b="$base" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }')"
    printf "%-28s %12s %12s %8s\n" "${names[$((column - 1))]}" "$ours" "$base" "$ratio"
    result+=" ${keys[$((column - 1))]}=$ours floor_${keys[$((column - 1))]}=$base"
  done
  echo "$result"
fi

[ "$timing" -gt 0 ] || exit 0
# The timing runs need no display; the offscreen platform keeps them off the X server.
quiet() { grep -v -e 'This plugin does not support' -e '^QStandardPaths:' || true; }
export QT_QPA_PLATFORM=offscreen
echo
echo "== Timing, other core idle ($timing s)"
"$timing_accuracy" "$timing" 2>&1 | quiet
echo
echo "== Timing, other core busy ($timing s)"
"$timing_accuracy" "$timing" --busy 2>&1 | quiet
echo
echo "== Reading after SIGSTOP for 5 s at 10 s, then SIGCONT"
"$timing_accuracy" 20 --stop-at 10 --stop-for 5 2>&1 | quiet
