# Shared by the real-window tests: a private virtual display, waiting, failing with a kept
# screenshot, and following the program's process. Source it after setting `output` (the folder
# for screenshots) and `shot_name`; it fails when Xvfb or xdotool is missing.

for tool in Xvfb xdotool; do
  if ! command -v "$tool" > /dev/null; then
    echo "FAILED: $tool is not installed (scripts/install-deps.sh test)"
    exit 1
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

screenshot() { [ -n "${DISPLAY:-}" ] && import -display "$DISPLAY" -window root "$1" 2> /dev/null; }

fail() {
  echo "FAILED: $*"
  if command -v import > /dev/null && screenshot "$output/$shot_name"; then
    echo "screenshot: $output/$shot_name"
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
no_window_named() { ! windows_named "$1" > /dev/null; }
# True when the window with the keyboard focus has a title starting with $1.
focus_is_on() { [[ $(xdotool getwindowfocus getwindowname 2> /dev/null) == "$1"* ]]; }

# Clicks the main window's client area at pixel ($1, $2), the design's twips / 15. The menu bar
# sits above the 529 x 407 client area.
click_client() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove --sync $((X + $1)) $((Y + HEIGHT - 407 + $2)) click 1
}

# A free display number, chosen by the server itself. -noreset: by default the server resets
# whenever its last client leaves (each xdotool call is a client), and a program connecting
# during that reset is refused.
start_display() {
  Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3> "$work/display" 2> /dev/null &
  xvfb_pid=$!
  wait_for 100 test -s "$work/display" || fail "Xvfb did not start"
  export DISPLAY=":$(cat "$work/display")"
}

# Starts the program in the current folder and waits for its main window; sets `main`.
start_program() {
  QT_QPA_PLATFORM=xcb "$program" >> "$work/program.log" 2>&1 &
  app_pid=$!
  wait_for 300 windows_named '^Stopwatch$' > /dev/null || fail "no window titled Stopwatch within 30 s"
  main=$(windows_named '^Stopwatch$' | head -n 1)
  # Without a window manager nobody else gives the window the keyboard focus.
  timeout 20 xdotool windowfocus --sync "$main" || fail "could not focus the main window"
}

# Presses Ctrl+Q in the main window and checks that the program ends with status 0.
quit_program() {
  xdotool windowfocus --sync "$main" || fail "could not focus the main window for Ctrl+Q"
  xdotool key --clearmodifiers ctrl+q
  wait_for 100 program_ended || fail "Ctrl+Q did not end the program within 10 s"
  wait "$app_pid"
  local status=$?
  app_pid=
  [ "$status" -eq 0 ] || fail "the program ended with status $status, not 0"
}
