#!/usr/bin/env bash
# The whole interactive loop as a user meets it: the real hybridsim under a
# virtual X server, keys pressed in its window with xdotool, and the console
# answered step by step through a fifo on its standard input.
#   1. start dialogue 'n', 'a', '1', 'L' (cylindrical robot, method 1, line);
#   2. 'f' in the window, Fn changed to 20 N: the report shows 20.000 N and,
#      stepped to the end with 's', the force curve settles on the command
#      level of the force graph (where Fn lies at full scale);
#   2a. 'o' saves the first and the second run's case: the bytes the batch
#      program's --save-case writes for them; after 'h' '3' (method 3, the
#      servo targets kept) and 'o', the batch program's --method 3 on the
#      second file gives the case saved and its run;
#   3. 'b' in the window, changes declined: the SCARA robot is drawn;
#   4. 'r' in the window with a file from examples/: read and rerun;
#   5. ESC ends the program with status 0.
# Usage: e2e_menu.sh BUILD_DIR SOURCE_DIR
set -u

build=${1:?build dir}
src=${2:?source dir}
bin="$build/hybridsim"
work=$(mktemp -d)
out="$work/console.txt"
err="$work/stderr.txt"
xvfb_pid=
sim_pid=
# The shared wait for the window (its fail and ok are replaced below).
TMP=$work
. "$src/tests/xdisplay.sh"

fail() {
  echo "FAIL: $*" >&2
  echo "---- console (last 40 lines) ----" >&2
  tail -n 40 "$out" >&2 2>/dev/null
  echo "---- stderr ----" >&2
  cat "$err" >&2 2>/dev/null
  exit 1
}

cleanup() {
  exec 3>&-
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  if [ -n "${KEEP_E2E:-}" ]; then echo "kept $work" >&2; else rm -rf "$work"; fi
}
trap cleanup EXIT

for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done
[ -x "$bin" ] || fail "no program at $bin"

# A private X server on a free display number.
Xvfb -displayfd 5 -screen 0 1024x1024x24 -nolisten tcp -noreset 5>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"

# The console: a fifo held open for writing, so the program never sees the
# end of its input while the test is talking to it.
mkfifo "$work/stdin"
exec 3<>"$work/stdin"
LC_ALL=C.UTF-8 "$bin" <"$work/stdin" >"$out" 2>"$err" &
sim_pid=$!

say() { printf '%s' "$1" >&3; }

# Number of times a text has appeared on the console so far.
seen() { grep -o -F -- "$1" "$out" 2>/dev/null | wc -l; }

# Waits until the text has appeared at least n times.
waitfor() {
  local text=$1 n=${2:-1}
  for _ in $(seq 300); do
    [ "$(seen "$text")" -ge "$n" ] && return 0
    kill -0 "$sim_pid" 2>/dev/null || fail "program ended while waiting for '$text'"
    sleep 0.1
  done
  fail "timed out waiting for '$text' (#$n)"
}

closing="描画画面へ　　　　　"
# The closings and file name prompts so far.
closings=0
prompts=0
# Waits for the next closing.
closed() {
  closings=$((closings + 1))
  waitfor "$closing" "$closings"
}
# Answers the file name prompt with $1 and waits for the closing.
filename() {
  prompts=$((prompts + 1))
  waitfor "ファイル名入力" "$prompts"
  say "$1
"
  closed
}

# Keys go to the window under the pointer (there is no window manager).
press() { xdotool key --delay 20 "$@"; }

shot() { import -window "$wid" "$work/$1.png" || fail "screenshot $1"; }

