#!/usr/bin/env bash
# The batch runner as a user scripts it: every default selection and every
# example case gives clean CSV (exact header, steps 0..200, finite numbers in
# full precision) with status 0 and nothing on standard error (the whole
# console text only with --verbose); a bad case file gives status 1, wrong
# arguments status 2, a path out of reach status 3 with its warning and the
# history still written. Standard input is an open pipe that never delivers
# anything: a key wait would hang the run.
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
  [ -s "$work/err.txt" ] && fail "$what: a clean run wrote to stderr: $(head -c 200 "$work/err.txt")"
  grep -q 'calcontrol' "$work/out.csv" && fail "$what: console text on stdout"
}

# --verbose: the whole console text on standard error, as at the console.
status=$(runbatch --verbose --robot b --method 6 --contour S)
[ "$status" = 0 ] || fail "verbose: status $status"
for text in 'calcontrol()終わり' 'キーによる操作選択' '描画画面へ' '只今計算中'; do
  grep -q "$text" "$work/err.txt" || fail "verbose: '$text' not on stderr"
done
status=$(runbatch --robot b --verbose "$src/examples/robot_b_sine.dat")
[ "$status" = 2 ] || fail "verbose with a file and a selection: status $status"
status=$(runbatch "$src/examples/robot_a_line.dat" --verbose)
[ "$status" = 0 ] || fail "verbose after the file: status $status"
grep -q '(1-1) ロボットタイプ = a' "$work/err.txt" || fail "verbose: no data file echo"

# A line that leaves the reachable area: status 3, the history written, the
# warnings (and only they) on stderr.
printf 'b 0.5 0.5 1.0 200 200 100 0.6 100 0.6 500 500 6 5 0 20 2 L 0.3 0.0 1.5 0.0 4.0 0.005 10\n' \
  >"$work/far.dat"
status=$(runbatch "$work/far.dat")
[ "$status" = 3 ] || fail "out of reach: status $status"
[ "$(wc -l <"$work/out.csv")" = 202 ] || fail "out of reach: history not written"
grep -q '^!!! 逆運動学の解なし' "$work/err.txt" || fail "out of reach: no inverse kinematics warning"
grep -q '^    アーム長1,2=' "$work/err.txt" || fail "out of reach: the warning's second line is missing"
grep -q '手先の届かない指令点' "$work/err.txt" || fail "out of reach: no run warning"
grep -q 'キーによる操作選択\|描画画面へ\|ロボットタイプ\|キーを押すと' "$work/err.txt" &&
  fail "out of reach: more than warnings on stderr"

