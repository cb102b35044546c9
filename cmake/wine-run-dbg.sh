#!/bin/sh
# Runs a Windows program under Wine: wine-run.sh [--own-display | --keep-display] <program.exe>
# [arguments...]. Without a display Wine makes no window at all: --own-display runs the program on
# a private virtual X display of its own (for tests of windows), --keep-display on $DISPLAY.
# The Wine prefix is the build folder's own ("wineprefix" beside CMakeCache.txt, found upwards
# from the program), made on first use; the user's ~/.wine is never touched. Runs that start at
# the same time wait for the one that makes the prefix.
set -eu

display=none
case "${1:-}" in
  --own-display) display=own; shift ;;
  --keep-display) display=keep; shift ;;
esac
program=$1
build=$(cd "$(dirname "$program")" && pwd)
while [ ! -f "$build/CMakeCache.txt" ]; do
  if [ "$build" = / ]; then
    echo "wine-run.sh: $program is not inside a CMake build folder" >&2
    exit 1
  fi
  build=$(dirname "$build")
done

export WINEPREFIX="$build/wineprefix"
export WINEARCH=win64
# File names with characters outside ASCII reach the Linux file system only through a UTF-8
# locale; without one (a bare environment) Wine cannot make such a folder at all.
export LC_ALL=C.UTF-8
# No debug chatter, and no offer to download Mono or Gecko for a prefix that needs neither.
export WINEDEBUG=${DBG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
# Most tests open no windows; without a display Wine never tries to show one. The real-window
# tests bring their own X display, and Wine's windows are X windows on it.
unset WAYLAND_DISPLAY
[ "$display" = keep ] || unset DISPLAY

(
  flock 9
  if [ ! -f "$WINEPREFIX/.made-by-wine-run" ]; then
    rm -rf "$WINEPREFIX"
    wine wineboot --init > /dev/null 2>&1 || true
    wineserver -w  # wineboot returns before the prefix is written out
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "wine-run.sh: could not make the Wine prefix $WINEPREFIX" >&2
      exit 1
    fi
    touch "$WINEPREFIX/.made-by-wine-run"
  fi
  # One server for the whole run, kept 30 s after its last program. A server that ends as soon
  # as its programs do can be ending just when the next test's program connects to it, which
  # fails that test with "recvmsg: Connection reset by peer". The server must not inherit the
  # lock, or every other run would wait for it to end.
  if wineserver -p30 9>&- > /dev/null 2>&1; then
    # A new server (status 2: one was running). Its background services live as long as it
    # does; started by the first program, they would hold that program's output open for 30 s
    # (a pipe's reader, CTest among them, waits for them). wineboot starts them with nothing to
    # hold and returns once they are up. Without the desktop: one started without a display
    # lives on for a second, and a window program started meanwhile can make no window at all.
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES;explorer.exe=d" wine wineboot 9>&- > /dev/null 2>&1 || true
  fi
) 9> "$build/wineprefix.lock"

[ "$display" = own ] || exec wine "$@"

# A display for this program alone, numbered by the server; it goes when the program ends.
if ! command -v Xvfb > /dev/null; then
  echo "wine-run.sh: Xvfb is not installed (scripts/install-deps.sh test)" >&2
  exit 1
fi
display_file=$(mktemp)
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3> "$display_file" 2> /dev/null &
xvfb_pid=$!
trap 'kill $xvfb_pid 2> /dev/null; rm -f "$display_file"' EXIT
for _ in $(seq 100); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
if [ ! -s "$display_file" ]; then
  echo "wine-run.sh: Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=":$(cat "$display_file")"
wine "$@"
