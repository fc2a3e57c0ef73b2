#!/usr/bin/env bash
# The real program in its window under Xvfb, driven as a user would: the
# start dialogue typed on the console, keys pressed in the window, the
# picture checked pixel by pixel, the title read back, the pictures and
# figures the window's keys write, the exit status after escape and after
# the window manager's close.
# Usage: e2e_window.sh <build dir> <source dir>
set -u
BUILD=$(cd "$1" && pwd)
SRC=$(cd "$2" && pwd)
PROG="$BUILD/hybridsim"

for tool in Xvfb xdotool xprop xwininfo import convert identify c++; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is needed for this test"; exit 1; }
done
[ -x "$PROG" ] || { echo "FAIL: $PROG not built"; exit 1; }
[ -x "$BUILD/picture_tool" ] || { echo "FAIL: $BUILD/picture_tool not built"; exit 1; }

# ---- X server on a free display (Xvfb picks it and tells us) ----
. "$SRC/tests/xdisplay.sh"
windowscript
startdisplay || exit 1
echo "display $DISPLAY"

# ---- helpers ----
# Starts the program with the start dialogue on a fifo that stays open, so
# the console never meets end of input while the window runs. Arguments
# after the dialogue go to the program.
start() {
  rm -f "$TMP/in" "$TMP/rc" "$TMP/pid"
  mkfifo "$TMP/in"
  (
    "$PROG" "${@:2}" <"$TMP/in" >"$TMP/out" 2>&1 &
    echo $! >"$TMP/pid"
    wait $!
    echo $? >"$TMP/rc"
  ) &
  exec 4>"$TMP/in"
  printf '%s' "$1" >&4
  if ! awaitwindow; then
    tail -n 20 "$TMP/out"
    kill -0 "$XPID" 2>/dev/null || echo "the X server $DISPLAY has ended: $(cat "$TMP/xvfb.log")"
    echo "FAIL: no window with 'r:file' in its title, on the screen and painted"
    exit 1
  fi
}
# Waits for the program to end; prints its exit status.
finish() {
  for _ in $(seq 100); do [ -s "$TMP/rc" ] && break; sleep 0.1; done
  exec 4>&-
  rm -f "$TMP/pid"
  if [ -s "$TMP/rc" ]; then cat "$TMP/rc"; else echo "still running"; fi
}
key() { xdotool key "$@"; }
shot() { import -window "$WIN" "png:$TMP/$1.png"; }
# Takes the shot $1 until the test ($2, run by eval) holds on it, at most
# 30 s: the keys pressed before it may still be on their way. The checks
# after it decide.
awaitshot() {
  local end=$((SECONDS + 30))
  until shot "$1" && eval "$2"; do [ "$SECONDS" -lt "$end" ] || return 1; sleep 0.1; done
}
# "r g b" of one pixel.
pix() {
  convert "$TMP/$1.png" -crop "1x1+$2+$3" -depth 8 txt:- |
    sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p' | head -n1
}
# Number of red pixels in a box (x y w h).
reds() {
  convert "$TMP/$1.png" -crop "$4x$5+$2+$3" -depth 8 txt:- |
    grep -c '(255,0,0)' || true
}
# True when a red pixel lies within 2 pixels of (x, y).
redat() { [ "$(reds "$1" $(($2 - 2)) $(($3 - 2)) 5 5)" -gt 0 ]; }
is_white() { [ "$(pix "$@")" = "255 255 255" ]; }

# ---- default SCARA sine run ----
start 'nb6S'

geom=$(xwininfo -id "$WIN")
w=$(echo "$geom" | sed -n 's/ *Width: //p')
h=$(echo "$geom" | sed -n 's/ *Height: //p')
[ "$w" = 800 ] && [ "$h" = 800 ] && ok "window 800 x 800" || fail "window is ${w} x ${h}"

