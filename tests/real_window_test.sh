#!/usr/bin/env bash
# The built program in a real X session (a virtual display): it starts in an empty folder and
# creates its (empty) save file there, its window is found by title, Ctrl+A twice opens exactly
# one About window, whose Alt+S answers with a message or the system monitor, and Ctrl+Q ends
# the program with exit status 0. On failure a screenshot of the display is kept in the output
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

xdotool key --clearmodifiers ctrl+a
wait_for 50 windows_named '^About' > /dev/null || fail "Ctrl+A opened no About window"
xdotool windowfocus --sync "$main" || fail "could not focus the main window again"
xdotool key --clearmodifiers ctrl+a
sleep 1
about_count=$(count_windows '^About')
[ "$about_count" -eq 1 ] || fail "Ctrl+A twice left $about_count About windows, not one"

# Alt+S presses System Info: a new window comes up, the message that no System Information tool
# is available (the title of the program's message boxes) or the system monitor it found.
about=$(windows_named '^About' | head -n 1)
xdotool windowfocus --sync "$about" || fail "could not focus the About window"
windows_before=$(count_windows '.')
xdotool key --clearmodifiers alt+s
new_window() { [ "$(count_windows '.')" -gt "$windows_before" ]; }
wait_for 50 new_window || fail "Alt+S in the About window brought up no window"
if windows_named '^Bransk - Quorvel - Clock$' > /dev/null; then xdotool key --clearmodifiers Return; fi

quit_program
echo "PASSED: window found, one About window, Alt+S answered, Ctrl+Q ended the program with status 0"
