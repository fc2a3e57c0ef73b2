#!/usr/bin/env bash
# The numbers of every run, pinned: the CSV that hybridsim-batch writes
# (%.17g, so every double is exact) for all 24 default cases (robot a|b x
# method 1|3|4|6 x contour L|C|S) and for every case file in examples/ (*.dat), hashed
# with SHA-256 and compared with the hash recorded from a trusted build; and
# the figures of merit of the four methods (--compare, with their failed
# column) for each robot and contour.
# Any change to a computed number, however small, changes the hash; a change
# of code layout must not.
#
# Usage: e2e_digest.sh BUILD_DIR SOURCE_DIR
set -u

build=${1:?build dir}
src=${2:?source dir}
exe=$build/hybridsim-batch
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expected_defaults=5ff38c8081ed030c51c7ab7899c47d0a72af9c33cddb2dd006e00718a19a52e4
expected_examples=e13fe19458a47580c284ab191381e983a1cddb7975e0db1ab1ac2802e8710338
expected_figures=3208fe8fcf110458dac07f1eb3b90c577ee7319bff633d22dacd9181eef6b2c0

: >"$work/defaults.csv"
for r in a b; do
  for m in 1 3 4 6; do
    for c in L C S; do
      echo "# $r$m$c" >>"$work/defaults.csv"
      timeout 30 "$exe" --robot $r --method $m --contour $c </dev/null >>"$work/defaults.csv" 2>/dev/null ||
        { echo "FAIL: $r$m$c: status $?"; exit 1; }
    done
  done
done

: >"$work/examples.csv"
for f in "$src"/examples/*.dat; do
  echo "# $(basename "$f")" >>"$work/examples.csv"
  timeout 30 "$exe" "$f" </dev/null >>"$work/examples.csv" 2>/dev/null ||
    { echo "FAIL: $(basename "$f"): status $?"; exit 1; }
done

: >"$work/figures.csv"
for r in a b; do
  for c in L C S; do
    echo "# $r$c" >>"$work/figures.csv"
    timeout 60 "$exe" --robot $r --contour $c --compare </dev/null >>"$work/figures.csv" 2>/dev/null ||
      { echo "FAIL: $r$c compared: status $?"; exit 1; }
  done
done

failures=0
got=$(sha256sum <"$work/defaults.csv" | cut -d' ' -f1)
[ "$got" = "$expected_defaults" ] || { echo "FAIL: default cases: digest $got"; failures=$((failures + 1)); }
got=$(sha256sum <"$work/examples.csv" | cut -d' ' -f1)
[ "$got" = "$expected_examples" ] || { echo "FAIL: examples: digest $got"; failures=$((failures + 1)); }
got=$(sha256sum <"$work/figures.csv" | cut -d' ' -f1)
[ "$got" = "$expected_figures" ] || { echo "FAIL: figures of merit: digest $got"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] || exit 1
echo "digest: all runs unchanged"
