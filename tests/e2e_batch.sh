#!/usr/bin/env bash
# The batch runner as a user scripts it: every default selection and every
# example case gives clean CSV (exact header, steps 0..200, finite numbers in
# full precision) with status 0 and the console text on standard error;
# a bad case file gives status 1, wrong arguments status 2. Standard input is
# an open pipe that never delivers anything: a key wait would hang the run.
#
# Usage: e2e_batch.sh BUILD_DIR SOURCE_DIR
set -u

build=${1:?build dir}
src=${2:?source dir}
exe=$build/hybridsim-batch
work=$(mktemp -d)
failures=0
trap 'exec 3>&-; rm -rf "$work"' EXIT
# A pipe that stays open and silent: standard input of every run.
mkfifo "$work/silent"
exec 3<>"$work/silent"

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

header='step,t,motor1,motor2,tipx,tipy,cmdx,cmdy,poserrx,poserry,perierr,force,forceerr,torque1,torque2,defl1,defl2'

# Runs the batch program with stdin held open but silent; prints the status.
runbatch() {
  timeout 30 "$exe" "$@" <&3 >"$work/out.csv" 2>"$work/err.txt"
  echo "$?"
}

# Checks the CSV of one run.
checkcsv() {
  local what=$1
  [ "$(head -n 1 "$work/out.csv")" = "$header" ] || fail "$what: header"
  awk -F, -v what="$what" '
    NR == 1 { next }
    {
      if (NF != 17) { print "FAIL: " what ": " NF " fields in line " NR; bad = 1 }
      if ($1 != NR - 2) { print "FAIL: " what ": step " $1 " in line " NR; bad = 1 }
      for (i = 2; i <= NF; ++i)
        if ($i !~ /^-?[0-9]+(\.[0-9]+)?(e[-+][0-9]+)?$/) {
          print "FAIL: " what ": not a finite number: " $i " (line " NR ")"; bad = 1; exit
        }
      last = $2; force = $12
    }
    END {
      if (NR != 202) { print "FAIL: " what ": " NR " lines"; bad = 1 }
      if (last - 8 > 1e-9 || 8 - last > 1e-9) { print "FAIL: " what ": last time " last; bad = 1 }
      if (force < 9.9 || force > 10.1) { print "FAIL: " what ": final force " force; bad = 1 }
      exit bad
    }' "$work/out.csv" || failures=$((failures + 1))
  grep -q 'calcontrol()終わり' "$work/err.txt" || fail "$what: completion message not on stderr"
  grep -q 'calcontrol' "$work/out.csv" && fail "$what: console text on stdout"
}

for r in a b; do
  for m in 1 3 4 6; do
    for c in L C S; do
      status=$(runbatch --robot $r --method $m --contour $c)
      [ "$status" = 0 ] || fail "$r$m$c: status $status"
      checkcsv "$r$m$c"
    done
  done
done

# The "%.17g" numbers read back to the same doubles: one run, read and
# printed again, is unchanged.
runbatch --robot b --method 3 --contour C >/dev/null
python3 - "$work/out.csv" <<'PY' || fail "numbers do not read back exactly"
import sys
rows = open(sys.argv[1]).read().splitlines()[1:]
for row in rows:
    for v in row.split(',')[1:]:
        if '%.17g' % float(v) != v:
            sys.exit(1)
PY

for f in "$src"/examples/*.dat; do
  status=$(runbatch "$f")
  [ "$status" = 0 ] || fail "$(basename "$f"): status $status"
  checkcsv "$(basename "$f")"
done


# A bad case file: status 1, a message, no CSV.
printf 'x 0.7\n' >"$work/bad.dat"
status=$(runbatch "$work/bad.dat")
[ "$status" = 1 ] || fail "bad file: status $status"
[ -s "$work/out.csv" ] && fail "bad file: CSV written"
[ -s "$work/err.txt" ] || fail "bad file: no message"
status=$(runbatch "$work/missing.dat")
[ "$status" = 1 ] || fail "missing file: status $status"
grep -q 'missing.dat' "$work/err.txt" || fail "missing file: message does not name it"

# Wrong arguments: usage and status 2.
for args in "" "--robot a" "--robot c --method 1 --contour L" "--robot a --method 2 --contour L" \
  "--robot a --method 1 --contour X" "--robot a --robot b --contour L" "a b"; do
  # shellcheck disable=SC2086
  status=$(runbatch $args)
  [ "$status" = 2 ] || fail "arguments '$args': status $status"
  grep -q '^usage: hybridsim-batch' "$work/err.txt" || fail "arguments '$args': no usage line"
  [ -s "$work/out.csv" ] && fail "arguments '$args': output on stdout"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "batch runner: all checks passed"