title=$(xprop -id "$WIN" _NET_WM_NAME)
expected='r:file, a,b:robot, k:ばね, h:hybrid, g:ゲイン，L,C,S:輪郭，e:設置誤差，f;Fn, W,w:拡大縮小，0:初期へ，s:継続'
case "$title" in
  *"UTF8_STRING) = \"$expected\""*) ok "UTF-8 title" ;;
  *) fail "title: $title" ;;
esac
# The legacy WM_NAME, for window managers that read nothing else: compound
# text that decodes to the same title (not UTF-8 bytes marked as Latin-1).
legacy=$(LC_ALL=C.UTF-8 xprop -id "$WIN" WM_NAME WM_ICON_NAME)
case "$legacy" in
  *"WM_NAME(COMPOUND_TEXT) = \"$expected\""*"WM_ICON_NAME(COMPOUND_TEXT) = \"$expected\""*)
    ok "legacy title in compound text" ;;
  *) fail "legacy title: $legacy" ;;
esac

# Frame 0 as first shown (a key that only redraws makes sure it is painted).
key 0
awaitshot f0 'redat f0 200 520'
is_white f0 780 780 && is_white f0 370 790 && ok "white background" || fail "background $(pix f0 780 780) / $(pix f0 370 790)"
redat f0 200 520 && ok "red base disc at (200, 520)" || fail "no red at the base: $(pix f0 200 520)"
# Time axes of the three graphs (y = 0.5, 0.1, -0.3) and their value axes (x = 0.4).
for y in 200 360 520; do
  redat f0 572 "$y" && ok "red time axis at y=$y" || fail "no red time axis at y=$y"
done
for y in 120 300 560; do
  redat f0 560 "$y" && ok "red value axis at y=$y" || fail "no red value axis at y=$y"
done
g0=$(reds f0 563 60 197 130)
[ "$g0" -eq 0 ] && ok "no curve at frame 0" || fail "$g0 red pixels in the position graph at frame 0"
l0=$(reds f0 0 0 540 800)

# Step the animation: the red tip curve appears and grows.
for _ in 1 2 3 4 5; do key s; done
awaitshot f5 '[ "$(reds f5 563 60 197 130)" -gt 0 ]'
g5=$(reds f5 563 60 197 130)
for _ in $(seq 20); do key s; done
awaitshot f25 '[ "$(reds f25 563 60 197 130)" -gt "$g5" ] && [ "$(reds f25 0 0 540 800)" -gt "$l0" ]'
g25=$(reds f25 563 60 197 130)
[ "$g5" -gt 0 ] && [ "$g25" -gt "$g5" ] && ok "red curve grows with s ($g0, $g5, $g25)" ||
  fail "red curve does not grow: $g0, $g5, $g25"
l25=$(reds f25 0 0 540 800)
[ "$l25" -gt "$l0" ] && ok "red trace grows in the robot view ($l0 -> $l25)" || fail "robot view red $l0 -> $l25"

# Zoom out: the base moves towards the centre, to 0.9 x (-0.5, -0.3).
key w
awaitshot zw 'redat zw 220 508 && ! redat zw 200 520'
redat zw 220 508 && ! redat zw 200 520 && ok "w moves the base to (220, 508)" || fail "after w: $(pix zw 220 508) / $(pix zw 200 520)"
key W
awaitshot zW 'redat zW 200 520'
redat zW 200 520 && ok "W brings the base back" || fail "after W: $(pix zW 200 520)"
key 0
awaitshot back0 '[ "$(reds back0 563 60 197 130)" -eq 0 ]'
gb=$(reds back0 563 60 197 130)
[ "$gb" -eq 0 ] && ok "0 goes back to frame 0" || fail "$gb red pixels in the position graph after 0"

# A menu key hands over to the console: 'f', answer y and 12 N; the menu
# reruns and the window takes keys again ('f' once more shows the new force).
closings() { grep -o '描画画面へ　' "$TMP/out" | wc -l; }
waitclosings() {
  for _ in $(seq 300); do [ "$(closings)" -ge "$1" ] && return 0; sleep 0.2; done
  return 1
}

