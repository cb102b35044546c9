#!/usr/bin/env bash
# The built program started where there is no display: DISPLAY unset, or naming an X display no
# server answers (and no Wayland display). It says so in one line and ends with status 1: no
# abort, no core file, nothing made in the folder.
#
# usage: no_display_test.sh <stopwatch program>
set -u

program=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
ulimit -c unlimited 2> /dev/null  # where cores are written as files, an abort would leave one

# A display number no server holds: no socket and no lock file for it.
free_display() {
  local number
  while :; do
    number=$((500 + RANDOM % 5000))
    [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] || break
  done
  echo ":$number"
}

failed=0
check() {
  local what=$1
  shift
  local output status lines
  output=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u DISPLAY "$@" "$program" 2>&1)
  status=$?
  lines=$(grep -c . <<< "$output")
  if [ "$status" -ne 1 ] || [ "$lines" -ne 1 ] || ! grep -q "no display could be opened" <<< "$output"; then
    echo "FAILED: with $what the program ended with status $status and said:"
    echo "$output"
    failed=1
  fi
  if [ -n "$(ls -A)" ]; then
    echo "FAILED: with $what the program left files behind: $(ls -A)"
    failed=1
    rm -f ./* ./.[!.]*
  fi
  [ "$failed" -eq 0 ] && echo "with $what: $output"
}

check "DISPLAY unset"
check "DISPLAY naming no server" DISPLAY="$(free_display)"
check "Qt told to use X, DISPLAY naming no server" QT_QPA_PLATFORM=xcb DISPLAY="$(free_display)"
[ "$failed" -eq 0 ] || exit 1
echo "PASSED: no display: one line, status 1, no core file"
