#!/usr/bin/env bash
# The PNG of a frame against a screenshot of the real window at the same
# step under Xvfb: the window is started with the start dialogue, stepped
# with 's', captured, and the file picture of the same case and step is
# compared pixel by pixel (each channel within 40 counts as the same
# colour) over the whole picture and outside the text boxes.
# Usage: e2e_picture.sh <build dir> <source dir>
set -u
BUILD=$(cd "$1" && pwd)
SRC=$(cd "$2" && pwd)
PROG="$BUILD/hybridsim"
TOOL="$BUILD/picture_tool"

for tool in Xvfb xdotool import convert c++; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is needed for this test"; exit 1; }
done
[ -x "$PROG" ] && [ -x "$TOOL" ] || { echo "FAIL: $PROG or $TOOL not built"; exit 1; }

. "$SRC/tests/xdisplay.sh"
windowscript
startdisplay || exit 1

# Screenshot of the window after the dialogue $1 and $3 steps: $TMP/$2.png.
windowshot() {
  rm -f "$TMP/in" "$TMP/pid"
  mkfifo "$TMP/in"
  "$PROG" <"$TMP/in" >"$TMP/out" 2>&1 &
  echo $! >"$TMP/pid"
  exec 4>"$TMP/in"
  printf '%s' "$1" >&4
  awaitwindow || { tail -n 20 "$TMP/out"; echo "FAIL: no window"; exit 1; }
  # The keys queue up; '?' after them only prints the key list, and once it
  # is printed they have all been handled. Then two captures in a row agree.
  # shellcheck disable=SC2046
  xdotool key --delay 10 0 $(yes s | head -n "$3") question
  for _ in $(seq 300); do grep -q 'その他のキー' "$TMP/out" && break; sleep 0.1; done
  import -window "$WIN" "png:$TMP/$2.png"
  for _ in $(seq 100); do
    import -window "$WIN" "png:$TMP/again.png"
    cmp -s "$TMP/$2.png" "$TMP/again.png" && break
    mv "$TMP/again.png" "$TMP/$2.png"
    sleep 0.2
  done
  xdotool key Escape
  for _ in $(seq 50); do kill -0 "$(cat "$TMP/pid")" 2>/dev/null || break; sleep 0.1; done
  exec 4>&-
}

# robot, method, contour, step
for c in "b 6 S 0" "b 6 S 200" "a 1 C 100" "b 4 L 150"; do
  set -- $c
  windowshot "n$1$2$3" shot "$4"
  if out=$("$TOOL" "$1" "$2" "$3" compare "$4" "$TMP/shot.png"); then
    ok "$1$2$3 step $4: $out"
  else
    fail "$1$2$3 step $4: $out"
  fi
done

[ "$FAILS" -eq 0 ] && echo "all picture checks passed" || echo "$FAILS picture check(s) failed"
[ "$FAILS" -eq 0 ]