# 'o' saves the case through the console under the whole line typed, blanks
# around it trimmed; read back by the batch program it gives the same run as
# the same selections do.
SAVED="$TMP/lab week 3.dat"
n0=$(closings)
key o
printf '  %s \n' "$SAVED" >&4
waitclosings $((n0 + 1)) && grep -q "ファイル $SAVED に保存しました．" "$TMP/out" &&
  ok "o saved the case under a name with blanks" || fail "o: $(tail -c 300 "$TMP/out")"
"$BUILD/hybridsim-batch" "$SAVED" >"$TMP/saved.csv" 2>/dev/null
"$BUILD/hybridsim-batch" --robot b --method 6 --contour S >"$TMP/direct.csv" 2>/dev/null
[ -s "$TMP/saved.csv" ] && cmp -s "$TMP/saved.csv" "$TMP/direct.csv" &&
  ok "the saved case runs again byte for byte" || fail "the saved case runs differently"
"$BUILD/hybridsim-batch" --robot b --method 6 --contour S --save-case "$TMP/batch.dat" &&
  cmp -s "$TMP/batch.dat" "$SAVED" && ok "the batch program's --save-case writes the bytes 'o' writes" ||
  fail "--save-case differs from 'o': $(diff "$TMP/batch.dat" "$SAVED" | head -5)"
# Python's save_case of the same run writes the same bytes as 'o'.
if ls "$BUILD"/python/hybridsim/_core*.so >/dev/null 2>&1; then
  PYTHONPATH="$BUILD/python" /usr/bin/python3 -c 'import sys, hybridsim
hybridsim.Simulator(robot="b", method=6, contour="S").run().save_case(sys.argv[1])' "$TMP/py.dat" &&
    cmp -s "$TMP/py.dat" "$SAVED" && ok "Python's save_case writes the bytes 'o' writes" ||
    fail "Python's save_case differs from 'o': $(diff "$TMP/py.dat" "$SAVED" | head -5)"
fi

# 'r', 'r' again in the frozen window while the console asks for the file
# name, an empty line: the prompt is cancelled saying so, and the second 'r'
# is dropped: the '?' next is answered with no second prompt before it.
count() { grep -o "$1" "$TMP/out" | wc -l; }
waitcount() { for _ in $(seq 300); do [ "$(count "$1")" -ge "$2" ] && return 0; sleep 0.2; done; return 1; }
# Presses the keys and then '?', which only prints the key list: once the
# list is printed the keys before it have been handled.
handled() { local h; h=$(count 'その他のキー'); xdotool key "$@" question; waitcount 'その他のキー' $((h + 1)); }
n0=$(closings); p0=$(count 'ファイル名入力'); h0=$(count 'その他のキー')
xdotool key r && waitcount 'ファイル名入力' $((p0 + 1)) && xdotool key r && printf '\n' >&4
waitclosings $((n0 + 1)) && xdotool key question
waitcount 'その他のキー' $((h0 + 1)) && ok "? prints the key list" || fail "? printed no key list"
[ "$(count 'ファイル名入力')" -eq $((p0 + 1)) ] && [ "$(closings)" -eq $((n0 + 1)) ] &&
  grep -q 'ファイル名がないので読み込みません（設定は変更していません）．' "$TMP/out" &&
  ok "an empty file name cancels, the r pressed meanwhile is dropped" || fail "r, r, empty line: $(tail -c 300 "$TMP/out")"

n0=$(closings)
key f
printf 'y12\n' >&4
waitclosings $((n0 + 1)) && ok "menu key f ran the menu and the rerun" || fail "no rerun after f"
key f
printf 'n' >&4
waitclosings $((n0 + 2)) || fail "no rerun after the second f"
grep -q '旧 Fn=12.00\[N\]' "$TMP/out" && ok "the window's f changed Fn through the console" ||
  fail "Fn 12 not shown: $(grep -o '旧 Fn=[^[]*' "$TMP/out" | tail -n1)"
