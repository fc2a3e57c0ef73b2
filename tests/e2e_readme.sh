#!/usr/bin/env bash
# The README's listings of example files are the files themselves: every
# fenced block that follows a line naming `examples/NAME` must equal that
# file byte for byte, so the documentation cannot drift from the examples.
# The batch usage text names every exit status the README documents. The
# README's pictures equal what scripts/docs.sh makes with the programs now.
# Usage: e2e_readme.sh <build dir> <source dir>
set -u
BUILD=$(cd "$1" && pwd)
SRC=$(cd "$2" && pwd)
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
FAILS=0
fail() { echo "FAIL: $*"; FAILS=$((FAILS + 1)); }

# Cut every listing out as TMP/N.name (name: the example file it shows).
awk -v dir="$TMP" '
  /^```/ {
    if (inblock) { inblock = 0; close(out); next }
    if (name != "") { inblock = 1; n++; out = dir "/" n "." name; printf "" > out; name = ""; next }
    next
  }
  inblock { print > out; next }
  match($0, /`examples\/[^`]+`/) { name = substr($0, RSTART + 10, RLENGTH - 11); next }
  NF { name = "" }
' "$SRC/README.md"

count=0
for listing in "$TMP"/*.*; do
  [ -e "$listing" ] || break
  name=${listing#"$TMP"/*.}
  count=$((count + 1))
  if [ ! -f "$SRC/examples/$name" ]; then
    fail "README lists examples/$name, which does not exist"
  elif ! cmp -s "$listing" "$SRC/examples/$name"; then
    fail "README listing of examples/$name differs from the file:"
    diff "$listing" "$SRC/examples/$name"
  fi
done
[ "$count" -gt 0 ] || fail "no listing of an example file found in the README"

# Every exit status of the batch program is in its usage and in the README.
usage=$("$BUILD/hybridsim-batch" --help)
for st in 0 1 2 3; do
  grep -q "^| $st |" "$SRC/README.md" || fail "README: exit status $st not documented"
  printf '%s\n' "$usage" | grep -Eq "(status: |; |^ +)$st " || fail "usage: exit status $st not documented"
done

# The README's pictures are what scripts/docs.sh makes with the programs now.
bash "$SRC/scripts/docs.sh" "$BUILD" "$TMP/docs" || fail "scripts/docs.sh failed"
pictures=$(grep -o '(docs/[^)]*)' "$SRC/README.md" | tr -d '()' | sort -u)
[ -n "$pictures" ] || fail "no picture of docs/ found in the README"
for pic in $pictures; do
  cmp -s "$SRC/$pic" "$TMP/$pic" ||
    fail "$pic is not what scripts/docs.sh makes now (run: bash scripts/docs.sh $BUILD)"
done

if [ "$FAILS" -ne 0 ]; then
  echo "$FAILS README check(s) failed"
  exit 1
fi
echo "README: $count listing(s) match their files; exit statuses documented; pictures current"
