#!/usr/bin/env bash
# Formats the C++ sources with the project's .clang-format.
#   scripts/format.sh           rewrites every file that differs
#   scripts/format.sh --check   changes nothing; lists the files that differ and fails if any do
set -euo pipefail
cd "$(dirname "$0")/.."

# A listing git refuses (not a clone, or one owned by another user) or an empty one fails: a
# check that found nothing to check has checked nothing.
listing=$(git ls-files '*.cpp' '*.h') || { echo "Format: git could not list the C++ files." >&2; exit 1; }
[ -n "$listing" ] || { echo "Format: found no C++ files to check." >&2; exit 1; }
mapfile -t sources <<< "$listing"
if [ "${1:-}" != --check ]; then
  clang-format -i "${sources[@]}"
  exit 0
fi
differ=()
for file in "${sources[@]}"; do
  clang-format "$file" | cmp -s - "$file" || differ+=("$file")
done
if [ ${#differ[@]} -gt 0 ]; then
  echo "Not formatted (scripts/format.sh fixes them):"
  printf '  %s\n' "${differ[@]}"
  exit 1
fi
echo "Format: all ${#sources[@]} C++ files match .clang-format."
