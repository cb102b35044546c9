#!/usr/bin/env bash
# Installs what is missing, builds the stopwatch and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
cmake --preset app
cmake --build --preset app -j"$(nproc)" --target stopwatch
exec build/app/app/stopwatch
