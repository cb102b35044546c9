#!/usr/bin/env bash
# stopwatch.exe under Wine as a person uses it, on a virtual X display of its own (Wine's windows
# are X windows): clicks and keys at the controls' places, the screen and the save file checked
# after each step. The program runs in a folder whose name is not ASCII. Keeps a screenshot in
# the output folder when something is off, and one of the window in any case.
#
# A screen reader's view comes from another process through the system's accessibility calls.
#
# usage: stopwatch_exe_test.sh <stopwatch.exe> <sysinfo_probe.exe> <accessibility_reader.exe>
#        <build folder> <output folder>
set -u

program=$(realpath "$1")
probe=$(realpath "$2")
reader=$(realpath "$3")
build=$(realpath "$4")
output=$(realpath "${5:-.}")
wine_run=$(realpath "$(dirname "$0")/../../cmake/wine-run.sh")
watcher=$(realpath "$(dirname "$0")/../region_watch.py")
shot_name=stopwatch_exe_failure.png
source "$(dirname "$0")/../x11_session.sh"
for tool in wine import convert python3; do
  command -v "$tool" > /dev/null || fail "$tool is not installed (scripts/install-deps.sh test)"
done

folder="$work/Zeit für Tee – 計時"
save_file="$folder/fileClockSave.bin"
file_size() { stat -c %s "$save_file" 2> /dev/null || echo missing; }
file_bytes() { od -An -tx1 -v -j "$1" -N "$2" "$save_file" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
size_is() { [ "$(file_size)" = "$1" ]; }

# Wine takes seconds to start a program, far more on a busy machine.
start_exe() {
  "$wine_run" --keep-display "$program" >> "$work/program.log" 2>&1 &
  app_pid=$!
  wait_for 900 windows_named '^Stopwatch$' > /dev/null || fail "no window titled Stopwatch"
  main=$(windows_named '^Stopwatch$' | head -n 1)
  xdotool windowfocus --sync "$main" || fail "could not focus the main window"
  eval "$(xdotool getwindowgeometry --shell "$main")"
  cx=$X
  cy=$((Y + HEIGHT - 407))  # the menu bar sits above the 529 x 407 client area
}
click() {
  xdotool windowfocus --sync "$main" 2> /dev/null
  xdotool mousemove --sync $((cx + $1)) $((cy + $2)) click 1
}

# Parts of the screen, client-area pixels (the design's twips / 15): the share of pixels in a box
# that are the colour asked for.
share_of() {  # share_of <colour test> <width> <height> <left> <top>
  screenshot "$work/screen.png" || return 1
  convert "$work/screen.png" -crop "$2x$3+$((cx + $4))+$((cy + $5))" +repage \
    -fx "$1" -format '%[fx:mean]' info:
}
more_than() { awk -v s="$1" -v t="$2" 'BEGIN { exit !(s > t) }'; }
green='g > 0.5 && r < 0.3 && b < 0.3'
dark='r < 0.3 && g < 0.3 && b < 0.3'
stop_button_green() { more_than "$(share_of "$green" 60 12 418 6)" 0.5; }
# The second hand (black) just right of 12 o'clock, the first seconds after a reset, beside the
# red minute hand; just left of 6 o'clock, half a minute in. The dial's centre is at (200, 133).
hand_near_top() { more_than "$(share_of "$dark" 26 40 202 70)" 0.005; }
hand_near_bottom() { more_than "$(share_of "$dark" 23 50 180 143)" 0.005; }
# The red minute hand at 3 o'clock, a quarter of an hour in; it moves too slowly to pass there
# while it is looked for.
minute_hand_at_three() { more_than "$(share_of 'r > 0.6 && g < 0.3 && b < 0.3' 50 16 205 125)" 0.05; }
# The alarm bell over the dial: the dial's middle mostly red.
alarm_picture_shown() { more_than "$(share_of 'r - g' 100 70 150 80)" 0.25; }
alarm_picture_hidden() { ! alarm_picture_shown; }
dial() { screenshot "$work/screen.png" && convert "$work/screen.png" -crop "140x140+$((cx + 133))+$((cy + 61))" +repage rgb:- | md5sum; }
dial_moves() { [ "$(dial)" != "$1" ]; }
# True when the dial stays as it is for three seconds, three ticks of a running watch.
dial_stays() {
  local first
  first=$(dial)
  for _ in $(seq 15); do
    [ "$(dial)" = "$first" ] || return 1
    sleep 0.2
  done
}

start_display
mkdir -p "$folder" && cd "$folder" || fail "could not make the folder $folder"

# The window: title, client size, the Stop button green at its place, the save file made empty.
start_exe
[ "$WIDTH" -eq 529 ] && [ "$HEIGHT" -gt 407 ] && [ "$HEIGHT" -le 437 ] ||
  fail "the window is ${WIDTH}x${HEIGHT}: not a 529 x 407 client area under a menu bar"
wait_for 100 test -f "$save_file" || fail "the save file was not created in the current folder"
[ "$(file_size)" = 0 ] || fail "the new save file holds $(file_size) bytes, not 0"
wait_for 100 stop_button_green || fail "no green Stop button at the top right"
screenshot "$output/stopwatch_exe_window.png"

# What a screen reader gets from another process: the reading as words on the dial, each
# control's role and name, and Start/Stop saying whether the watch runs.
read_tree() { "$wine_run" --keep-display "$reader" Stopwatch > "$work/tree.txt" 2>&1; }
tree_has() { grep -qP "$1" "$work/tree.txt"; }
reading='^static text\t((minus )?\d+ minutes? (minus )?\d+ seconds?)\t\1\tReading of the stopwatch$'
spoken_reading() { grep -P "$reading" "$work/tree.txt" | cut -f 2; }
read_tree || fail "the accessibility reader could not read the window: $(cat "$work/tree.txt")"
for line in "$reading" '^radio button\tCount backwards\t' '^check button\tDigital Clock On\t' \
  '^slider\tColour target: Second Hand\t' '^push button\tStop the stopwatch\t\tThe stopwatch is running$'; do
  tree_has "$line" || fail "the reader found no line like $line in: $(cat "$work/tree.txt")"
done
first_reading=$(spoken_reading)
reading_moves() { read_tree && [ -n "$(spoken_reading)" ] && [ "$(spoken_reading)" != "$first_reading" ]; }
wait_for 100 reading_moves || fail "the reader's reading stayed at $first_reading"

# The second hand moves; Stop stops it, Start starts it again.
before=$(dial)
wait_for 50 dial_moves "$before" || fail "the dial did not change within 5 s"
click 448 12  # Stop
wait_for 20 dial_stays || fail "the dial still moves after Stop"
stopped=$(dial)
read_tree && tree_has '^push button\tStart the stopwatch\t\tThe stopwatch is stopped$' ||
  fail "after Stop the reader did not hear a stopped watch: $(cat "$work/tree.txt")"
click 448 12  # Start
wait_for 50 dial_moves "$stopped" || fail "the dial did not move again after Start"

# Reset: the hand near 12 o'clock; Preset Now with 30 chosen in the seconds list (opened with
# F4, thirty steps down from 0, Enter): near 6 o'clock; Reset again: near 12.
click 456 48  # Reset
wait_for 50 hand_near_top || fail "Reset did not bring the hand near 12 o'clock"
hand_near_bottom && fail "the hand shows near 12 and near 6 o'clock at once"
click 108 26
xdotool key --clearmodifiers --delay 30 F4 $(printf 'Down %.0s' {1..30}) Return
click 352 44  # Preset Now (its middle: 4800 + 975 / 2, 360 + 615 / 2 twips)
wait_for 50 hand_near_bottom || fail "Preset Now with 30 seconds did not bring the hand near 6 o'clock"
cp "$work/screen.png" "$output/stopwatch_exe_preset.png"
click 456 48  # Reset
wait_for 50 hand_near_top || fail "Reset did not bring the hand back near 12 o'clock"

# Down in the closed minutes list chooses the next item as a click in the list does: fifteen
# from 0 are 15, and Preset Now brings the minute hand to 3 o'clock.
click 44 26
xdotool key --clearmodifiers --delay 30 $(printf 'Down %.0s' {1..15})
click 352 44  # Preset Now
wait_for 50 minute_hand_at_three ||
  fail "Down in the closed minutes list, then Preset Now, did not bring the minute hand to 3 o'clock"
click 456 48  # Reset
wait_for 50 hand_near_top || fail "Reset did not bring the hand back near 12 o'clock"

# The alarm at 0:3, on: after a reset the alarm picture blinks over the dial.
# The alarm switched on from the keyboard: a click on "Off", already chosen, gives the list the
# focus and changes nothing; Up chooses "On", as a click on it does.
click 350 188  # Off
xdotool key --clearmodifiers Up
click 285 201
xdotool key --clearmodifiers End BackSpace BackSpace BackSpace
xdotool type --delay 50 3
# It blinks for about three seconds, on and off every tenth of a second: one watcher keeps
# grabbing the dial's middle, tens of times a second, where a screenshot each look could miss it.
# A reader in another process listens for the alarm's announcement meanwhile.
"$wine_run" --keep-display "$reader" --alert 120 Stopwatch > "$work/alerts.txt" 2>&1 &
alert_pid=$!
wait_for 300 grep -q listening "$work/alerts.txt" || fail "the alert listener did not start: $(cat "$work/alerts.txt")"
coproc watch { python3 "$watcher" $((cx + 150)) $((cy + 80)) 100 70 10 > "$work/watch.log" 2>&1; }
watch_pid=$watch_PID
watch_input=${watch[1]}
wait_for 150 grep -q ready "$work/watch.log" || fail "the screen watcher did not start: $(cat "$work/watch.log")"
click 456 48  # Reset
echo go >&"$watch_input"
wait "$watch_pid" ||
  fail "the alarm picture did not appear within 10 s of the reset ($(tail -n 1 "$work/watch.log"))"
screenshot "$output/stopwatch_exe_alarm.png"
wait_for 50 alarm_picture_hidden || fail "the alarm picture did not go away again: no blinking"
wait "$alert_pid" && grep -qx 'Alarm: 0 minutes 3 seconds' "$work/alerts.txt" ||
  fail "a reader heard no announcement of the alarm: $(cat "$work/alerts.txt")"

# Ctrl+A from the alarm seconds box opens the About window.
click 285 201
xdotool key --clearmodifiers ctrl+a
wait_for 100 windows_named '^About' > /dev/null || fail "Ctrl+A in the alarm seconds box opened no About window"
about=$(windows_named '^About' | head -n 1)

# System Information: started through the registry, or a message when it is not registered.
# The probe is a copy of the test's own, so no other test sees its record.
mkdir -p "$work/probe" && cp "$probe" "$work/probe/sysinfo_probe.exe" || fail "could not copy the probe"
# In the build's own Wine prefix, which wine-run.sh made when it started the program.
in_prefix() { WINEPREFIX="$build/wineprefix" WINEDEBUG=-all LC_ALL=C.UTF-8 "$@"; }
probe_windows=$(in_prefix winepath -w "$work/probe/sysinfo_probe.exe")
[ -n "$probe_windows" ] || fail "winepath gave no Windows path for the probe"
set_sysinfo_keys() {  # set_sysinfo_keys <the PATH value as a .reg file writes it, or - for none>
  printf '%s\r\n' REGEDIT4 '' \
    '[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Shared Tools\MSINFO]' "\"PATH\"=$1" '' \
    '[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Shared Tools Location]' '"MSINFO"=-' > "$work/keys.reg"
  in_prefix wine regedit /S "$(in_prefix winepath -w "$work/keys.reg")" ||
    fail "regedit could not write the System Information keys"
}
press_system_info() {
  xdotool windowfocus --sync "$about" || fail "could not focus the About window"
  xdotool key --clearmodifiers alt+s
}

# A click on the About window's blank middle makes it the active window, and Esc closes it. On a
# busy machine the click can come before the window that had the foreground has let it go, and
# the key then goes to the main window, where Esc does nothing: the two are tried again.
click_about_and_escape() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$about")"
  xdotool mousemove --sync $((X + 300)) $((Y + 100)) click 1
  xdotool key --clearmodifiers Escape
  wait_for 30 no_window_named '^About'
}
close_about() {
  wait_for 5 click_about_and_escape || fail "Esc did not close the About window"
}

