#!/usr/bin/env bash
# The built program in a real X session (a virtual display): it starts in an empty folder and
# creates its (empty) save file there, its window is found by title, Ctrl+A twice opens exactly
# one About window, and Ctrl+Q ends the program with exit status 0. On failure a screenshot of
# the display is kept in the output folder.
#
# usage: real_window_test.sh <stopwatch program> <output folder>
set -u

program=$(realpath "$1")
output=$(realpath "${2:-.}")

for tool in Xvfb xdotool; do
  if ! command -v "$tool" > /dev/null; then
    echo "SKIPPED: $tool is not installed (apt-get install xvfb xdotool)"
    exit 77
  fi
done

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2> /dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*"
  if command -v import > /dev/null; then
    import -display "$DISPLAY" -window root "$output/real_window_failure.png" 2> /dev/null &&
      echo "screenshot: $output/real_window_failure.png"
  fi
  [ -s "$work/program.log" ] && { echo "--- program output"; cat "$work/program.log"; }
  exit 1
}

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
  local tries=$1
  shift
  for ((i = 0; i < tries; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# True once the program has ended (it may linger as a zombie until it is waited for).
program_ended() {
  local state
  state=$(ps -o stat= -p "$app_pid" 2> /dev/null)
  [ -z "$state" ] || [[ $state == Z* ]]
}

windows_named() { xdotool search --onlyvisible --name "$1" 2> /dev/null; }
count_windows() { windows_named "$1" | grep -c . ; }

# A free display number, chosen by the server itself.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$work/display" 2> /dev/null &
xvfb_pid=$!
wait_for 100 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

cd "$work" || fail "no work folder"
QT_QPA_PLATFORM=xcb "$program" > "$work/program.log" 2>&1 &
app_pid=$!

wait_for 150 windows_named '^Stopwatch$' > /dev/null || fail "no window titled Stopwatch"
main=$(windows_named '^Stopwatch$' | head -n 1)
wait_for 50 test -f "$work/fileClockSave.bin" || fail "the save file was not created at start-up"
size=$(stat -c %s "$work/fileClockSave.bin")
[ "$size" -eq 0 ] || fail "the save file made at start-up holds $size bytes; nothing was saved yet"

# No window manager runs, so the test gives the window the keyboard focus itself.
xdotool windowfocus --sync "$main" || fail "could not focus the main window"
xdotool key --clearmodifiers ctrl+a
wait_for 50 windows_named '^About' > /dev/null || fail "Ctrl+A opened no About window"
xdotool windowfocus --sync "$main" || fail "could not focus the main window again"
xdotool key --clearmodifiers ctrl+a
sleep 1
about_count=$(count_windows '^About')
[ "$about_count" -eq 1 ] || fail "Ctrl+A twice left $about_count About windows, not one"

xdotool windowfocus --sync "$main" || fail "could not focus the main window for Ctrl+Q"
xdotool key --clearmodifiers ctrl+q
wait_for 100 program_ended || fail "Ctrl+Q did not end the program within 10 s"
wait "$app_pid"
status=$?
app_pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status, not 0"

echo "PASSED: window found, one About window, Ctrl+Q ended the program with status 0"
