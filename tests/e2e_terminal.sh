#!/usr/bin/env bash
# The terminal the simulator was started from is left exactly as it was
# found ("stty -g" before and after the program): after escape in the window,
# after the window manager closes the window, and after Ctrl-C or a
# termination request while the console waits for a key (in the start
# dialogue, and in a menu called up from the window). Ctrl-D at a number
# entry cancels that entry only, at the first start question it counts as
# 'n', at the robot, method or contour question it ends the program; keys
# typed ahead are answered in order; an empty file name cancels; the output
# ends with a line break. The real program runs
# on a pseudo-terminal made by script(1), with a private Xvfb display.
# Usage: e2e_terminal.sh <build dir> <source dir>
set -u
BUILD=$(cd "$1" && pwd)
SRC=$(cd "$2" && pwd)
PROG="$BUILD/hybridsim"

for tool in Xvfb xdotool import convert script stty pgrep c++; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is needed for this test"; exit 1; }
done
[ -x "$PROG" ] || { echo "FAIL: $PROG not built"; exit 1; }

TMP=$(mktemp -d)
XPID="" ; SPID="" ; FAILS=0
cleanup() {
  exec 4>&- 2>/dev/null
  local p
  p=$(progpid 2>/dev/null)
  [ -n "$p" ] && kill -KILL "$p" 2>/dev/null
  [ -n "$SPID" ] && kill "$SPID" 2>/dev/null
  [ -n "$XPID" ] && kill "$XPID" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$TMP"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; FAILS=$((FAILS + 1)); }
ok() { echo "ok: $*"; }

. "$SRC/tests/xdisplay.sh"
startdisplay || exit 1

# Inside the pty: note the terminal and its mode, run the program in the
# foreground, note its status and the mode after it. The shell catches the
# signals so that it outlives the program and can look at the terminal.
cat >"$TMP/wrap.sh" <<EOF
tty >"$TMP/tty"
stty -g >"$TMP/before"
trap : INT TERM QUIT HUP
echo \$\$ >"$TMP/wrappid"
"$PROG"
echo \$? >"$TMP/rc"
stty -g >"$TMP/after"
EOF

# Starts the program on a fresh pty; what is written to fd 4 is typed on it.
start() {
  rm -f "$TMP/in" "$TMP/tty" "$TMP/before" "$TMP/after" "$TMP/rc" "$TMP/wrappid"
  mkfifo "$TMP/in"
  script -qfec "bash $TMP/wrap.sh" /dev/null <"$TMP/in" >"$TMP/out" 2>&1 &
  SPID=$!
  exec 4>"$TMP/in"
  for _ in $(seq 100); do [ -s "$TMP/before" ] && [ -s "$TMP/wrappid" ] && break; sleep 0.1; done
  [ -s "$TMP/before" ] || { echo "FAIL: no pseudo-terminal from script"; cat "$TMP/out"; exit 1; }
}
progpid() { [ -s "$TMP/wrappid" ] && pgrep -P "$(cat "$TMP/wrappid")" -x hybridsim | head -n1; }
# Waits until the console waits for one key (the terminal leaves line mode).
awaitkey() {
  local tty
  tty=$(cat "$TMP/tty")
  for _ in $(seq 600); do
    stty -F "$tty" -a 2>/dev/null | grep -q -- '-icanon' && return 0
    [ -s "$TMP/rc" ] && return 1
    sleep 0.1
  done
  return 1
}
# Waits for the end; checks the exit status and that the mode is the one before.
finish() {
  local name=$1 want=$2 rc
  for _ in $(seq 300); do [ -s "$TMP/after" ] && break; sleep 0.1; done
  exec 4>&-
  wait "$SPID" 2>/dev/null
  SPID=""
  if [ ! -s "$TMP/after" ]; then
    fail "$name: the program did not end"
    tail -n 5 "$TMP/out"
    return
  fi
  rc=$(cat "$TMP/rc")
  [ "$rc" = "$want" ] && ok "$name: exit status $rc" || fail "$name: exit status $rc, expected $want"
  if [ "$(cat "$TMP/before")" = "$(cat "$TMP/after")" ]; then
    ok "$name: terminal mode restored"
  else
    fail "$name: terminal mode before $(cat "$TMP/before") after $(cat "$TMP/after")"
  fi
}
# Waits until the console reads a line again (the terminal back in line mode).
# Typed ahead, a line still reaches the entry it is meant for: the program
# neither flushes the terminal nor drops a line it has not read.
awaitline() {
  local tty
  tty=$(cat "$TMP/tty")
  for _ in $(seq 600); do
    stty -F "$tty" -a 2>/dev/null | grep -q -- ' icanon' && return 0
    [ -s "$TMP/rc" ] && return 1
    sleep 0.1
  done
  return 1
}
# How often the console has said "back to the window", and the wait (at most
# 30 s) until it has said so $1 times.
closings() { grep -o '描画画面へ　' "$TMP/out" | wc -l; }
awaitclosings() {
  for _ in $(seq 300); do [ "$(closings)" -ge "$1" ] && return 0; [ -s "$TMP/rc" ] && return 1; sleep 0.1; done
  return 1
}
# The start dialogue typed key by key (the answer to the file question, 'n'
# unless given, then robot b, method 6, sine), then the window.
dialogue() {
  awaitkey || return 1
  printf '%s' "${1:-n}" >&4
  for k in b 6 S; do
    awaitkey || return 1
    printf '%s' "$k" >&4
  done
  awaitwindow
}

# ---- Ctrl-D at the file question counts as 'n'; an empty file name at 'o'
# saves nothing, saying so; escape; the output ends with a line break ----
start
if dialogue $'\004'; then
  xdotool key o
  awaitline && printf '\n' >&4
  for _ in $(seq 100); do grep -q '保存しませんでした．' "$TMP/out" && break; sleep 0.1; done
  grep -q 'ロボットの選択' "$TMP/out" && grep -q '保存しませんでした．' "$TMP/out" &&
    ok "Ctrl-D at the file question is n; an empty file name saves nothing" || fail "Ctrl-D, o: $(tail -c 200 "$TMP/out")"
  xdotool key Escape
  finish "escape" 0
  [ "$(tail -c 2 "$TMP/out" | od -An -c | tr -d ' ')" = '\r\n' ] && ok "the output ends with a line break" ||
    fail "the output ends with: $(tail -c 20 "$TMP/out" | od -An -c)"
else
  fail "escape: no window"; finish "escape" 0
fi

# ---- the window manager closes the window ----
start
if dialogue; then
  "$TMP/wmclose" "$WIN"
  finish "window close" 0
else
  fail "window close: no window"; finish "window close" 0
fi

# ---- keys typed ahead in one burst are answered in order: 'y', Enter (an
# empty file name: the dialogue goes on) and "b3S" give robot b, method 3,
# sine ----
start
if awaitkey; then
  printf 'y\nb3S' >&4
  if awaitwindow; then
    tr -d '\r' <"$TMP/out" | grep -a -A1 'curve=$' | grep -qx S && grep -aq 'hybrid3' "$TMP/out" &&
      ok "keys typed ahead are answered" || fail "typed ahead: $(head -c 900 "$TMP/out")"
    xdotool key Escape
  fi
  finish "keys typed ahead" 0
else
  fail "typed ahead: no key awaited"; finish "keys typed ahead" 0
fi

# ---- Ctrl-D at the method question ends the program, saying so ----
start
if awaitkey && printf 'n' >&4 && awaitkey && printf 'b' >&4 && awaitkey; then
  printf '\004' >&4
  finish "Ctrl-D at the method question" 1
  grep -q 'プログラムを終了します' "$TMP/out" && ok "Ctrl-D at the method question says the program ends" ||
    fail "Ctrl-D at the method question: $(tail -c 200 "$TMP/out")"
else
  fail "Ctrl-D: no key awaited"; finish "Ctrl-D at the method question" 1
fi

# ---- Ctrl-C while the start dialogue waits for a key ----
start
if awaitkey; then
  printf '\003' >&4
  finish "Ctrl-C in the start dialogue" 130
else
  fail "Ctrl-C: no key awaited"; finish "Ctrl-C in the start dialogue" 130
fi

# ---- SIGTERM while the start dialogue waits for a key ----
start
if awaitkey; then
  kill -TERM "$(progpid)"
  finish "SIGTERM in the start dialogue" 143
else
  fail "SIGTERM: no key awaited"; finish "SIGTERM in the start dialogue" 143
fi

# ---- Ctrl-C while a menu called from the window waits for a key ----
start
if dialogue; then
  xdotool key f
  if awaitkey; then
    printf '\003' >&4
  else
    fail "menu: no key awaited after the window's f"
  fi
  finish "Ctrl-C in the menu" 130
else
  fail "menu: no window"; finish "Ctrl-C in the menu" 130
fi

# ---- SIGTERM while a menu called from the window waits for a key ----
start
if dialogue; then
  xdotool key f
  if awaitkey; then
    kill -TERM "$(progpid)"
  else
    fail "menu: no key awaited after the window's f"
  fi
  finish "SIGTERM in the menu" 143
else
  fail "menu: no window"; finish "SIGTERM in the menu" 143
fi

# ---- Ctrl-D at a number cancels that entry only; the menu reads on ----
# 'e', 'y', Ctrl-D at the setting error: it keeps its value and the force
# question still waits for a key; the next window key 'f' reads the
# terminal again and takes the force typed there.
start
if dialogue; then
  n0=$(closings)
  xdotool key e
  awaitkey && printf 'y' >&4
  awaitline && printf '\004' >&4
  if awaitkey; then
    ok "Ctrl-D: the next question still waits for a key"
    printf 'n' >&4
  else
    fail "Ctrl-D: no key awaited after it"
  fi
  awaitclosings $((n0 + 1)) || fail "Ctrl-D: the menu did not hand back to the window"
  xdotool key f
  if awaitkey; then
    printf 'y' >&4
    awaitline && printf '9\n' >&4
  else
    fail "Ctrl-D: the menu of the next window key does not wait for a key"
  fi
  awaitclosings $((n0 + 2)) || fail "Ctrl-D: the menu of the next window key did not hand back to the window"
  tr -d '\r' <"$TMP/out" | grep -q 'Fn= 9.000\[N\]' && ok "Ctrl-D: the next menu takes its number" ||
    fail "Ctrl-D: the force typed after it was not taken"
  tr -d '\r' <"$TMP/out" | grep -q '設置誤差(X正方向ずれ) e =  5.000\[mm\]' ||
    fail "Ctrl-D: the setting error changed"
  xdotool key Escape
  finish "Ctrl-D in the menu" 0
else
  fail "Ctrl-D: no window"; finish "Ctrl-D in the menu" 0
fi

# ---- the whole session in English ----
# Under an English locale the start dialogue, every group of a menu pass
# (with two refused entries), the path ends out of reach with their key waits, the settings report, the
# figures of merit, the comparison and the key help show no Japanese
# character; the keys are the same.
# Answers every key wait with a blank until the menu's rerun has ended.
answerwaits() {
  local tty size n0
  tty=$(cat "$TMP/tty")
  n0=$(grep -c 'To the graphics window' "$TMP/out")
  for _ in $(seq 600); do
    [ "$(grep -c 'To the graphics window' "$TMP/out")" -gt "$n0" ] && return 0
    [ -s "$TMP/rc" ] && return 1
    if stty -F "$tty" -a 2>/dev/null | grep -q -- '-icanon'; then
      size=$(stat -c %s "$TMP/out")
      printf ' ' >&4
      for _ in $(seq 100); do [ "$(stat -c %s "$TMP/out")" -gt "$size" ] && break; sleep 0.1; done
    fi
    sleep 0.1
  done
  return 1
}
export LC_ALL=en_US.UTF-8
start
unset LC_ALL
english=0
awaitkey && printf 'n' >&4
for k in b 1 L; do awaitkey && printf '%s' "$k" >&4; done
if awaitwindow; then
  xdotool key k
  # Two refused entries first: text that is no number, then a zero spring.
  awaitkey && printf 'y' >&4 && awaitline && printf 'x 600\n' >&4 && awaitline && printf '0 600\n' >&4
  awaitline && printf '600 600\n' >&4
  awaitkey && printf 'y' >&4 && awaitkey && printf '3' >&4
  awaitkey && printf 'y' >&4 && awaitline && printf '5 0\n' >&4 && awaitline && printf '20 2\n' >&4
  awaitkey && printf 'y' >&4 && awaitkey && printf 'L' >&4
  awaitkey && printf 'y' >&4 && awaitline && printf '3 0 3 0.3 4\n' >&4
  awaitkey && printf ' ' >&4 && awaitkey && printf ' ' >&4
  awaitkey && printf 'y' >&4 && awaitline && printf '2\n' >&4
  awaitkey && printf 'y' >&4 && awaitline && printf '12\n' >&4
  answerwaits || fail "English: the menu's rerun did not end"
  for k in m M question; do
    size=$(stat -c %s "$TMP/out")
    xdotool key "$k"
    for _ in $(seq 300); do [ "$(stat -c %s "$TMP/out")" -gt "$size" ] && break; sleep 0.1; done
  done
  xdotool key Escape
  english=1
else
  fail "English: no window"
fi
finish "English session" 0
if [ "$english" -eq 1 ]; then
  for want in 'Robot control simulation' 'Choose the contour curve' 'change the hand spring constants?' \
      'old hybrid1 -> new' 'No inverse kinematics solution' 'Press a key to continue.' \
      'hand spring constants   (KH1, KH2) = (600.00 600.00)[N/m]' 'Fn = 12.000[N]' \
      'out of the hand' 'Figures of merit' 'Comparison of the control methods' 'Other keys of the graphics window' \
      '!! Not readable as a number.' '!! The spring constants KH1, KH2 must be positive'; do
    grep -qF -- "$want" "$TMP/out" || fail "English: no \"$want\""
  done
  if LC_ALL=C.UTF-8 grep -qP '[\x{3000}-\x{30ff}\x{4e00}-\x{9fff}\x{ff00}-\x{ffef}]' "$TMP/out"; then
    fail "English: Japanese text: $(LC_ALL=C.UTF-8 grep -oP '.{0,20}[\x{3000}-\x{30ff}\x{4e00}-\x{9fff}\x{ff00}-\x{ffef}]+' "$TMP/out" | head -n 3)"
  else
    ok "English: no Japanese character in the session"
  fi
fi

if [ "$FAILS" -ne 0 ]; then
  echo "$FAILS terminal check(s) failed"
  exit 1
fi
echo "all terminal checks passed"
