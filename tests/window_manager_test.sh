#!/usr/bin/env bash
# The program on a desktop with a window manager (openbox on a private virtual display), where
# windows are minimised, stacked and focused as a person does it:
# - an alarm reached while the Stopwatch window is minimised asks for attention (the window
#   manager's "demands attention" state) until the user comes to the window; an alarm reached
#   while the window is active asks nothing;
# - a minimised About window comes back, in front and with the focus, on Ctrl+A and on
#   Help > About;
# - after the message of System Info (Alt+S), the focus is back on the About window;
# - closing the main window (Alt+F4) while the About window is minimised ends the program.
#
# usage: window_manager_test.sh <stopwatch program> <output folder>
set -u

program=$(realpath "$1")
output=$(realpath "${2:-.}")
watcher=$(realpath "$(dirname "$0")/region_watch.py")
shot_name=window_manager_failure.png
source "$(dirname "$0")/x11_session.sh"
for tool in openbox xprop xwininfo import python3; do
  command -v "$tool" > /dev/null || fail "$tool is not installed (scripts/install-deps.sh test)"
done

wm_pid=
stop_wm() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2> /dev/null
  cleanup
}
trap stop_wm EXIT

# The window manager with its own default settings, never the user's (Alt+F4 closes a window).
# It starts once the main window shows, and takes it over as a window manager starting on a
# running session does: a window that asked to be shown while openbox was still starting could
# be left unmanaged and never shown.
start_window_manager() {
  XDG_CONFIG_HOME="$work/config" openbox --sm-disable > "$work/openbox.log" 2>&1 &
  wm_pid=$!
  wait_for 150 managed "$main" ||
    { cat "$work/openbox.log"; fail "openbox did not take the main window over"; }
}
managed() { xprop -id "$1" _NET_FRAME_EXTENTS | grep -q =; }

# The client area's top left corner on the screen (xdotool's window geometry is off by the
# window manager's frame). The menu bar sits above the 529 x 407 client area.
client_origin() {
  local info
  info=$(xwininfo -id "$main")
  cx=$(awk '/Absolute upper-left X/ {print $4}' <<< "$info")
  cy=$(($(awk '/Absolute upper-left Y/ {print $4}' <<< "$info") + $(awk '/Height:/ {print $2}' <<< "$info") - 407))
}
click() { xdotool mousemove --sync $((cx + $1)) $((cy + $2)) click 1; }

minimised() { xprop -id "$1" WM_STATE | grep -q 'window state: Iconic'; }
shown_normally() { xprop -id "$1" WM_STATE | grep -q 'window state: Normal'; }
demands_attention() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_DEMANDS_ATTENTION; }
focus_on_about() { focus_is_on "About"; }
message_shown() { windows_named "^$app_title\$" > /dev/null; }

# The alarm bell blinks over the dial for about three seconds, on and off every tenth of a second:
# one watcher grabs the dial's middle tens of times a second until it is mostly red, where a
# screenshot each look takes a second on a busy machine and can miss it. Starts it; `bell_seen`
# waits for its answer.
watch_for_bell() {
  coproc watch { python3 "$watcher" $((cx + 150)) $((cy + 80)) 100 70 20 > "$work/watch.log" 2>&1; }
  watch_pid=$watch_PID
  watch_input=${watch[1]}
  wait_for 150 grep -q ready "$work/watch.log" || fail "the screen watcher did not start: $(cat "$work/watch.log")"
}
bell_seen() {
  echo go >&"$watch_input"
  wait "$watch_pid"
}

# Asked of the window manager without xdotool's --sync, which waits for ever when a request is
# not granted: the state is waited for with a deadline instead.
minimise() {
  xdotool windowminimize "$1" || fail "could not minimise $2"
  wait_for 150 minimised "$1" || fail "$2 did not become minimised within 15 s"
}
activate_main() {
  xdotool windowactivate "$main" || fail "could not activate the main window"
  wait_for 150 focus_is_on Stopwatch || fail "the main window did not take the focus within 15 s"
}
# The About window in front with the focus after $1; sets `about`.
expect_about_in_front() {
  wait_for 100 windows_named '^About' > /dev/null || fail "$1 brought no About window"
  about=$(windows_named '^About' | head -n 1)
  wait_for 100 shown_normally "$about" || fail "$1 left the About window minimised"
  wait_for 100 focus_on_about || fail "$1 left the focus on $(xdotool getwindowfocus getwindowname)"
  [ "$(count_windows '^About')" -eq 1 ] || fail "$1 left $(count_windows '^About') About windows"
}

app_title="Bransk - Quorvel - Clock"
start_display
cd "$work" || fail "no work folder"
start_program
start_window_manager
activate_main
client_origin

# The alarm at 0:8, switched on, and the watch reset to 0:0; then the window is minimised long
# before the alarm comes.
click 350 174
click 285 201
xdotool key --clearmodifiers End BackSpace BackSpace BackSpace
xdotool type --delay 50 8
click 456 48
minimise "$main" "the main window"
wait_for 200 demands_attention "$main" ||
  fail "the alarm, reached while the window was minimised, asked for no attention within 20 s"
activate_main
wait_for 100 eval '! demands_attention "$main"' ||
  fail "the window still asks for attention after the user came to it"
# Reset again with the window active: the alarm blinks on screen and asks for nothing.
watch_for_bell
click 456 48
bell_seen || fail "the alarm bell did not show within 20 s of the reset ($(tail -n 1 "$work/watch.log"))"
demands_attention "$main" && fail "the alarm asked for attention while its window was active"

# Ctrl+A and Help > About bring a minimised About window back in front with the focus.
xdotool key --clearmodifiers ctrl+a
expect_about_in_front "Ctrl+A"
minimise "$about" "the About window"
activate_main
xdotool key --clearmodifiers ctrl+a
expect_about_in_front "Ctrl+A with the About window minimised"
minimise "$about" "the About window"
activate_main
click 50 -9                 # Help, on the menu bar
xdotool key Down Return     # its only item, About
expect_about_in_front "Help > About with the About window minimised"

# System Info's message, closed, leaves the focus where it was: on the About window.
xdotool key --clearmodifiers alt+s
wait_for 100 message_shown ||
  fail "Alt+S showed no message titled $app_title (a system monitor installed here starts instead)"
wait_for 100 focus_is_on "$app_title" || fail "the message did not take the focus"
xdotool key Return
wait_for 100 eval '! message_shown' || fail "Return did not close the message"
wait_for 100 focus_on_about ||
  fail "after the message the focus went to $(xdotool getwindowfocus getwindowname), not About"

# Closing the main window ends the program, although the About window is still loaded.
minimise "$about" "the About window"
activate_main
xdotool key --clearmodifiers alt+F4
wait_for 100 program_ended ||
  fail "closing the main window with the About window minimised left the program running"
wait "$app_pid"
status=$?
app_pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status, not 0"

echo "PASSED: under openbox, the alarm asked for attention while minimised and stopped when the"
echo "        window was activated, and asked nothing while active; a minimised About window came"
echo "        back in front with the focus on Ctrl+A and Help > About, got the focus back after its"
echo "        message; closing the main window with About minimised ended the program (status 0)"
