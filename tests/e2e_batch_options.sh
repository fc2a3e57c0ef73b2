#!/usr/bin/env bash
# The batch program's options as a user scripts them: each picture option
# writes a file of the right kind and size, --frame and every wrong argument
# give status 2 with nothing run or written, an unwritable output gives
# status 1 with nothing left behind, links, pipes and devices are written
# through, --csv - and options in any order keep
# the default CSV, --set changes the run or is refused, --list-settings
# prints the table, and --compare's rows are --metrics of four single runs,
# drawn in four colours.
#
# Usage: e2e_batch_options.sh BUILD_DIR SOURCE_DIR
set -u

build=$(cd "${1:?build dir}" && pwd)
src=$(cd "${2:?source dir}" && pwd)
exe=$build/hybridsim-batch
work=$(mktemp -d)
failures=0
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Runs the batch program in $work/out (stdout to out.txt, stderr to
# err.txt, both beside it); prints the status.
run() {
  rm -rf "$work/out" && mkdir "$work/out"
  (cd "$work/out" && timeout 60 "$exe" "$@" </dev/null >"$work/out.txt" 2>"$work/err.txt")
  echo "$?"
}
sel=(--robot b --method 6 --contour S)

# The default CSV, the reference of the byte checks below.
"$exe" "${sel[@]}" >"$work/default.csv" 2>/dev/null </dev/null

# Pictures: PNG 800 x 800, SVG that parses, PDF of one 800 x 800 page, GIF
# of the 201 output steps; nothing on standard output.
status=$(run "${sel[@]}" --png f.png --svg f.svg --pdf f.pdf --gif run.gif)
[ "$status" = 0 ] || fail "pictures: status $status ($(cat "$work/err.txt"))"
[ -s "$work/out.txt" ] && fail "pictures: CSV on standard output without --csv"
[ "$(identify -format '%wx%h' "$work/out/f.png" 2>&1)" = 800x800 ] || fail "PNG is not 800x800"
xmllint --noout "$work/out/f.svg" 2>/dev/null || fail "SVG does not parse"
info=$(pdfinfo "$work/out/f.pdf" 2>&1)
grep -q '^Pages: *1$' <<<"$info" || fail "PDF is not one page"
grep -q '^Page size: *800 x 800 pts' <<<"$info" || fail "PDF page is not 800 x 800"
[ "$(identify "$work/out/run.gif" 2>/dev/null | wc -l)" = 201 ] || fail "GIF has not 201 frames"
# --frame picks the step: the picture of step 0 differs from the last one's.
status=$(run "${sel[@]}" --frame 0 --png f0.png)
[ "$status" = 0 ] || fail "--frame 0: status $status"
status=$(run "${sel[@]}" --png last.png --frame 200)
cmp -s "$work/out/last.png" "$work/out/f0.png" && fail "--frame 0 and 200 give the same picture"

# --csv - is standard output, in any order among the other options.
status=$(run --png a.png --contour S --csv - --method 6 --robot b)
[ "$status" = 0 ] || fail "any order: status $status"
cmp -s "$work/out.txt" "$work/default.csv" || fail "--csv - differs from the default CSV"
[ -s "$work/out/a.png" ] || fail "any order: PNG not written"
status=$(run "${sel[@]}" --csv h.csv)
cmp -s "$work/out/h.csv" "$work/default.csv" || fail "--csv FILE differs from the default CSV"
[ -s "$work/out.txt" ] && fail "--csv FILE: output on standard output"

# Wrong arguments: one line naming the fault, the usage, status 2, nothing
# written; in one language: the locale's Japanese, then English with
# --lang en (its err.txt is left for the checks after).
check2() {
  local what=$1 first lang
  shift
  for lang in ja en; do
    if [ "$lang" = ja ]; then status=$(run "$@"); else status=$(run --lang en "$@"); fi
    [ "$status" = 2 ] || fail "$what ($lang): status $status"
    first=$(head -n 1 "$work/err.txt")
    [[ $first == hybridsim-batch:* ]] || fail "$what ($lang): first line '$first'"
    if [ "$lang" = ja ]; then
      LC_ALL=C grep -q '[^ -~]' <<<"$first" || fail "$what (ja): not Japanese: $first"
      grep -q '^書式: hybridsim-batch' "$work/err.txt" || fail "$what (ja): no usage"
    else
      # (an argument cut short in an echo ends in "…")
      sed 's/…//g' "$work/err.txt" | LC_ALL=C grep -q '[^ -~]' &&
        fail "$what (en): not English: $(sed 's/…//g' "$work/err.txt" | LC_ALL=C grep -m1 '[^ -~]')"
      grep -q '^usage: hybridsim-batch' "$work/err.txt" || fail "$what (en): no usage"
    fi
    [ -s "$work/out.txt" ] && fail "$what ($lang): output on standard output"
    [ -n "$(ls -A "$work/out")" ] && fail "$what ($lang): files written: $(ls "$work/out")"
  done
}
check2 "--frame 201" "${sel[@]}" --frame 201 --png f.png
check2 "--frame -1" "${sel[@]}" --png f.png --frame -1
check2 "--frame x" "${sel[@]}" --frame x --png f.png
check2 "unknown option" "${sel[@]}" --jpg f.jpg
check2 "missing value" "${sel[@]}" --png
check2 "--compare with --gif" "${sel[@]}" --compare --gif f.gif
check2 "--set KH1=0" "${sel[@]}" --set KH1=0 --png f.png
check2 "--set nosuch=1" "${sel[@]}" --set nosuch=1
check2 "--set Fn=nan" --set Fn=nan "${sel[@]}"
check2 "--set Fn=abc" "${sel[@]}" --set Fn=abc
check2 "--set line.tf=-4" "${sel[@]}" --set line.tf=-4
# A file option left without its value, or given an empty one, does not take
# the next option as its file; a misspelt option is named; two outputs into
# one file are refused.
check2 "--png --metrics" "${sel[@]}" --png --metrics
check2 "--csv --png" --robot b --contour S --compare --csv --png
check2 "--png ''" "${sel[@]}" --png ""
check2 "--csv ''" "${sel[@]}" --csv ""
check2 "--pdf and --gif" "${sel[@]}" --pdf same --gif same
check2 "--pdf and --gif, one through ./" "${sel[@]}" --pdf ./same --gif same
check2 "--set KH1= 500" "${sel[@]}" --set "KH1= 500"
check2 "--set KH1=500 " "${sel[@]}" --set "KH1=500 "
check2 "--set KH1=0x10" "${sel[@]}" --set "KH1=0x10"
check2 "-png" "${sel[@]}" -png x.png
check2 "--gif ''" "${sel[@]}" --gif ""
check2 "--pgn" "${sel[@]}" --pgn x.png
grep -q '^hybridsim-batch: unknown option --pgn$' "$work/err.txt" || fail "--pgn: $(head -n 1 "$work/err.txt")"
# An argument echoed in an error line: control bytes escaped, cut short.
check2 "control bytes" "${sel[@]}" --set $'sine.tf.x=\e]0;pwned\a5'
grep -qF 'sine.tf.x=\x1B]0;pwned\x075' "$work/err.txt" || fail "control bytes: $(head -n 1 "$work/err.txt")"
check2 "long argument" "${sel[@]}" --set "$(printf 'x%.0s' {1..3000})=1"
[ "$(head -n 1 "$work/err.txt" | wc -c)" -lt 300 ] || fail "long argument: error line not cut"
# A case file right after --set NAME=VALUE, or after --, is the case file.
for after in "" --; do
  # shellcheck disable=SC2086
  status=$(run --set Fn=20 $after "$src/examples/robot_a_line.dat")
  [ "$status" = 0 ] || fail "case file after --set $after: status $status ($(head -n 1 "$work/err.txt"))"
done
grep -q 'nosuch' <(run "${sel[@]}" --set nosuch=1; cat "$work/err.txt") || fail "unknown name not named"
run "${sel[@]}" --set KH1=0 >/dev/null
grep -qF 'KH1 = 0 は受け付けられません．0 より大きい有限の数値 [N/m] が必要です' "$work/err.txt" ||
  fail "refused KH1 (ja): $(head -n 1 "$work/err.txt")"
run "${sel[@]}" --set KH1=0 --lang en >/dev/null
grep -q 'KH1 = 0 refused: it must be a finite number > 0 \[N/m\]' "$work/err.txt" || fail "refused KH1: reason not given"

# The servo names: fn2 [Hz] is the chosen method's omega2 = 2 pi fn2 with the
# stored 2 pi, bit for bit; alpha1 its alpha1; a refused fn2 names Hz.
m3=(--robot b --method 3 --contour C)
omega=$(python3 -c 'print(repr(6.28318530317958 * 12.5))')
run "${m3[@]}" --set fn2=12.5 --set alpha1=3 --csv "$work/fn.csv" >/dev/null
run "${m3[@]}" --set "gainspec3.omega2=$omega" --set gainspec3.alpha1=3 --csv "$work/omega.csv" >/dev/null
cmp -s "$work/fn.csv" "$work/omega.csv" || fail "fn2=12.5 is not omega2=$omega"
run "${m3[@]}" --csv "$work/plain.csv" >/dev/null
cmp -s "$work/fn.csv" "$work/plain.csv" && fail "fn2=12.5 changed nothing"
run "${sel[@]}" --set "gainspec3.omega2=$omega" --csv "$work/m6.csv" >/dev/null
cmp -s "$work/m6.csv" "$work/default.csv" || fail "method 3's omega2 changed a method 6 run"
run "${sel[@]}" --lang en --set fn2=0 >/dev/null
grep -q 'fn2 = 0 refused: it must be a finite number > 0 \[Hz\]' "$work/err.txt" || fail "refused fn2: $(cat "$work/err.txt")"

# --vary: one figures row per combination, each the --metrics row of the
# single run with those --set values (the varied columns first, then
# `failed`, 1 where the single run ends with status 3); with a picture, the study view of the runs (at most 8).
m3=(--robot b --method 3 --contour C)
run "${m3[@]}" --vary fn2=5,20 --vary KH1=500,1000 --csv "$work/vary.csv" >/dev/null
{ echo "fn2,KH1,method,frms,fmax,erms,emax,pend,pmax,t1peak,t2peak,tsat,failed"
  for f in 5 20; do for k in 500 1000; do
    st=$(run "${m3[@]}" --set fn2=$f --set KH1=$k --metrics)
    echo "$f,$k,$(tail -n 1 "$work/out.txt"),$([ "$st" = 3 ] && echo 1 || echo 0)"
  done; done; } >"$work/single.csv"
cmp -s "$work/vary.csv" "$work/single.csv" || fail "--vary rows are not the single runs: $(diff "$work/vary.csv" "$work/single.csv")"
status=$(run "${m3[@]}" --vary fn2=5,10,20 --overlay "$src/examples/robot_b_circle.dat" --png s.png --pdf s.pdf)
[ "$status" = 0 ] || fail "--vary picture: status $status ($(cat "$work/err.txt"))"
[ "$(identify -format '%wx%h' "$work/out/s.png" 2>&1)" = 800x800 ] || fail "study PNG is not 800x800"
pdftotext "$work/out/s.pdf" - 2>/dev/null | grep -q 'fn2 = 20 Hz' || fail "study PDF does not label fn2 = 20 Hz"
# An empty --overlay file is refused as an empty CASEFILE is, nothing drawn.
: >"$work/empty.dat"
status=$(run "${m3[@]}" --overlay "$work/empty.dat" --png s.png)
[ "$status" = 1 ] && grep -q 'empty.dat: データファイルの項目1' "$work/err.txt" && [ ! -e "$work/out/s.png" ] ||
  fail "empty --overlay: status $status, $(head -n 1 "$work/err.txt")"
status=$(run "${sel[@]}" --study --svg one.svg)
xmllint --noout "$work/out/one.svg" 2>/dev/null || fail "--study SVG: status $status, does not parse"
check2 "--vary 9 runs with a picture" "${m3[@]}" --vary fn2=1,2,3 --vary KH1=1,2,3 --png s.png
check2 "--vary 1001 runs" "${m3[@]}" --vary "fn2=$(seq -s, 1 1001)"
check2 "--vary fn2=0" "${m3[@]}" --vary fn2=5,0
check2 "--vary twice" "${m3[@]}" --vary fn2=5 --vary fn2=6
check2 "--vary with --compare" --robot b --contour C --compare --vary fn2=5

# An output that cannot be written: one line naming it, status 1, nothing
# left behind; the outputs that can be written are.
status=$(run "${sel[@]}" --png missing/f.png --svg f.svg)
[ "$status" = 1 ] || fail "unwritable PNG: status $status"
grep -q 'missing/f.png: No such file or directory' "$work/err.txt" || fail "unwritable PNG: $(cat "$work/err.txt")"
[ "$(ls -A "$work/out")" = f.svg ] || fail "unwritable PNG: folder holds $(ls -A "$work/out")"
rm -rf "$work/out" && mkdir -p "$work/out/dir"
status=$( (cd "$work/out" && "$exe" "${sel[@]}" --csv dir </dev/null >/dev/null 2>"$work/err.txt"); echo $?)
[ "$status" = 1 ] || fail "CSV onto a folder: status $status"
grep -q '^hybridsim-batch: dir: ' "$work/err.txt" || fail "CSV onto a folder: $(cat "$work/err.txt")"
[ "$(ls -A "$work/out")" = dir ] || fail "CSV onto a folder: left $(ls -A "$work/out")"

status=$(run "${sel[@]}" --csv /nonexistent/a.csv)
grep -q '^hybridsim-batch: /nonexistent/a.csv: No such file or directory$' "$work/err.txt" ||
  fail "unwritable CSV: $(cat "$work/err.txt")"

# Files that are not regular files: a symbolic link (relative, into another
# folder) keeps being a link and its target gets the CSV; a FIFO and a
# device are written through, not replaced; the device of /dev/full gives
# the write error. A 250-byte name is written.
ft=$work/types
mkdir -p "$ft/sub" && ln -s ../real.csv "$ft/sub/link.csv" && mkfifo "$ft/fifo"
(cd "$ft" && "$exe" "${sel[@]}" --csv sub/link.csv </dev/null 2>/dev/null)
[ -L "$ft/sub/link.csv" ] && cmp -s "$ft/real.csv" "$work/default.csv" || fail "symbolic link: not written through"
cat "$ft/fifo" >"$ft/fromfifo" &
reader=$!
"$exe" "${sel[@]}" --csv "$ft/fifo" </dev/null 2>/dev/null || fail "FIFO: status $?"
# The reader ends: at the program's close, or at ours if it never wrote; a
# FIFO replaced by a file leaves it waiting for a writer that never comes.
if [ -p "$ft/fifo" ]; then exec 3<>"$ft/fifo" 3>&-; else kill "$reader"; fi
wait "$reader"
[ -p "$ft/fifo" ] && cmp -s "$ft/fromfifo" "$work/default.csv" || fail "FIFO: replaced or not written"
# /dev/stdout into a pipe (a link of the system's whose target is no path)
# is written through; an unwritable --save-case names the reason.
"$exe" "${sel[@]}" --csv /dev/stdout </dev/null 2>"$work/err.txt" | cmp -s - "$work/default.csv" ||
  fail "--csv /dev/stdout into a pipe: $(cat "$work/err.txt")"
status=$(run "${sel[@]}" --save-case /nonexistent/c.dat)
[ "$status" = 1 ] && grep -q '^hybridsim-batch: /nonexistent/c.dat: No such file or directory$' "$work/err.txt" ||
  fail "unwritable --save-case: status $status, $(cat "$work/err.txt")"
long=$(printf 'n%.0s' {1..246}).csv
(cd "$ft" && "$exe" "${sel[@]}" --csv "$long" </dev/null 2>"$work/err.txt") || fail "250-byte name: $(cat "$work/err.txt")"
if mknod "$ft/null" c 1 3 2>/dev/null && mknod "$ft/full" c 1 7 2>/dev/null; then
  "$exe" "${sel[@]}" --png "$ft/null" </dev/null 2>/dev/null || fail "device: status $?"
  [ -c "$ft/null" ] || fail "device: replaced by a regular file"
  "$exe" "${sel[@]}" --csv "$ft/full" </dev/null 2>"$work/err.txt"
  status=$?
  [ "$status" = 1 ] && grep -q "full: No space left on device" "$work/err.txt" ||
    fail "full device: status $status, $(cat "$work/err.txt")"
  [ -c "$ft/full" ] || fail "full device: replaced by a regular file"
else
  echo "skip: no device nodes can be made here (mknod refused)"
fi
[ -z "$(find "$ft" -name '.hybridsim-*')" ] || fail "temporary files left: $(ls -A "$ft")"

# A figure that is not a finite number (a motor of no power) ends the run
# with a diagnostic and status 3, never 0.
status=$(run "${sel[@]}" --set PW1_b=4.9e-324 --metrics --lang en)
[ "$status" = 3 ] && grep -q 'not finite: t1peak' "$work/err.txt" || fail "nan figure: status $status"
# Also when only a picture is written, and the comparison marks every row failed.
status=$(run "${sel[@]}" --lang=en --set PW1_b=4.9e-324 --png "$work/nan.png")
[ "$status" = 3 ] && grep -q 'figures of merit are not finite numbers (t1peak)' "$work/err.txt" ||
  fail "nan figure, picture only: status $status"
status=$(run --robot b --contour S --compare --set PW1_b=4.9e-324)
[ "$status" = 3 ] && [ "$(grep -c ',1$' "$work/out.txt")" = 4 ] || fail "nan figures: comparison rows not failed"

# A full standard output is a failed write, not a clean run.
if [ -w /dev/full ]; then
  "$exe" "${sel[@]}" </dev/null >/dev/full 2>"$work/err.txt"
  status=$?
  [ "$status" = 1 ] || fail "standard output full: status $status"
  grep -q '標準出力: No space left on device' "$work/err.txt" || fail "standard output full: $(cat "$work/err.txt")"
fi

# --set: Fn=20 presses with 20 N at the end (10 N by default), on springs
# stiff enough for the hand's travel; applied to a case file too.
status=$(run "${sel[@]}" --set Fn=20 --set KH1=600 --set KH2=600)
[ "$status" = 0 ] || fail "--set Fn=20: status $status"
awk -F, 'END { exit !($12 > 19.9 && $12 < 20.1) }' "$work/out.txt" || fail "--set Fn=20: final force not 20 N"
cmp -s "$work/out.txt" "$work/default.csv" && fail "--set: the same CSV as the default"

# --list-settings: the table with the start-up defaults.
status=$(run --list-settings)
[ "$status" = 0 ] || fail "--list-settings: status $status"
[ "$(head -n 1 "$work/out.txt")" = name,unit,limit,default,description ] || fail "--list-settings header"
grep -qx 'KH1,N/m,a finite number > 0,500,"hand spring constant along the hand"' "$work/out.txt" ||
  fail "--list-settings: KH1 row"
grep -qx "eta1_b,-,a number > 0 and <= 1,0.6,\"robot b (SCARA): forward efficiency of motor 1's drive\"" \
  "$work/out.txt" || fail "--list-settings: eta1_b row"
grep -q '^fn2,Hz,a finite number > 0,20,"the chosen method.s loop 2: natural frequency' "$work/out.txt" &&
  [ "$(tail -n 4 "$work/out.txt" | cut -d, -f1-2 | tr '\n' ' ')" = "fn1,Hz alpha1,1/s fn2,Hz alpha2,1/s " ] ||
  fail "--list-settings: the servo names"

# --compare: one row per method, each equal to --metrics of the single run
# of that method (also with a setting changed by name).
for c in "b S" "a C" "a L --set Fn=15"; do
  read -r r k extra <<<"$c"
  # shellcheck disable=SC2086
  status=$(run --robot "$r" --contour "$k" --compare $extra)
  [ "$status" = 0 ] || fail "compare $c: status $status"
  cp "$work/out.txt" "$work/compare.csv"
  {
    echo 'method,frms,fmax,erms,emax,pend,pmax,t1peak,t2peak,tsat'
    for m in 1 3 4 6; do
      # shellcheck disable=SC2086
      run --robot "$r" --contour "$k" --method $m --metrics $extra >/dev/null
      tail -n 1 "$work/out.txt"
    done
  } >"$work/singles.csv"
  cut -d, -f1-10 "$work/compare.csv" | cmp -s - "$work/singles.csv" ||
    fail "compare $c: rows differ from single runs: $(diff "$work/compare.csv" "$work/singles.csv")"
  [ "$(cut -d, -f11 "$work/compare.csv" | tr '\n' ' ')" = "failed 0 0 0 0 " ] || fail "compare $c: failed column"
done
# Runs that left the reachable area are marked failed, status 3.
status=$(run --robot b --contour S --compare --set sine.A=5)
[ "$status" = 3 ] && [ "$(cut -d, -f11 "$work/out.txt" | tr '\n' ' ')" = "failed 1 1 1 1 " ] ||
  fail "compare of failed runs: status $status, $(cut -d, -f11 "$work/out.txt" | tr '\n' ' ')"

# The comparison picture: four curves, one in each method's colour.
status=$(run --robot a --method 3 --contour C --compare --png cmp.png --pdf cmp.pdf --csv cmp.csv)
[ "$status" = 0 ] || fail "comparison picture: status $status"
[ -s "$work/out.txt" ] && fail "comparison: CSV on standard output with --csv FILE"
[ "$(wc -l <"$work/out/cmp.csv")" = 5 ] || fail "comparison CSV: not 5 lines"
grep -q '^Pages: *1$' <(pdfinfo "$work/out/cmp.pdf" 2>&1) || fail "comparison PDF: not one page"
[ "$(identify -format '%wx%h' "$work/out/cmp.png" 2>&1)" = 800x800 ] || fail "comparison PNG size"
hist=$(convert "$work/out/cmp.png" -format %c histogram:info:- 2>&1)
for colour in '#0000FF' '#009900' '#FF8000' '#CC00CC'; do
  n=$(awk -v c="$colour" '$0 ~ c { sub(":", "", $1); print $1 }' <<<"$hist")
  [ "${n:-0}" -gt 1000 ] || fail "comparison picture: colour $colour has ${n:-0} pixels"
done

# The language of the console text: Japanese by default and for ja_*,
# English for a locale or LANGUAGE of another language (installed or not),
# --lang over both; a --lang of no such language is a wrong argument.
for how in "LC_ALL=C.UTF-8:ja" "LC_ALL=ja_JP.UTF-8:ja" "LC_ALL=fr_FR.UTF-8:en" "LC_ALL=en_US:en" \
           "LC_ALL=ja_JP.UTF-8 LANGUAGE=de:en" "LC_ALL=C LANGUAGE=en:ja" \
           "LC_ALL=ja_JP.UTF-8 --lang en:en" "LC_ALL=en_GB.UTF-8 --lang ja:ja"; do
  words=${how%:*} want=${how##*:}
  set -- $words
  envs=() args=()
  for w in "$@"; do case $w in *=*) envs+=("$w") ;; *) args+=("$w") ;; esac; done
  (cd "$work" && env -u LANGUAGE "${envs[@]}" "$exe" "${args[@]}" --robot a --method 1 --contour L \
     --verbose --csv /dev/null 2>"$work/err.txt")
  if grep -q 'calcontrol()終わり' "$work/err.txt"; then got=ja; elif grep -q 'simulation done' "$work/err.txt"; then got=en; else got=none; fi
  [ "$got" = "$want" ] || fail "language with $words: $got, expected $want"
