#!/usr/bin/env bash
# scripts/format.sh --check fails when it finds nothing to check: outside a clone, in a clone git
# lists no C++ files of, and in a clone owned by another user, which git refuses to read. In a
# small clone of the user's own it passes and counts the file it checked.
#
# usage: format_check_test.sh <source folder>
set -u

format=$(realpath "$1/scripts/format.sh")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export GIT_CONFIG_GLOBAL=/dev/null GIT_CONFIG_NOSYSTEM=1  # no safe.directory from this machine

# A clone holding format.sh and $1 as its only files, owned by $2 when given.
make_clone() {
  local clone="$work/clone-$RANDOM" files=$1 owner=${2:-}
  mkdir -p "$clone/scripts"
  cp "$format" "$clone/scripts/"
  cp "$(dirname "$format")/../.clang-format" "$clone/"
  [ -n "$files" ] && printf 'int main() { return 0; }\n' > "$clone/$files"
  git -C "$clone" init -q
  git -C "$clone" add .
  git -C "$clone" -c user.name=test -c user.email=test@example.invalid commit -qm clone
  [ -n "$owner" ] && chown -R "$owner" "$clone"
  echo "$clone"
}

failed=0
expect() {
  local want=$1 what=$2 clone=$3 output status
  output=$(cd / && "$clone/scripts/format.sh" --check 2>&1)
  status=$?
  if { [ "$want" = pass ] && [ "$status" -ne 0 ]; } || { [ "$want" = fail ] && [ "$status" -eq 0 ]; }; then
    echo "FAILED: the check should $want $what; it ended with status $status: $output"
    failed=1
  else
    echo "$want $what: $output"
  fi
}

expect pass "in a clone of one C++ file" "$(make_clone main.cpp)"
expect fail "in a clone without C++ files" "$(make_clone '')"
outside="$work/outside/scripts"
mkdir -p "$outside" && cp "$format" "$outside/"
expect fail "outside a clone" "$work/outside"
if [ "$(id -u)" -eq 0 ]; then
  expect fail "in a clone owned by another user" "$(make_clone main.cpp nobody)"
else
  echo "(the clone of another user needs root to make; run as $(id -un), it is not tried)"
fi
[ "$failed" -eq 0 ] || exit 1
echo "PASSED: the format check fails when it finds no files to check"