# Takes screenshots until the check (a command run on the shot's name)
# holds; the window may still be working through the keys pressed.
shotuntil() {
  local name=$1 end=$((SECONDS + 30))
  shift
  until shot "$name" && "$@" "$name"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# Pure red pixels in a box of the last screenshot named.
red() {
  convert "$work/$1.png" -crop "$4x$5+$2+$3" +repage -depth 8 txt:- | grep -c "(255,0,0)"
}

# 1. Start dialogue: no data file, cylindrical robot, method 1, the line.
waitfor "yes:y   no:n"
say "n"
waitfor "type="
say "a"
waitfor "hybrid="
say "1"
waitfor "curve="
say "L"
closed

# On the screen at (0, 0), the pointer over it, its first picture painted.
awaitwindow || fail "the window did not appear"
wid=$WIN

# 'o': the case of the first run as the batch program saves the same.
batch="$build/hybridsim-batch"
press o
filename "$work/first.dat"
"$batch" --robot a --method 1 --contour L --save-case "$work/batch1.dat" || fail "--save-case: status $?"
cmp -s "$work/first.dat" "$work/batch1.dat" ||
  fail "--save-case differs from o: $(diff "$work/first.dat" "$work/batch1.dat")"

# 2. Contact force through 'f'.
press f
waitfor "(3-4) 接触力変更？"
say "y"
waitfor "入力　Fn="
say "20
"
closed
last_report=$(awk 'BEGIN{RS="現在設定している値"} END{print}' "$out")
grep -q -F "Fn=20.000[N]" <<<"$last_report" || fail "the report does not show Fn=20.000[N]"

# 2a. The second run's case (the hand as the window drew it), then method 3
# through 'h' with the servo targets kept, saved again.
press o
filename "$work/second.dat"
press h
waitfor "(2-1) hybrid制御方法変更？"
say "y"
waitfor "sgn="
say "3"
waitfor "(2-2) 制御ゲイン変更？"
say "n"
closed
press o
filename "$work/method3.dat"
"$batch" "$work/second.dat" --method 3 --save-case "$work/batch3.dat" --csv "$work/batch3.csv" ||
  fail "CASEFILE --method 3: status $?"
cmp -s "$work/method3.dat" "$work/batch3.dat" ||
  fail "--method 3 on the saved case differs from h 3: $(diff "$work/method3.dat" "$work/batch3.dat")"
"$batch" "$work/method3.dat" | cmp -s - "$work/batch3.csv" || fail "the case saved after h 3 runs differently"
"$batch" "$work/second.dat" | cmp -s - "$work/batch3.csv" && fail "--method 3 ran the file's method 1"

# The window keeps the old picture until a drawing key: '0' shows step 0.
# '?' after it only prints the key list: once printed, '0' has been handled.
press 0 question
waitfor "その他のキー"
shot robot_a

# Step to near the end of the run: 190 of 200 output steps (x = 0.875).
press --repeat 190 s
# Force graph: axis at window y 0.1 (pixel row 360), command level Fn at full
# scale 0.25 above it (row 260); the old 10 N would lie at row 310. Look at
# the last part of the curve, pixel columns 735-748 (x 0.8375 .. 0.87, steps
# 175 .. 188), after the last tick but one of the time axis.
curve_reached_end() { [ "$(red "$1" 745 240 4 110)" -gt 0 ]; }
shotuntil force curve_reached_end || fail "the force curve did not reach step 190"
at_level=$(red force 735 254 14 13)
below=$(red force 738 272 11 80)
[ "$at_level" -gt 0 ] || fail "no force curve at the command level 20 N (row 260)"
[ "$below" -eq 0 ] || fail "force curve below the command level at the end of the run ($below red pixels)"

# 3. Robot b through 'b', changes declined.
press b
waitfor "全て変更しない:n"
say "n"
closed
press 0
scara_drawn() { [ "$(red "$1" 245 696 31 31)" -gt 0 ]; }
shotuntil robot_b scara_drawn || fail "no SCARA elbow in the picture"
# SCARA at the start of the line (0.3, 0): the elbow lies at world
# (0.150, -0.477), window (-0.350, -0.777), pixel (260, 711); its red rings
# are drawn there. The cylindrical robot has nothing red in that place.
[ "$(red robot_a 245 696 31 31)" -eq 0 ] || fail "red found at the elbow place with robot a"
grep -q -F "(b) SCARAロボットのhybrid制御" "$out" || fail "no robot b heading on the console"

# 4. Data file through 'r'.
file=$(ls "$src"/examples/* 2>/dev/null | head -n1)
[ -n "$file" ] || fail "no file in examples/"
press r
filename "$file"
grep -q -F "読み込んだファイル名 = $file" "$out" || fail "file name not echoed"

# 5. ESC ends the program with status 0.
press Escape
for _ in $(seq 100); do kill -0 "$sim_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$sim_pid" 2>/dev/null && fail "the program did not end on ESC"
wait "$sim_pid"
status=$?
sim_pid=
[ "$status" -eq 0 ] || fail "exit status $status after ESC"
echo "e2e_menu: passed"
