#!/usr/bin/env bash
# Installs what is missing, builds the stopwatch and starts it in the folder this was called
# from, where the program keeps its save file, fileClockSave.bin.
set -euo pipefail
clone=$(cd "$(dirname "$0")/.." && pwd)
"$clone/scripts/install-deps.sh" run
(cd "$clone" && cmake --preset app && cmake --build --preset app -j"$(nproc)" --target stopwatch)
exec "$clone/build/app/app/stopwatch"
