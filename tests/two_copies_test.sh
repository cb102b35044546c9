#!/usr/bin/env bash
# Two copies of the program in one folder, each in its own window: copy B saves slots 1 and 2
# (so that its slot 3 may be chosen), copy A starts and saves slot 1 backwards, then B saves
# slot 3. The file keeps A's slot 1, and B's window then has A's slot: loaded there and saved
# into slot 3 again, it gives A's record.
#
# usage: two_copies_test.sh <stopwatch program> <output folder>
set -u

program=$(realpath "$1")
output=$(realpath "${2:-.}")
shot_name=two_copies_failure.png
source "$(dirname "$0")/x11_session.sh"

save_file="$work/fileClockSave.bin"
file_bytes() { od -An -tx1 -v -j "$1" -N "$2" "$save_file" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
saved_flag() { file_bytes $((32 * ($1 - 1) + 30)) 2; }
slot_flag_is() { [ "$(saved_flag "$1")" = "$2" ]; }
# Client-area pixel positions of the controls in window $1 (the design in twips / 15).
click_in() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --sync $((X + $2)) $((Y + HEIGHT - 407 + $3)) click 1
}
other_window() { windows_named '^Stopwatch$' | grep -vx "$1" | grep -m 1 . ; }

start_display
cd "$work" || fail "no work folder"

start_program
copy_b=$main
b_pid=$app_pid
# Side by side: without a window manager both would open at the same place.
xdotool windowmove --sync "$copy_b" 0 0
# Without a window manager nobody moves the keyboard focus to the window clicked.
use_window() { timeout 20 xdotool windowfocus --sync "$1" || fail "could not focus window $1"; }

# B saves slots 1 and 2 forwards.
click_in "$copy_b" 56 112
wait_for 100 slot_flag_is 1 "ff ff" || fail "B's Save did not mark slot 1 saved"
click_in "$copy_b" 40 136
click_in "$copy_b" 56 112
wait_for 100 slot_flag_is 2 "ff ff" || fail "B's Save did not mark slot 2 saved"

QT_QPA_PLATFORM=xcb "$program" >> "$work/program.log" 2>&1 &
a_pid=$!
wait_for 300 other_window "$copy_b" > /dev/null || fail "no second window titled Stopwatch"
copy_a=$(other_window "$copy_b")
xdotool windowmove --sync "$copy_a" 480 300

# A: backwards, Save into slot 1 (the slot chosen at start).
use_window "$copy_a"
click_in "$copy_a" 430 144
click_in "$copy_a" 56 112
a_saved() { [ "$(file_bytes 0 2)" = "ff ff" ]; }
wait_for 100 a_saved || fail "A's Save did not write slot 1 backwards: $(file_bytes 0 32)"
a_record=$(file_bytes 0 32)

# B, still counting forwards with its own slot 1 in memory: slot 3, Save.
use_window "$copy_b"
click_in "$copy_b" 16 104
click_in "$copy_b" 56 112
wait_for 100 slot_flag_is 3 "ff ff" || fail "B's Save did not mark slot 3 saved"
[ "$(file_bytes 0 32)" = "$a_record" ] || fail "B's Save wrote over A's slot 1: $(file_bytes 0 32)"

# B's window follows the file: slot 1 loaded there and saved into slot 3 again is A's record.
click_in "$copy_b" 80 136
click_in "$copy_b" 48 88
click_in "$copy_b" 16 104
click_in "$copy_b" 56 112
slot_3_is_a_record() { [ "$(file_bytes 64 32)" = "$a_record" ]; }
wait_for 100 slot_3_is_a_record ||
  fail "B's window does not have A's slot 1: slot 3 holds $(file_bytes 64 32), A saved $a_record"

kill "$a_pid" "$b_pid"
echo "PASSED: two copies in one folder keep each other's slots, and each window follows the file"