for _ in 1 2 3 4 5 6; do key s; done
awaitshot menu1 '[ "$(reds menu1 563 60 197 130)" -gt 0 ]'
g1=$(reds menu1 563 60 197 130)
[ "$g1" -gt 0 ] && ok "window steps the new run" || fail "no curve after the menu and s"

# 1000 x 880: the picture in the centred 880 x 880 square, 440 px a unit:
# the base at (280, 572), the position graph's value axis at (676, 132).
xdotool windowsize --sync "$WIN" 1000 880
for _ in $(seq 100); do shot wide; redat wide 280 572 && break; sleep 0.1; done
redat wide 280 572 && redat wide 676 132 && is_white wide 30 440 && is_white wide 970 440 &&
  ok "1000 x 880: the picture in the centred square" || fail "1000 x 880: $(pix wide 280 572), $(pix wide 676 132)"

key Escape
rc=$(finish)
[ "$rc" = 0 ] && ok "escape ends with status 0" || fail "after escape: $rc"

# ---- playback: the saved case named on the command line, space plays it
# without any 's', Left steps back, Home goes to step 0 ----
# CPU time [clock ticks] the program has used so far.
cputicks() { awk '{ print $14 + $15 }' "/proc/$(cat "$TMP/pid")/stat"; }
# Pixels that differ between two shots in a box (x y w h).
changed() {
  compare -metric AE -crop "$5x$6+$3+$4" "$TMP/$1.png" "$TMP/$2.png" null: 2>&1 | cut -d' ' -f1
}
start '' "$SAVED"
grep -q "読み込んだファイル名 = $SAVED" "$TMP/out" && ! grep -q 'ロボットの選択   a:' "$TMP/out" &&
  ok "hybridsim CASEFILE starts with the case" || fail "case file not read: $(head -c 400 "$TMP/out")"
key 0
awaitshot p0 'redat p0 200 520'
# Space plays: with no further key the curve appears; a second space
# pauses at once, before the last step.
handled space
awaitshot p1 '[ "$(reds p1 563 60 197 130)" -gt 0 ]'
handled space
shot p3
# This sleep measures idling over real time, not a wait for an event.
t0=$(cputicks)
sleep 2
t1=$(cputicks)
shot p4
q0=$(reds p0 563 60 197 130); q1=$(reds p1 563 60 197 130)
q3=$(reds p3 563 60 197 130); q4=$(reds p4 563 60 197 130)
[ "$q0" -eq 0 ] && [ "$q1" -gt 0 ] && [ "$q3" -ge "$q1" ] && ok "space plays: the curve grows by itself ($q0, $q1, $q3)" ||
  fail "space did not play: $q0, $q1, $q3"
[ "$(changed p3 p4 0 0 800 800)" -eq 0 ] && ok "space pauses ($q3, $q4)" || fail "still moving after the pause: $q3, $q4"
[ $((t1 - t0)) -lt 20 ] && ok "paused window sleeps ($((t1 - t0)) ticks of CPU in 2 s)" ||
  fail "paused window used $((t1 - t0)) ticks of CPU in 2 s"
[ "$(changed p0 p3 20 770 160 30)" -gt 0 ] && ok "the step line changes with the step" ||
  fail "the step line does not change"
key Left
awaitshot p5 '[ "$(changed p4 p5 20 770 160 30)" -gt 0 ]'
q5=$(reds p5 563 60 197 130)
# One step back: the step line and the curves' ends change, the curves stay.
[ "$q5" -le "$q4" ] && [ "$q5" -gt 0 ] && [ "$(changed p4 p5 20 770 160 30)" -gt 0 ] &&
  [ "$(changed p4 p5 540 0 260 800)" -gt 0 ] && ok "Left steps back ($q4 -> $q5)" || fail "Left: $q4 -> $q5"
key Home
awaitshot p6 '[ "$(reds p6 563 60 197 130)" -eq 0 ]'
q6=$(reds p6 563 60 197 130)
[ "$q6" -eq 0 ] && [ "$(changed p0 p6 0 0 800 800)" -eq 0 ] && ok "Home shows step 0 again" ||
  fail "Home: $q6 red pixels, $(changed p0 p6 0 0 800 800) pixels differ from step 0"
