#!/usr/bin/env bash
# The whole program as a person uses it, in a real X session: clicks and keys at the controls'
# places, and the save file and the screen checked after each step. Keeps its screenshots in
# the output folder when something is off.
#
# usage: end_to_end_test.sh <stopwatch program> <screen_region_watch program> <output folder>
set -u

program=$(realpath "$1")
watcher=$(realpath "$2")
output=$(realpath "${3:-.}")
shot_name=end_to_end_failure.png
source "$(dirname "$0")/x11_session.sh"

save_file="$work/fileClockSave.bin"
file_size() { stat -c %s "$save_file" 2> /dev/null || echo missing; }
# The file's bytes from offset $1, $2 of them, as hex pairs separated by blanks.
file_bytes() { od -An -tx1 -v -j "$1" -N "$2" "$save_file" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
saved_flag() { file_bytes $((32 * ($1 - 1) + 30)) 2; }
# The checks below wait for the program to answer the clicks before them: X delivers the clicks
# in order, but a busy machine may take a while to handle them.
size_is() { [ "$(file_size)" = "$1" ]; }
slot_flag_is() { [ "$(saved_flag "$1")" = "$2" ]; }
every_slot_flag_is() {
  local slot
  for slot in 1 2 3 4 5; do slot_flag_is $slot "$1" || return 1; done
}

# Client-area pixel positions of the controls (the window's design in twips / 15).
client_origin() {
  eval "$(xdotool getwindowgeometry --shell "$main")"
  cx=$X
  cy=$((Y + HEIGHT - 407))  # the menu bar sits above the 529 x 407 client area
}
click() {
  xdotool mousemove --sync $((cx + $1)) $((cy + $2)) click 1
}
click_backwards() { click 430 144; }
click_reset() { click 456 48; }
click_save() { click 56 112; }
click_slot() {
  case $1 in
    1) click 80 136 ;;
    2) click 40 136 ;;
  esac
}
click_clear_saved() { click 14 152; }
click_alarm_on() { click 350 174; }
type_alarm_seconds() {
  click 285 201
  xdotool key --clearmodifiers End BackSpace BackSpace BackSpace
  xdotool type --delay 50 "$1"
}

start_display
cd "$work" || fail "no work folder"

# First start: an empty save file appears.
start_program
client_origin
wait_for 50 test -f "$save_file" || fail "the save file was not created at start-up"
[ "$(file_size)" = 0 ] || fail "the new save file holds $(file_size) bytes, not 0"

# Backwards, then Save into slot 1.
click_backwards
click_save
wait_for 100 size_is 160 || fail "Save wrote $(file_size) bytes, not 160"
[ "$(file_bytes 0 2)" = "ff ff" ] || fail "record 1 does not say backwards: $(file_bytes 0 32)"
[ "$(saved_flag 1)" = "ff ff" ] || fail "record 1 is not marked saved: $(file_bytes 0 32)"
[ "$(file_bytes 32 32)" = "$(printf '00 %.0s' {1..32} | sed 's/ $//')" ] ||
  fail "record 2 was written although only slot 1 was saved"

# Slot 2, Save: record 2 filled.
click_slot 2
click_save
wait_for 100 slot_flag_is 2 "ff ff" || fail "record 2 is not saved: $(file_bytes 32 32)"
[ "$(file_bytes 32 30)" = "$(file_bytes 0 30)" ] || fail "record 2 differs from the settings saved in 1"
before_clear=$(od -An -tx1 -v "$save_file")

# Clear Saved: every saved flag cleared, every other byte kept.
click_clear_saved
wait_for 100 every_slot_flag_is "00 00" || fail "Clear Saved left a slot marked saved: $(od -An -tx1 -v "$save_file")"
for slot in 1 2 3 4 5; do
  offset=$((32 * (slot - 1)))
  expected=$(echo "$before_clear" | tr -s ' \n' ' ' | cut -d' ' -f$((offset + 2))-$((offset + 31)))
  [ "$(file_bytes $offset 30)" = "$expected" ] || fail "Clear Saved changed more than slot $slot's flag"
done

# Slots 1 and 2 saved again, then the program ends and starts once more in the same folder.
click_save
click_slot 2
click_save
quit_program
written=$(od -An -tx1 -v "$save_file")
start_program
client_origin
[ "$(od -An -tx1 -v "$save_file")" = "$written" ] || fail "starting again changed the save file"
# Slot 2 can be chosen: saving the fresh start's settings (forwards) into it rewrites record 2,
# not record 1, which still says backwards.
click_slot 2
click_save
record_2_forwards() { [ "$(file_bytes 32 2)" = "00 00" ] && [ "$(file_bytes 0 2)" = "ff ff" ]; }
wait_for 100 record_2_forwards ||
  fail "after the second start slot 2 could not be chosen: $(od -An -tx1 -v "$save_file")"

# The alarm at 0:3, switched on: the alarm picture shows after a reset. It blinks for about three
# seconds from 0:3, on and off every tenth of a second: one watcher keeps grabbing the middle of
# the dial, tens of times a second, until it is mostly red (the bell covers it).
click_alarm_on
type_alarm_seconds 3
coproc watch {
  QT_QPA_PLATFORM=xcb "$watcher" $((cx + 150)) $((cy + 80)) 100 70 10 "$output/end_to_end_alarm.png" > "$work/watch.log" 2>&1
}
watch_pid=$watch_PID
watch_input=${watch[1]}
wait_for 150 grep -q ready "$work/watch.log" || fail "the screen watcher did not start: $(cat "$work/watch.log")"
click_reset
echo go >&"$watch_input"
wait "$watch_pid" ||
  fail "the alarm picture did not appear within 10 s of the reset to 0:0 ($(tail -n 1 "$work/watch.log"))"

quit_program
echo "PASSED: save file made empty, slots saved and cleared byte for byte, read again at the second start,"
echo "        the alarm picture shown on screen ($(tail -n 1 "$work/watch.log")),"
echo "        Ctrl+Q ended the program with status 0"