# Springs so stiff that the run diverges at once: status 3, the history
# written, the note alone on stderr from its first line.
status=$(runbatch --robot b --method 6 --contour L --set KH1=1e7 --set KH2=1e7)
[ "$status" = 3 ] || fail "diverged: status $status"
[ "$(wc -l <"$work/out.csv")" = 202 ] || fail "diverged: history not written"
[ "$(head -n 2 "$work/err.txt")" = '!!! 数値計算が発散したため，t=0.000[s] の後で計算を打ち切りました．
    以降は t=0.000[s] の値のままです．' ] ||
  fail "diverged: stderr $(head -c 300 "$work/err.txt")"

# Runs that leave the model's domain: status 3, the bound crossed named on
# stderr (the arm's reach, the springs' travel, the contact); the comparison
# marks the method failed.
status=$(runbatch --robot a --method 6 --contour L --set gainspec6.omega2=502.6548245743669 \
  --set gainspec6.alpha2=10 --set KH1=250 --set KH2=250)
[ "$status" = 3 ] || fail "beyond the domain: status $status"
for text in '腕の届く範囲（基部から 0.900\[m\] まで）の外' 'ばねの動ける幅 0.040\[m\]' '接触が保てません' 'トルク制限に達して'; do
  grep -q "$text" "$work/err.txt" || fail "beyond the domain: '$text' not on stderr: $(head -c 300 "$work/err.txt")"
done
status=$(runbatch --robot a --method 3 --contour L --set KH1=5000000 --set KH2=250 \
  --set gainspec3.omega2=31.41592653589793 --set gainspec3.alpha2=0 --compare)
[ "$status" = 3 ] || fail "beyond the domain, compared: status $status"
# (robot a's radial joint behind its base: the inner reach crossed)
grep -q '^hybridsim-batch: 方法 3: t=0.040\[s\] に腕の直動関節が基部の後ろに出ました' "$work/err.txt" ||
  fail "beyond the domain, compared: $(head -c 300 "$work/err.txt")"
grep -q '^3,.*,1$' "$work/out.csv" || fail "beyond the domain, compared: method 3 not failed"

# A byte order mark before the first word is skipped.
printf '\xef\xbb\xbfa 0.7 1.0 200 200 100 0.6 100 0.6 500 500 6 5 0 20 2 L 0.3 0.0 0.3 0.3 4.0 0.005 10\n' \
  >"$work/bom.dat"
status=$(runbatch "$work/bom.dat")
[ "$status" = 0 ] || fail "byte order mark: status $status ($(cat "$work/err.txt"))"

# Control bytes of a refused word reach the terminal only as \xNN.
printf 'a 0.7 1.0 2\0330]2;owned\007 200\n' >"$work/esc.dat"
status=$(runbatch "$work/esc.dat")
[ "$status" = 1 ] || fail "escape bytes: status $status"
grep -q '"2\\x1B0\]2;owned\\x07"' "$work/err.txt" || fail "escape bytes: $(cat -v "$work/err.txt")"
LC_ALL=C grep -q "$(printf '\033')" "$work/err.txt" && fail "escape bytes: an ESC reached stderr"

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
# One form for every error: the program, then the file, then the reason.
grep -q "^hybridsim-batch: $work/bad.dat: " "$work/err.txt" || fail "bad file: $(cat "$work/err.txt")"
: >"$work/empty.dat"
[ "$(runbatch "$work/empty.dat")" = 1 ] || fail "empty file: not refused"
status=$(runbatch "$work/missing.dat")
[ "$status" = 1 ] || fail "missing file: status $status"
grep -q 'missing.dat' "$work/err.txt" || fail "missing file: message does not name it"

# Wrong arguments: usage and status 2, in the run's one language (the
# locale's Japanese, or English with --lang en wherever it stands).
for args in "" "--robot a" "--robot c --method 1 --contour L" "--robot a --method 2 --contour L" \
  "--robot a --method 1 --contour X" "--robot a --robot b --contour L" "a b"; do
  for lang in ja en; do
    extra=()
    [ "$lang" = en ] && extra=(--lang en)
    # shellcheck disable=SC2086
    status=$(runbatch "${extra[@]}" $args)
    [ "$status" = 2 ] || fail "arguments '$args' ($lang): status $status"
    if [ "$lang" = en ]; then
      grep -q '^usage: hybridsim-batch' "$work/err.txt" || fail "arguments '$args': no usage line"
      grep -q '3 the path left the reachable area' "$work/err.txt" || fail "arguments '$args': exit statuses not in the usage"
      LC_ALL=C grep -q '[^ -~]' "$work/err.txt" && fail "arguments '$args' (en): $(LC_ALL=C grep -m1 '[^ -~]' "$work/err.txt")"
    else
      grep -q '^書式: hybridsim-batch' "$work/err.txt" || fail "arguments '$args' (ja): no usage line"
      grep -q '3 経路が腕の届く範囲を出た' "$work/err.txt" || fail "arguments '$args' (ja): exit statuses not in the usage"
      LC_ALL=C grep -q '[^ -~]' <(head -n 1 "$work/err.txt") || fail "arguments '$args' (ja): $(head -n 1 "$work/err.txt")"
    fi
    [ -s "$work/out.csv" ] && fail "arguments '$args': output on stdout"
  done
done

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "batch runner: all checks passed"
