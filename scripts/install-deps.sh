#!/usr/bin/env bash
# Installs the Debian packages the stopwatch needs, and nothing when they are all there already.
#   scripts/install-deps.sh run    what building and running the program needs
#   scripts/install-deps.sh test   that, plus everything the tests and the fuzz runs need
set -euo pipefail

run_packages=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev libxkbcommon-dev libxcb1-dev
)
test_packages=(
  git clang-format qt6-base-dev-tools
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool x11-utils imagemagick fonts-dejavu-core
  desktop-file-utils appstream
  clang libfuzzer-14-dev libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix wine wine64 googletest
  weston qt6-wayland openbox
  at-spi2-core python3-pyatspi dbus-daemon
)

case "${1:-}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo > /dev/null; then
    # Only the installing needs root: a build made as root is root's, and you could not write it.
    echo "Missing packages: ${missing[*]}." >&2
    echo "Install them as root with this step alone: su -c '$(realpath "$0") $1'" >&2
    echo "(or install sudo), then build and run as yourself." >&2
    exit 1
  fi
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
