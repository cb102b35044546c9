#!/usr/bin/env bash
# Installs the built .deb on a clean Debian 12 made with debootstrap (minbase, nothing else) and
# starts it on a virtual display there: the package must bring everything the program needs.
# Needs root, debootstrap and network access to the Debian mirror; takes a few minutes.
#
# usage: packaging/check_clean_install.sh <stopwatch_*.deb> [folder for the clean system]
set -euo pipefail

deb=$(realpath "$1")
root=${2:-$(mktemp -d /tmp/clean-debian-XXXXXX)}

if [ ! -x "$root/bin/bash" ]; then
  debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian > "$root.log" 2>&1
fi
cleanup() { umount "$root/proc" 2> /dev/null || true; }
trap cleanup EXIT
mount -t proc proc "$root/proc"

cp "$deb" "$root/tmp/stopwatch.deb"
chroot "$root" /bin/bash -euo pipefail -c '
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q > /dev/null
  apt-get install -y -q /tmp/stopwatch.deb > /tmp/install.log
  apt-get install -y -q --no-install-recommends xvfb xdotool > /dev/null   # only to look at it
  Xvfb :9 -screen 0 800x600x24 -nolisten tcp 2> /dev/null &
  export DISPLAY=:9
  mkdir -p /tmp/run && cd /tmp/run
  sleep 1
  stopwatch > /tmp/run/log 2>&1 &
  for i in $(seq 50); do
    xdotool search --onlyvisible --name "^Stopwatch$" > /dev/null 2>&1 && break
    sleep 0.2
  done
  xdotool search --onlyvisible --name "^Stopwatch$" > /dev/null ||
    { echo "FAILED: no Stopwatch window"; cat /tmp/run/log; exit 1; }
  test -f /tmp/run/fileClockSave.bin || { echo "FAILED: no save file"; exit 1; }
  dpkg -s stopwatch | grep -E "^(Version|Depends)"
  echo "PASSED: installed on a clean Debian 12 and started: window \"Stopwatch\" shown"
'
