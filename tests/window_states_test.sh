#!/usr/bin/env bash
# The window that keeps its size, on Wayland and on X11. Under a private headless weston, the
# program starts natively on Wayland and tells the compositor that its window keeps its size
# (the same minimum and maximum); then the window-states driver asks the Stopwatch window to
# maximise and to fill the screen, on Wayland and on a virtual X display, and checks that it
# comes back at its designed size and keeps running.
#
# usage: window_states_test.sh <stopwatch program> <window states driver> <output folder>
set -u

program=$(realpath "$1")
driver=$(realpath "$2")
output=$(realpath "${3:-.}")
shot_name=window_states_failure.png
source "$(dirname "$0")/x11_session.sh"
command -v weston > /dev/null || fail "weston is not installed (scripts/install-deps.sh test)"

weston_pid=
stop_weston() {
  [ -n "$weston_pid" ] && kill "$weston_pid" 2> /dev/null
  cleanup
}
trap stop_weston EXIT

# A compositor of our own, its socket in a private runtime folder.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=headless-backend.so --socket=stopwatch-test --idle-time=0 \
  > "$work/weston.log" 2>&1 &
weston_pid=$!
wait_for 150 test -S "$XDG_RUNTIME_DIR/stopwatch-test" ||
  { cat "$work/weston.log"; fail "weston did not start"; }

# The program itself on Wayland; the protocol log shows what it tells the compositor.
mkdir "$work/run" && cd "$work/run" || fail "no work folder"
WAYLAND_DISPLAY=stopwatch-test QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 "$program" \
  > "$work/program.log" 2>&1 &
app_pid=$!
titled() { grep -q 'set_title("Stopwatch")' "$work/program.log"; }
# A buffer attached after the title: the window's first frame went to the compositor.
first_frame() { sed -n '/set_title("Stopwatch")/,$p' "$work/program.log" | grep -q 'wl_surface@[0-9]*\.attach'; }
wait_for 150 titled || fail "no Wayland window titled Stopwatch (is qt6-wayland installed?)"
wait_for 150 first_frame || fail "the Stopwatch window drew no frame on Wayland"
last_size() { grep -o "xdg_toplevel@[0-9]*\.set_$1_size([0-9]*, [0-9]*)" "$work/program.log" | tail -n 1 | grep -o '([^)]*)'; }
min=$(last_size min)
max=$(last_size max)
[ -n "$min" ] && [ "$min" = "$max" ] && [ "$min" != "(0, 0)" ] ||
  fail "on Wayland the window does not say it keeps its size: minimum $min, maximum $max"
program_ended && fail "the program ended on Wayland"
kill "$app_pid"
wait "$app_pid" 2> /dev/null
app_pid=

# The driver on Wayland, then on X11.
WAYLAND_DISPLAY=stopwatch-test QT_QPA_PLATFORM=wayland "$driver" > "$work/driver.log" 2>&1 ||
  { cat "$work/driver.log"; fail "on Wayland, maximise or full screen broke the window"; }
start_display
QT_QPA_PLATFORM=xcb "$driver" > "$work/driver.log" 2>&1 ||
  { cat "$work/driver.log"; fail "on X11, maximise or full screen broke the window"; }

echo "PASSED: started natively on Wayland with a fixed-size window (minimum = maximum $min);"
echo "        maximise and full screen left the window at its designed size on Wayland and X11"
