#!/usr/bin/env bash
# The window that keeps its size, on Wayland and on X11. Under a private headless weston, the
# program starts natively on Wayland, tells the compositor that its window keeps its size (the
# same minimum and maximum) and keeps drawing its ticks. Then the window-states driver asks the
# Stopwatch window to maximise and to fill the screen, on Wayland and on a virtual X display, and
# checks that it comes back at its designed size and keeps running. (A Wayland client cannot
# maximise another's window, so the request comes from inside the driver, as it would from the
# title bar's maximise button that Qt draws on Wayland.)
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
# Fails with the program's own messages; the whole protocol log is kept in the output folder.
fail_on_wayland() {
  cp "$work/program.log" "$output/wayland_protocol.log"
  grep -v '^\[' "$output/wayland_protocol.log" > "$work/program.log"
  fail "$* (protocol log: $output/wayland_protocol.log)"
}
logged() { grep -q "$1" "$work/program.log"; }
wait_for 150 logged 'set_title("Stopwatch")' ||
  fail_on_wayland "no Wayland window titled Stopwatch (is qt6-wayland installed?)"
last_size() {
  grep -o "xdg_toplevel@[0-9]*\.set_$1_size([0-9]*, [0-9]*)" "$work/program.log" | tail -n 1 |
    grep -o '([^)]*)'
}
min=$(last_size min)
max=$(last_size max)
[ -n "$min" ] && [ "$min" = "$max" ] && [ "$min" != "(0, 0)" ] ||
  fail_on_wayland "on Wayland the window does not say it keeps its size: min $min, max $max"
# Frames the compositor took: a first one, then the ticks' repaints.
frames() {
  sed -n '/set_title("Stopwatch")/,$p' "$work/program.log" | grep -c 'wl_surface@[0-9]*\.attach'
}
three_frames() { [ "$(frames)" -ge 3 ]; }
wait_for 100 three_frames || program_ended ||
  fail_on_wayland "the Stopwatch window drew $(frames) frames on Wayland, not 3"
program_ended && fail_on_wayland "the program ended on Wayland"
kill "$app_pid"
wait "$app_pid" 2> /dev/null
app_pid=

# The driver on Wayland, then on X11.
WAYLAND_DISPLAY=stopwatch-test QT_QPA_PLATFORM=wayland "$driver" > "$work/driver.log" 2>&1 ||
  { cat "$work/driver.log"; fail "on Wayland, maximise or full screen broke the window"; }
start_display
QT_QPA_PLATFORM=xcb "$driver" > "$work/driver.log" 2>&1 ||
  { cat "$work/driver.log"; fail "on X11, maximise or full screen broke the window"; }

echo "PASSED: started natively on Wayland with a fixed-size window (minimum = maximum $min) and"
echo "        drew its ticks; maximise and full-screen requests left the window at its designed"
echo "        size on Wayland and X11"
