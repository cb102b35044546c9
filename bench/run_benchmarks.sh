#!/usr/bin/env bash
# Builds the benchmarks (the "bench" preset) and runs them: the cost of one tick, then the
# timing accuracy on the Qt loop with the other core idle and with it busy, then how soon after
# a resume from sleep the right reading is on screen.
#
# usage: bench/run_benchmarks.sh [SECONDS]   (length of each timing run, default 120)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-120}"
build=build/bench
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"

cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)" --target tick_cost_bench timing_accuracy floor_window \
  resume_catch_up

# The offscreen platform warns about window calls it ignores; those lines are not results.
quiet() { grep -v -e 'This plugin does not support' -e '^QStandardPaths:' || true; }

echo
echo "== Cost of one tick with its display update"
"$build/bench/tick_cost_bench" 2>&1 | quiet

echo
echo "== Timing accuracy, other core idle (${seconds} s)"
"$build/bench/timing_accuracy" "$seconds" 2>&1 | quiet

echo
echo "== Timing accuracy, other core busy (${seconds} s)"
"$build/bench/timing_accuracy" "$seconds" --busy 2>&1 | quiet

echo
echo "== Resume from sleep to the right reading on screen"
"$build/bench/resume_catch_up" 10 2>&1 | quiet