message='^Bransk - Quorvel - Clock$'
set_sysinfo_keys -
press_system_info
wait_for 100 windows_named "$message" > /dev/null ||
  fail "with no System Information registered, no message came up"
xdotool windowfocus --sync "$(windows_named "$message" | head -n 1)"
xdotool key --clearmodifiers Return
wait_for 100 no_window_named "$message" || fail "the message did not close on Enter"

set_sysinfo_keys "\"${probe_windows//\\/\\\\}\""
press_system_info
wait_for 300 test -f "$work/probe/sysinfo_probe.exe.ran" ||
  fail "System Information did not start the program registered under MSINFO"
set_sysinfo_keys -

# The started program took the foreground, as System Information does; a click on the About
# window's blank middle brings it back, and Esc closes it.
close_about

# The alarm while the About window is the active one: the main window asks for attention with
# its task-bar button, and stops asking once it is clicked. Wine passes each on to the window
# manager as a _NET_WM_STATE message (demands attention, and no longer) sent to the root window,
# counted here. The alarm at 0:15 leaves the About window time to come up first. The watch is
# stopped while the time is typed: running, it could pass 0:15 before the Reset.
command -v xev > /dev/null || fail "xev is not installed (scripts/install-deps.sh test)"
xev -root -event substructure > "$work/root_events" 2>&1 &
state_messages() {
  grep -A1 "ClientMessage event.*window $(printf '0x%x' "$main")," "$work/root_events" |
    grep -c '(_NET_WM_STATE)'
}
at_least() { [ "$(state_messages)" -ge "$1" ]; }
click 448 12  # Stop
wait_for 20 dial_stays || fail "the dial still moves after Stop"
click 285 201
xdotool key --clearmodifiers End BackSpace BackSpace BackSpace
xdotool type --delay 50 15
click 456 48  # Reset
click 448 12  # Start
xdotool key --clearmodifiers ctrl+a
wait_for 100 windows_named '^About' > /dev/null || fail "Ctrl+A opened no About window"
about=$(windows_named '^About' | head -n 1)
[ "$(state_messages)" -eq 0 ] || fail "the main window asked for attention before its alarm"
wait_for 300 at_least 1 || fail "the alarm behind the About window asked for no attention"
click 497 398  # a blank place of the main window, beside the About window
wait_for 100 at_least 2 || fail "the main window kept asking for attention once clicked"
close_about

