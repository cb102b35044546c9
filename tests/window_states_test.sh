#!/usr/bin/env bash
# The window that keeps its size, on Wayland and on X11. Under a private weston (shown on a
# virtual X display), the program starts natively on Wayland and tells the compositor that its
# window keeps its size (the same minimum and maximum); a click on its title bar's maximise
# button leaves it running, its client area where it was. Then the window-states driver asks the
# Stopwatch window to maximise and to fill the screen, on Wayland and on X11, and checks that it
# comes back at its designed size and keeps running.
#
# usage: window_states_test.sh <stopwatch program> <window states driver> <output folder>
set -u

program=$(realpath "$1")
driver=$(realpath "$2")
output=$(realpath "${3:-.}")
shot_name=window_states_failure.png
source "$(dirname "$0")/x11_session.sh"
for tool in weston convert; do
  command -v "$tool" > /dev/null || fail "$tool is not installed (scripts/install-deps.sh test)"
done

weston_pid=
stop_weston() {
  [ -n "$weston_pid" ] && kill "$weston_pid" 2> /dev/null
  cleanup
}
trap stop_weston EXIT

# A compositor of our own, its socket in a private runtime folder, showing its output in a
# window on the virtual X display so that xdotool can reach the title bars it holds.
start_display
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=x11-backend.so --width=800 --height=600 --socket=stopwatch-test \
  --idle-time=0 > "$work/weston.log" 2>&1 &
weston_pid=$!
wait_for 150 test -S "$XDG_RUNTIME_DIR/stopwatch-test" ||
  { cat "$work/weston.log"; fail "weston did not start"; }
# Weston's output window (800 x 600) puts its pointer where the X pointer enters it, and does
# not follow every later move. The pointer waits on its desktop's top right corner, clear of
# where weston puts the program's window, so that the window does not open under it.
xdotool mousemove --sync 1000 750 mousemove --sync 780 80

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
logged_after() { sed -n "/$1/,\$p" "$work/program.log" | grep -q "$2"; }
wait_for 150 logged 'set_title("Stopwatch")' ||
  fail_on_wayland "no Wayland window titled Stopwatch (is qt6-wayland installed?)"
last_size() {
  grep -o "xdg_toplevel@[0-9]*\.set_$1_size([0-9]*, [0-9]*)" "$work/program.log" | tail -n 1 |
    grep -o '([^)]*)'
}
min=$(last_size min)
max=$(last_size max)
[ -n "$min" ] && [ "$min" = "$max" ] && [ "$min" != "(0, 0)" ] ||
  fail_on_wayland "on Wayland the window does not say it keeps its size: minimum $min, maximum $max"

# Preset Now's face is the only pure red (0xFF0000) rectangle in the window, besides the minute
# hand to its left and below it: the corner up and right of every pure red pixel is its face's,
# 382 x 26 in the client area. Sets `cx` and `cy` to the client area's place on the screen.
find_client_area() {
  screenshot "$work/screen.png" || return 1
  local box
  box=$(convert "$work/screen.png" -fill black +opaque '#ff0000' -fill white -opaque '#ff0000' \
    -format '%@' info: 2> /dev/null) || return 1
  [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || return 1
  cx=$((BASH_REMATCH[3] + BASH_REMATCH[1] - 1 - 382))
  cy=$((BASH_REMATCH[4] - 26))
  [ "${BASH_REMATCH[1]}" -gt 60 ] && [ "${BASH_REMATCH[2]}" -gt 35 ]  # the face is all there
}
wait_for 150 find_client_area || fail_on_wayland "the Stopwatch window did not show on Wayland"
placed="$cx,$cy"

# The maximise button of the title bar Qt draws on Wayland: 40 pixels left of the window's right
# edge (3 pixels of border right of the client area), 15 below its top (30 pixels of title bar
# and the menu bar's 17 above the client area).
button_x=$((529 + 3 - 40))
button_y=15
# True when the window last heard of the pointer over the button, in its own coordinates.
pointer_on_button() {
  local last
  last=$(grep -oE 'wl_pointer@[0-9]+\.(enter|motion|leave)\([^)]*\)' "$work/program.log" | tail -n 1)
  [[ $last =~ ([-0-9]+)\.[0-9]+,\ ([-0-9]+)\.[0-9]+\)$ ]] || return 1
  local dx=$((BASH_REMATCH[1] - button_x)) dy=$((BASH_REMATCH[2] - button_y))
  ((dx * dx + dy * dy <= 25))
}
# The pointer leaves weston's output and enters it again right at the button.
for ((try = 0; try < 5; try++)); do
  xdotool mousemove --sync 1000 750 mousemove --sync $((cx + button_x)) $((cy - 47 + button_y))
  wait_for 20 pointer_on_button && break
done
pointer_on_button || fail_on_wayland "the pointer never reached the title bar's maximise button"
xdotool click 1
wait_for 100 logged 'set_maximized()' ||
  fail_on_wayland "pressing the title bar's maximise button sent no maximise request"
# Asked back to normal, its size fixed again once it is, and drawn again at that size.
back_and_drawn() {
  logged_after 'set_maximized()' "set_max_size$min" &&
    logged_after "set_max_size$min" 'wl_surface@[0-9]*\.commit'
}
wait_for 100 back_and_drawn || program_ended ||
  fail_on_wayland "after the maximise request the window did not come back to its size"
program_ended && fail_on_wayland "the program ended after the maximise request"
wait_for 50 find_client_area || fail_on_wayland "the window is not shown after the maximise request"
[ "$cx,$cy" = "$placed" ] || fail_on_wayland "the client area moved from $placed to $cx,$cy"
program_ended && fail_on_wayland "the program ended after the maximise request"
kill "$app_pid"
wait "$app_pid" 2> /dev/null
app_pid=

# The driver on Wayland, then on X11.
WAYLAND_DISPLAY=stopwatch-test QT_QPA_PLATFORM=wayland "$driver" > "$work/driver.log" 2>&1 ||
  { cat "$work/driver.log"; fail "on Wayland, maximise or full screen broke the window"; }
QT_QPA_PLATFORM=xcb "$driver" > "$work/driver.log" 2>&1 ||
  { cat "$work/driver.log"; fail "on X11, maximise or full screen broke the window"; }

echo "PASSED: started natively on Wayland with a fixed-size window (minimum = maximum $min), its"
echo "        title bar's maximise button left it running at its size and place; maximise and full"
echo "        screen requests left the window at its designed size on Wayland and X11"
