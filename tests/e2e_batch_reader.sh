#!/usr/bin/env bash
# The batch runner reads its case file as the menu's 'r' does: a device that
# never ends (/dev/zero) or any input over 1 MB is refused at once, and a
# folder is named as one ("Is a directory"), not taken for an empty file.
# Each refusal: status 1, the file named on standard error, no CSV.
#
# Usage: e2e_batch_reader.sh BUILD_DIR SOURCE_DIR
set -u

build=${1:?build dir}
exe=$build/hybridsim-batch
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Runs the batch program on one file with a 1 s limit; prints the status.
refused() {
  timeout 1 "$exe" "$1" </dev/null >"$work/out.csv" 2>"$work/err.txt"
  echo "$?"
}

status=$(refused /dev/zero)
[ "$status" = 1 ] || fail "/dev/zero: status $status (124 = still reading after 1 s)"
grep -q '^hybridsim-batch: /dev/zero: 1 MB を超えています' "$work/err.txt" ||
  fail "/dev/zero: message '$(cat "$work/err.txt")'"
[ -s "$work/out.csv" ] && fail "/dev/zero: CSV written"

head -c 1048577 /dev/zero | tr '\0' ' ' >"$work/big.dat"
status=$(refused "$work/big.dat")
[ "$status" = 1 ] || fail "file over 1 MB: status $status"
grep -q '1 MB を超えています' "$work/err.txt" || fail "file over 1 MB: message '$(cat "$work/err.txt")'"

mkdir "$work/cases"
status=$(refused "$work/cases")
[ "$status" = 1 ] || fail "folder: status $status"
grep -qx "hybridsim-batch: $work/cases: Is a directory" "$work/err.txt" ||
  fail "folder: message '$(cat "$work/err.txt")'"
[ -s "$work/out.csv" ] && fail "folder: CSV written"

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "batch reader: device, oversized file and folder refused"
