#!/usr/bin/env bash
# The stopwatch as a screen reader meets it: the real program on a private virtual display, with
# a private session bus and the real accessibility bus (at-spi2-core), read and driven through
# AT-SPI by accessibility_test.py. Fails, never skips, when any piece of that is missing.
#
# usage: accessibility_test.sh <stopwatch program> <output folder>
set -u

program=$(realpath "$1")
output=$(realpath "${2:-.}")
shot_name=accessibility_failure.png
here=$(dirname "$(realpath "$0")")
source "$(dirname "$0")/x11_session.sh"

python=/usr/bin/python3  # the system's, which has the AT-SPI bindings
for need in /usr/bin/dbus-run-session /usr/libexec/at-spi-bus-launcher \
  /usr/libexec/at-spi2-registryd "$python"; do
  [ -x "$need" ] || { echo "FAILED: $need is missing (scripts/install-deps.sh test)"; exit 1; }
done
"$python" -c 'import pyatspi' 2> /dev/null ||
  { echo "FAILED: python3-pyatspi is missing (scripts/install-deps.sh test)"; exit 1; }

start_display
mkdir -p "$work/runtime" "$work/run"
chmod 700 "$work/runtime"
cd "$work/run" || fail "no working folder"
# A private session bus for this test alone; the accessibility bus is started on it on demand.
XDG_RUNTIME_DIR="$work/runtime" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb \
  NO_AT_BRIDGE=0 /usr/bin/dbus-run-session -- \
  "$python" "$here/accessibility_test.py" "$program" "$work/program.log" "$output/$shot_name" ||
  { echo "FAILED: the stopwatch as a screen reader meets it"; exit 1; }
echo "PASSED"