done
# Under a Shift-JIS locale the messages and the usage are Shift-JIS, as the
# console's text is: an argument error and a refused case file.
printf 'x\n' >"$work/bad.dat"
for how in "--robot c --method 1 --contour L:{a,b} のどれでもありません" "$work/bad.dat:データファイルの項目1"; do
  # shellcheck disable=SC2086
  (cd "$work" && LC_ALL=ja_JP.SJIS "$exe" ${how%%:*} </dev/null >/dev/null 2>"$work/err.sjis")
  iconv -f CP932 -t UTF-8 "$work/err.sjis" >"$work/err.txt" 2>/dev/null && grep -qF "${how#*:}" "$work/err.txt" ||
    fail "Shift-JIS with ${how%%:*}: $(head -n 1 "$work/err.sjis" | od -c | head -n 2)"
done
# --save-case: an output of its own (nothing on standard output) that runs
# again as the case did; refused with the runs of --vary and --compare, and
# naming a file another output names. A CASEFILE goes with --method only.
status=$(run "${sel[@]}" --set Fn=12 --save-case c.dat)
[ "$status" = 0 ] && [ ! -s "$work/out.txt" ] || fail "--save-case: status $status, or CSV on standard output"
"$exe" "$work/out/c.dat" </dev/null 2>/dev/null | cmp -s - <("$exe" "${sel[@]}" --set Fn=12 </dev/null 2>/dev/null) ||
  fail "the case of --save-case runs differently"