# Down in the alarm list switches the alarm off; Backwards, Save into slot 1: 160 bytes, record
# 1 saying backwards with the alarm off.
click 350 174  # On, already chosen: the list takes the focus
xdotool key --clearmodifiers Down
click 430 144  # Backwards
click 56 112   # Save
wait_for 100 size_is 160 || fail "Save wrote $(file_size) bytes, not 160"
[ "$(file_bytes 0 2)" = "ff ff" ] || fail "record 1 does not say backwards: $(file_bytes 0 32)"
[ "$(file_bytes 2 2)" = "00 00" ] || fail "record 1 does not say the alarm is off: $(file_bytes 0 32)"
[ "$(file_bytes 30 2)" = "ff ff" ] || fail "record 1 is not marked saved: $(file_bytes 0 32)"

# Ctrl+Q from the alarm seconds box ends the program with 0.
click 285 201
xdotool key --clearmodifiers ctrl+q
wait_for 300 program_ended || fail "Ctrl+Q did not end the program within 30 s"
wait "$app_pid"
status=$?
app_pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status, not 0"

# A restart reads the file: it starts forwards, Load brings slot 1's backwards back, and saving
# that into slot 2 writes backwards there.
written=$(od -An -tx1 -v "$save_file")
start_exe
[ "$(od -An -tx1 -v "$save_file")" = "$written" ] || fail "starting again changed the save file"
click 48 88   # Load (slot 1)
click 40 136  # slot 2
click 56 112  # Save
record_2_backwards() { [ "$(file_bytes 32 2)" = "ff ff" ] && [ "$(file_bytes 62 2)" = "ff ff" ]; }
wait_for 100 record_2_backwards ||
  fail "after the restart slot 1 did not load backwards into slot 2: $(od -An -tx1 -v "$save_file")"
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers ctrl+q
wait_for 300 program_ended || fail "Ctrl+Q did not end the restarted program within 30 s"
wait "$app_pid"
status=$?
app_pid=
[ "$status" -eq 0 ] || fail "the restarted program ended with status $status, not 0"

echo "PASSED: title and size, green Stop, hand moving, Start/Stop, Preset Now, Reset, Down in the"
echo "        closed lists, the alarm blinking, Ctrl+A from a text box, System Information started"
echo "        and its message, the alarm asking for attention behind the About window, Save and a"
echo "        restart loading it in a folder named outside ASCII, Ctrl+Q ending with 0"
