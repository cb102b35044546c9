#!/usr/bin/env bash
# The built program in a real X session (a virtual display): it starts in an empty folder and
# creates its (empty) save file there, its window is found by title, Ctrl+A twice opens exactly
# one About window, whose Alt+S answers with a message or the system monitor; Ctrl+A opens one
# About window from each text field too, and Ctrl+Q from a text field ends the program with exit
# status 0. On failure a screenshot of the display is kept in the output
# folder.
#
# usage: real_window_test.sh <stopwatch program> <output folder>
set -u

program=$(realpath "$1")
output=$(realpath "${2:-.}")
shot_name=real_window_failure.png
source "$(dirname "$0")/x11_session.sh"

start_display
cd "$work" || fail "no work folder"
start_program
wait_for 50 test -f "$work/fileClockSave.bin" || fail "the save file was not created at start-up"
size=$(stat -c %s "$work/fileClockSave.bin")
[ "$size" -eq 0 ] || fail "the save file made at start-up holds $size bytes; nothing was saved yet"

# The window tells the window system that it keeps its size: no window manager offers to resize
# or maximise it.
hints=$(xprop -id "$main" WM_NORMAL_HINTS)
min=$(sed -n 's/.*minimum size: //p' <<< "$hints")
max=$(sed -n 's/.*maximum size: //p' <<< "$hints")
[ -n "$min" ] && [ "$min" = "$max" ] || fail "the window's size hints allow resizing: $hints"

# Ctrl+A brings the About window to the front, where it takes the keyboard focus; pressed again
# while it is open, it brings back that same window. $1 says where the focus was.
about_opens_once_from() {
  xdotool key --clearmodifiers ctrl+a
  wait_for 100 focus_is_on About || fail "Ctrl+A in $1 brought no About window to the front"
  local about_count
  about_count=$(count_windows '^About')
  [ "$about_count" -eq 1 ] || fail "Ctrl+A in $1 left $about_count About windows, not one"
}
close_about() {
  xdotool windowfocus --sync "$(windows_named '^About' | head -n 1)" || fail "could not focus About"
  xdotool key --clearmodifiers Escape
  wait_for 100 no_window_named '^About' || fail "Esc did not close the About window"
}
focus_field() {
  xdotool windowfocus --sync "$main" || fail "could not focus the main window"
  click_client "$2" "$3"
}

about_opens_once_from "the main window"
xdotool windowfocus --sync "$main" || fail "could not focus the main window again"
about_opens_once_from "the main window, with the About window already open"

# Alt+S presses System Info: a new window comes up, the message that no System Information tool
# is available (the title of the program's message boxes) or the system monitor it found.
about=$(windows_named '^About' | head -n 1)
xdotool windowfocus --sync "$about" || fail "could not focus the About window"
windows_before=$(count_windows '.')
xdotool key --clearmodifiers alt+s
new_window() { [ "$(count_windows '.')" -gt "$windows_before" ]; }
wait_for 50 new_window || fail "Alt+S in the About window brought up no window"
if windows_named '^Bransk - Quorvel - Clock$' > /dev/null; then
  xdotool key --clearmodifiers Return
  wait_for 100 no_window_named '^Bransk - Quorvel - Clock$' || fail "the message did not close"
fi
close_about

# The menu shortcuts win over the text fields' own Ctrl keys (Ctrl+A is "select all" there): the
# alarm boxes, once the alarm is on, and the typing fields of the two preset lists.
focus_field "the alarm On/Off list" 350 174  # "On"
for field in "the alarm minutes box:317:129" "the alarm seconds box:285:201" \
  "the minutes preset list:45:26" "the seconds preset list:108:26"; do
  IFS=: read -r name x y <<< "$field"
  focus_field "$name" "$x" "$y"
  about_opens_once_from "$name"
  close_about
done

focus_field "the alarm seconds box" 285 201
quit_program
echo "PASSED: window found, one About window from the window and from every text field, Alt+S"
echo "        answered, Ctrl+Q from a text field ended the program with status 0"