for wrong in "--vary Fn=1,2" "--compare" "--csv c.dat"; do
  status=$(run "${sel[@]}" --save-case c.dat $wrong)
  [ "$status" = 2 ] && grep -q -e '--save-case' "$work/err.txt" && [ ! -e "$work/out/c.dat" ] ||
    fail "--save-case with $wrong: status $status, $(head -n 1 "$work/err.txt")"
done
for wrong in "--robot a" "--contour L"; do
  status=$(run "$src/examples/robot_a_line.dat" $wrong --lang en)
  [ "$status" = 2 ] && grep -q "a CASEFILE excludes ${wrong% *}" "$work/err.txt" || fail "CASEFILE $wrong: status $status"
done
# --help fits 80 columns in either language (a Japanese character takes two).
for lang in en ja; do
  long=$("$exe" --help --lang $lang | python3 -c 'import sys, unicodedata
for l in sys.stdin:
    if sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in l.rstrip()) > 80: print(l, end="")')
  [ -z "$long" ] || fail "--help ($lang): lines over 80 columns: $long"
done
status=$(run --lang fr --robot a --method 1 --contour L)
[ "$status" = 2 ] || fail "--lang fr: status $status"

# --frame is decimal: 010 is step 10; 0x10 and abc are no number at all.
run "${sel[@]}" --frame 10 --svg f10.svg >/dev/null && cp "$work/out/f10.svg" "$work/f10.svg"
status=$(run "${sel[@]}" --frame 010 --svg f.svg)
cmp -s "$work/out/f.svg" "$work/f10.svg" || fail "--frame 010 is not step 10 (status $status)"
for f in 0x10 abc; do
  check2 "--frame $f" "${sel[@]}" --frame $f --png f.png
  grep -q "^hybridsim-batch: --frame: \"$f\" is not a number" "$work/err.txt" || fail "--frame $f: $(head -n 1 "$work/err.txt")"
