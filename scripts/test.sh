#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
scripts/format.sh --check
cmake --preset release
cmake --build --preset release -j"$(nproc)"
ctest --preset release -j"$(nproc)"
# The headless tests again, under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake --preset sanitize
cmake --build --preset sanitize -j"$(nproc)"
ctest --preset sanitize -j"$(nproc)"
# The Windows libraries and their tests: cross-built with MinGW-w64, run under Wine.
cmake --preset windows
cmake --build --preset windows -j"$(nproc)"
ctest --preset windows -j"$(nproc)"
