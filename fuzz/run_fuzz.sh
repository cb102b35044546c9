#!/usr/bin/env bash
# Builds the save-file fuzz target with clang in a build folder of its own and runs it for a
# bounded time.
#   fuzz/run_fuzz.sh [build-folder] [seconds]      (defaults: build/fuzz, 20)
# Fails where clang or libFuzzer is not installed: a fuzz run that cannot start is no pass.
set -euo pipefail

here=$(cd "${0%/*}" && pwd)
source_dir=${here%/*}
build_dir=${1:-$source_dir/build/fuzz}
seconds=${2:-20}

missing() {
  echo "FAILED: $* (scripts/install-deps.sh test installs it)"
  exit 1
}

command -v clang++ >/dev/null || missing "clang++ is not installed"
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
  > "$probe/probe.cpp"
clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null ||
  missing "clang++ cannot link libFuzzer"

cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DSTOPWATCH_BUILD_FUZZ=ON -DSTOPWATCH_BUILD_TESTS=OFF
cmake --build "$build_dir" -j2 --target save_file_fuzz

# Seeds: an empty file, one cut inside slot 2, the default record marked saved in slot 1, and a
# file with bytes beyond the five records.
corpus="$build_dir/corpus/save_file"
mkdir -p "$corpus"
: > "$corpus/empty"
head -c 40 /dev/zero | tr '\0' '\377' > "$corpus/short"
{
  printf '\0\0\0\0\0\0\0\0\377\377\0\0\0\0\377\0\0\0\377\377\377\0\377\377\377\0\0\0\0\0\377\377'
  head -c 128 /dev/zero
} > "$corpus/defaults"
seq 1 80 | head -c 200 > "$corpus/tail"

# Failures are reported as 1 (libFuzzer's own code is 77).
"$build_dir/fuzz/save_file_fuzz" -max_total_time="$seconds" -error_exitcode=1 \
  -artifact_prefix="$build_dir/" -print_final_stats=1 "$corpus"