done
# The case as a whole is checked before anything runs: a line whose end is
# its start, by --set or by one combination of --vary; a refusal shows the
# value as typed.
line=(--robot b --method 6 --contour L)
for how in "--set line.yf=0" "--vary line.yf=0.3,0" "--set KH1=1e-400"; do
  # shellcheck disable=SC2086
  check2 "$how" "${line[@]}" $how
done
grep -q '^hybridsim-batch: --set: KH1 = 1e-400 refused' "$work/err.txt" || fail "1e-400: $(head -n 1 "$work/err.txt")"
run "${line[@]}" --set line.yf=0 --lang en >/dev/null
grep -qF "line.xf, line.yf = 0.3, 0 refused: the line's end must differ from its start" "$work/err.txt" ||
  fail "line end on its start: $(head -n 1 "$work/err.txt")"
# After -- every word is a CASEFILE, as the usage says.
check2 "-- -x.dat --verbose" -- -x.dat --verbose
grep -qF 'one CASEFILE only: --verbose is one too many (after --' "$work/err.txt" || fail "after --: $(head -n 1 "$work/err.txt")"
# An output naming an input, by another spelling or through a link, is refused.
cp "$src/examples/robot_b_line.dat" "$work/c.dat" && ln -sf c.dat "$work/l.dat"
check2 "--csv the CASEFILE" "$work/c.dat" --csv "$work/./c.dat"
check2 "--png the --overlay CASEFILE" "${sel[@]}" --overlay "$work/c.dat" --png "$work/l.dat"
cmp -s "$work/c.dat" "$src/examples/robot_b_line.dat" || fail "the CASEFILE was written over"
# Status 3 always tells why: a path start out of the SCARA's reach.
for m in 1 3 4; do
  status=$(run --robot b --method $m --contour L --set l1=0.6 --set line.x0=0.099 --csv /dev/null)
  [ "$status" = 3 ] && grep -q '逆運動学の解なし' "$work/err.txt" || fail "method $m: status $status, $(cat "$work/err.txt")"
  # The tip nearer the base than the arm reaches is told as that, with the inner bound.
  if grep -q '腕の届く範囲' "$work/err.txt"; then
    grep -qF '基部から 0.100[m] 以上）より基部の側に入りました' "$work/err.txt" ||
      fail "method $m: the inner reach not named: $(grep '腕の届く範囲' "$work/err.txt")"
  fi
done
# --help and --list-settings into a full disk fail, saying so.
if [ -w /dev/full ]; then
  for opt in --help --list-settings; do
    "$exe" $opt >/dev/full 2>"$work/err.txt"
    status=$?
    [ "$status" = 1 ] && grep -q 'No space left' "$work/err.txt" || fail "$opt >/dev/full: status $status"
  done
fi
# A read-only file in a writable folder is not replaced (root writes over
# anything: the check runs as nobody where that is possible).
as=()
[ "$(id -u)" = 0 ] && as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
ro=$(mktemp -d) && chmod 777 "$ro" && echo old >"$ro/ro.csv" && chmod 0444 "$ro/ro.csv"
if [ "$(id -u)" != 0 ] || "${as[@]}" test -x "$exe"; then
  "${as[@]}" "$exe" "${sel[@]}" --csv "$ro/ro.csv" 2>"$work/err.txt"
  status=$?
  [ "$status" = 1 ] && [ "$(cat "$ro/ro.csv")" = old ] && grep -q 'ro.csv: Permission denied' "$work/err.txt" ||
    fail "read-only CSV: status $status, $(cat "$work/err.txt")"
fi
rm -rf "$ro"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "batch options: all checks passed"
