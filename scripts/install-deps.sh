#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages the stopwatch needs to build, run and test, and nothing
# when they are all there already.
set -euo pipefail

packages=(
  build-essential cmake git pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libgl1-mesa-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool x11-utils imagemagick fonts-dejavu-core
  desktop-file-utils appstream
  clang libfuzzer-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