# End shows the last step: not the one paused at above.
key End
awaitshot p7 '[ "$(changed p6 p7 20 770 160 30)" -gt 0 ]'
[ "$(changed p4 p7 20 770 160 30)" -gt 0 ] && ok "the pause came before the last step" ||
  fail "the step paused at is the last step"
handled space
key Escape
rc=$(finish)
[ "$rc" = 0 ] && ok "escape while playing ends with status 0" || fail "escape while playing: $rc"

# ---- pictures and figures from the window: 'p' and 'v' write files into
# the current folder under the case's name, numbered rather than replaced;
# 'm' and 'M' print the figures of merit; the run on screen stays ----
waitfor() {
  for _ in $(seq 300); do grep -qF "$1" "$TMP/out" && return 0; sleep 0.2; done
  return 1
}
mkdir -p "$TMP/pics"
cd "$TMP/pics" || exit 1
start 'nb6S'
cd "$TMP" || exit 1
key End
key p
key p
for name in hybridsim-b6S-200.png hybridsim-b6S-200-1.png; do
  waitfor "描画画面をファイル $name に保存しました．" && [ -f "$TMP/pics/$name" ] &&
    ok "p wrote $name" || fail "p: no $name: $(tail -c 300 "$TMP/out")"
done
[ "$(identify -format '%m %w %h' "$TMP/pics/hybridsim-b6S-200.png" 2>/dev/null)" = "PNG 800 800" ] &&
  ok "the PNG is 800 x 800" || fail "the PNG is not an 800 x 800 PNG"
"$BUILD/picture_tool" b 6 S write 200 "$TMP/step200.png" &&
  cmp -s "$TMP/step200.png" "$TMP/pics/hybridsim-b6S-200.png" &&
  ok "the PNG is the picture of the shown step 200" || fail "the PNG is not the picture of step 200"
key v
waitfor "アニメーションをファイル hybridsim-b6S.gif に保存しました．" &&
  ok "v wrote hybridsim-b6S.gif" || fail "v: $(tail -c 300 "$TMP/out")"
frames=$(identify -format '%m %W %H %T\n' "$TMP/pics/hybridsim-b6S.gif" 2>/dev/null | sort | uniq -c)
[ "$(echo $frames)" = "201 GIF 800 800 4" ] &&
  ok "the GIF decodes to 201 images of 800 x 800 at 4/100 s" || fail "the GIF: $frames"
n0=$(closings)
key m
waitclosings $((n0 + 1)) && grep -q '制御結果の評価　SCARAロボット　hybrid6　正弦波曲線' "$TMP/out" &&
  grep -q '接触力誤差の実効値（整定後）.*frms *= *[0-9.]*\[N\]' "$TMP/out" &&
  ok "m printed the figures of merit" || fail "m: $(tail -c 400 "$TMP/out")"
key M
# (two blocks of columns: each method has a row in each)
waitclosings $((n0 + 2)) && grep -q '制御方法の比較　SCARAロボット　正弦波曲線' "$TMP/out" &&
  [ "$(grep -c '^  hybrid[1346] ' "$TMP/out")" = 8 ] && grep -q '^  hybrid6 .* ←現在' "$TMP/out" &&
  ok "M printed the table of the four methods" || fail "M: $(tail -c 600 "$TMP/out")"
# The window takes keys again and shows the same run as before 'M'.
key p
waitfor "描画画面をファイル hybridsim-b6S-200-2.png に保存しました．" &&
  cmp -s "$TMP/pics/hybridsim-b6S-200.png" "$TMP/pics/hybridsim-b6S-200-2.png" &&
  ok "after M the window shows the same run" || fail "the picture after M differs"
