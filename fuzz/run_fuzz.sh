#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in a build folder of their own, and runs one of them
# for a bounded time on a seed corpus.
#   fuzz/run_fuzz.sh build [build-folder]                  builds both targets
#   fuzz/run_fuzz.sh run <target> <seconds> [build-folder]  runs save_file_fuzz or number_fuzz
# (build folder: build/fuzz by default). Fails where clang or libFuzzer is not installed: a fuzz
# run that cannot start is no pass.
set -euo pipefail

here=$(cd "${0%/*}" && pwd)
source_dir=${here%/*}

missing() {
  echo "FAILED: $* (scripts/install-deps.sh test installs it)"
  exit 1
}

build() {
  local build_dir=$1
  command -v clang++ >/dev/null || missing "clang++ is not installed"
  local probe
  probe=$(mktemp -d)
  trap 'rm -rf "$probe"' RETURN
  echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
    > "$probe/probe.cpp"
  clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null ||
    missing "clang++ cannot link libFuzzer"
  cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DSTOPWATCH_BUILD_FUZZ=ON -DSTOPWATCH_BUILD_TESTS=OFF
  cmake --build "$build_dir" -j2 --target save_file_fuzz number_fuzz
}

# Seeds for the save file: three fault bytes (ff 00 00: no fault) and then the file: empty, cut
# inside slot 2, the default record marked saved in slot 1, bytes beyond the five records; and
# one seed each for a failing write, an in-place write and a power cut.
seed_save_file() {
  local corpus=$1
  local clean='\377\0\0'
  printf "$clean" > "$corpus/empty"
  { printf "$clean"; head -c 40 /dev/zero | tr '\0' '\377'; } > "$corpus/short"
  {
    printf "$clean"
    printf '\0\0\0\0\0\0\0\0\377\377\0\0\0\0\377\0\0\0\377\377\377\0\377\377\377\0\0\0\0\0\377\377'
    head -c 128 /dev/zero
  } > "$corpus/defaults"
  { printf "$clean"; seq 1 80 | head -c 200; } > "$corpus/tail"
  { printf '\010\004\0'; seq 1 80 | head -c 200; } > "$corpus/failing-write"
  { printf '\377\0\001'; seq 1 80 | head -c 200; } > "$corpus/another-users-file"
  { printf '\377\0\042'; seq 1 80 | head -c 200; } > "$corpus/power-cut"
}

seed_number() {
  local corpus=$1
  for text in 12a 5.5 -2.5 1e3 '&HFFFF' '&o17' ' 1 2' 2d2 1e999 1e-999 1.2.3 .5 +4 \
    "0.$(printf '0%.0s' {1..330})1e1"; do
    printf '%s' "$text" > "$corpus/$(printf '%s' "$text" | md5sum | cut -c1-12)"
  done
}

run() {
  local target=$1 seconds=$2 build_dir=$3
  [[ -x "$build_dir/fuzz/$target" ]] || { echo "FAILED: $target is not built ($0 build)"; exit 1; }
  # libFuzzer is given paths relative to the build folder: the targets must work with those.
  cd "$build_dir"
  local corpus="corpus/$target"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  case $target in
    save_file_fuzz) seed_save_file "$corpus" ;;
    number_fuzz) seed_number "$corpus" ;;
    *) echo "FAILED: unknown target $target"; exit 1 ;;
  esac
  # Failures are reported as 1 (libFuzzer's own code is 77).
  "fuzz/$target" -max_total_time="$seconds" -error_exitcode=1 -artifact_prefix="./$target-" \
    -print_final_stats=1 "$corpus"
}

case ${1:-} in
  build) build "${2:-$source_dir/build/fuzz}" ;;
  run) run "$2" "$3" "$(cd "${4:-$source_dir/build/fuzz}" && pwd)" ;;
  *) sed -n '2,8p' "$0"; exit 2 ;;
esac
