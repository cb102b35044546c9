#!/usr/bin/env bash
# stopwatch.exe under Wine against the floor of a Win32 program (floor_window_win32: a bare
# window of the same client size repainting once a second): the program file's size, start-up
# to a shown window, memory after 10 s, CPU and the main thread's sleeps while running. The two
# alternate, RUNS times each, on a private Xvfb in the build's own Wine prefix, with the Wine
# server already running (as the tests keep it).
#
# Wake-ups: under Wine every call into the Wine server is a round trip that counts as a context
# switch, so the thread's context switches say little. The main thread's sleeps are counted
# instead: gaps of more than 20 ms between its system calls (strace), one per wake-up.
#
# usage: bench/windows_exe.sh [RUNS=5] [SECONDS=30]
set -euo pipefail
cd "$(dirname "$0")/.."

runs="${1:-5}"
seconds="${2:-30}"
build=build/windows
cmake --preset windows > /dev/null
cmake --build --preset windows -j2 --target stopwatch floor_window_win32 sysinfo_probe > /dev/null
(cd "$build" && cpack > /dev/null)
for tool in Xvfb xdotool xprop strace wine; do
  command -v "$tool" > /dev/null || { echo "$tool is not installed" >&2; exit 1; }
done

stopwatch="$(realpath "$build/app/stopwatch.exe")"
floor="$(realpath "$build/bench/floor_window_win32.exe")"
zip="$(ls "$build"/stopwatch-*-win64.zip)"
export WINEPREFIX="$(realpath "$build")/wineprefix" WINEARCH=win64 WINEDEBUG=-all LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="

scratch="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2> /dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2> /dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3> "$scratch/display" 2> /dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
[ -s "$scratch/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$scratch/display")"
# The prefix made (by wine-run.sh, as for the tests) and the server kept running meanwhile.
cmake/wine-run.sh "$build/tests/windows/sysinfo_probe.exe" > /dev/null 2>&1 || true
wineserver -p60 || true

now_us() { local t="${EPOCHREALTIME/./}"; echo "$((10#$t))"; }
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
window_of() { xdotool search --onlyvisible --name "^$1\$" 2> /dev/null | head -n 1; }
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { print s }'; }
smaps_kb() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/smaps_rollup"; }
sleeps() {  # the main thread's waits longer than 20 ms over $2 seconds
  timeout "$2" strace -tt -p "$1" -o "$scratch/trace" 2> /dev/null || true
  awk '{ split($1, t, ":"); s = t[1] * 3600 + t[2] * 60 + t[3];
         if (NR > 1 && s - last > 0.02) n++; last = s } END { print n + 0 }' "$scratch/trace"
}

declare -A startup rss pss cpu wakes
measure() {  # measure <name> <program> <title>
  local workdir start window pid cpu_before
  workdir="$(mktemp -d -p "$scratch")"
  start=$(now_us)
  (cd "$workdir" && exec wine "$2" > /dev/null 2>&1) &
  app_pid=$!
  until window="$(window_of "$3")" && [ -n "$window" ]; do sleep 0.01; done
  startup[$1]+="$((($(now_us) - start) / 1000)) "
  pid=$(xprop -id "$window" _NET_WM_PID | awk '{ print $3 }')
  sleep 10
  rss[$1]+="$(smaps_kb "$pid" Rss) "
  pss[$1]+="$(smaps_kb "$pid" Pss) "
  cpu_before=$(cpu_ns "$pid")
  wakes[$1]+="$(sleeps "$pid" "$seconds") "
  cpu[$1]+="$((($(cpu_ns "$pid") - cpu_before) * 60 / seconds / 1000000)) "
  kill "$app_pid"
  wait "$app_pid" 2> /dev/null || true
  app_pid=""
}
# A first start of each, not counted: Wine reads the DLLs and fonts from disk.
seconds_asked=$seconds
seconds=1
measure stopwatch "$stopwatch" Stopwatch
measure floor "$floor" Floor
seconds=$seconds_asked
startup=() rss=() pss=() cpu=() wakes=()
for ((i = 0; i < runs; i++)); do
  measure stopwatch "$stopwatch" Stopwatch
  measure floor "$floor" Floor
done

echo "program file: $(stat -c %s "$stopwatch") bytes as built, $(unzip -Zl "$zip" stopwatch.exe |
  awk '{ print $4 }') bytes stripped in the ZIP; the ZIP $(stat -c %s "$zip") bytes"
for name in stopwatch floor; do
  echo "$name (medians of $runs; all values in brackets):"
  echo "  start-up to the window shown: $(tr ' ' '\n' <<< "${startup[$name]}" | grep . | median) ms [${startup[$name]}]"
  echo "  RSS / PSS after 10 s: $(tr ' ' '\n' <<< "${rss[$name]}" | grep . | median) / $(tr ' ' '\n' <<< "${pss[$name]}" | grep . | median) kB"
  echo "  CPU per minute while running: $(tr ' ' '\n' <<< "${cpu[$name]}" | grep . | median) ms [${cpu[$name]}]"
  echo "  main-thread sleeps in $seconds s: $(tr ' ' '\n' <<< "${wakes[$name]}" | grep . | median) [${wakes[$name]}]"
done