# 't' after '+': the study view of the pinned run and the run on screen
# (its table's best cells yellow, the settling second grey); 't' again: the
# picture exactly as before.
shot beforet
key plus t
yellow() { convert "$TMP/$1.png" -depth 8 txt:- | grep -c '(255,23[6-8],1[34][0-9])' || true; }
awaitshot studyt '[ "$(yellow studyt)" -gt 100 ]' && ok "t shows the study view" ||
  fail "t: no study view ($(yellow studyt) yellow pixels)"
[ "$(yellow beforet)" -eq 0 ] || fail "yellow in the picture before t"
key t
awaitshot backt '[ "$(changed beforet backt 0 0 800 800)" = 0 ]' && ok "t again shows the same picture" ||
  fail "after t t the picture differs in $(changed beforet backt 0 0 800 800) pixels"
ls "$TMP/pics" | grep -qv '^hybridsim-b6S\(-200\(-[12]\)\?\.png\|\.gif\)$' &&
  fail "unexpected files: $(ls "$TMP/pics")"
key Escape
rc=$(finish)
[ "$rc" = 0 ] && ok "escape after the pictures ends with status 0" || fail "escape after the pictures: $rc"

# ---- closing the window from the window manager ends like escape; in a
# Shift-JIS locale the window manager's title is still UTF-8 ----
if locale -a 2>/dev/null | grep -qix 'ja_JP.sjis'; then
  export LC_ALL=ja_JP.sjis
  start 'nb6S'
  unset LC_ALL
  case "$(xprop -id "$WIN" _NET_WM_NAME)" in
    *"UTF8_STRING) = \"$expected\""*) ok "UTF-8 title in a Shift-JIS locale" ;;
    *) fail "title in a Shift-JIS locale: $(xprop -id "$WIN" _NET_WM_NAME)" ;;
  esac
  case "$(LC_ALL=C.UTF-8 xprop -id "$WIN" WM_NAME)" in
    *"WM_NAME(COMPOUND_TEXT) = \"$expected\""*) ok "legacy title in a Shift-JIS locale" ;;
    *) fail "legacy title in a Shift-JIS locale: $(LC_ALL=C.UTF-8 xprop -id "$WIN" WM_NAME)" ;;
  esac
else
  echo "note: no ja_JP.sjis locale, closing test in the default locale"
  start 'nb6S'
fi
"$TMP/wmclose" "$WIN"
rc=$(finish)
[ "$rc" = 0 ] && ok "window close ends with status 0" || fail "after close: $rc"

# ---- the title in English: --lang en in a Japanese locale, and a locale
# of another language that is not installed ----
saved_lc_all=${LC_ALL-}
for how in "LC_ALL=ja_JP.UTF-8 --lang en" "LC_ALL=fr_FR.UTF-8"; do
  set -- $how
  export "$1" 2>/dev/null
  start 'nb6S' "${@:2}"
  export LC_ALL="$saved_lc_all" 2>/dev/null
  english='r:file, a,b:robot, k:springs, h:hybrid method, g:gains, L,C,S:contour, e:setting error, f:Fn, W,w:zoom in/out, 0:to the start, s:step'
  case "$(xprop -id "$WIN" _NET_WM_NAME)" in
    *"UTF8_STRING) = \"$english\""*) ok "English title ($how)" ;;
    *) fail "title ($how): $(xprop -id "$WIN" _NET_WM_NAME)" ;;
  esac
  key Escape
  rc=$(finish)
  [ "$rc" = 0 ] || fail "escape ($how): $rc"
done

# ---- no display: one clear message before the dialogue, status 1 ----
out=$(env -u DISPLAY "$PROG" </dev/null 2>&1)
rc=$?
[ "$rc" = 1 ] && echo "$out" | grep -q 'hybridsim-batch' && ! echo "$out" | grep -q 'ロボットの選択' &&
  ok "no display: message naming hybridsim-batch, status 1" || fail "no display: status $rc, output: $out"

[ "$FAILS" -eq 0 ] && echo "all window checks passed" || echo "$FAILS window check(s) failed"
[ "$FAILS" -eq 0 ]
