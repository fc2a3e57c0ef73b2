# Shared by the end-to-end scripts that need a window: a private X display
# and the window manager's close request, the wait for the program's window,
# and the scaffold of a window script. Source it after SRC (the source dir) is set. startdisplay needs
# TMP (a scratch folder: windowscript makes one); it sets XPID and DISPLAY
# and builds $TMP/wmclose. The caller kills $XPID when it ends (windowscript's
# clean-up does).
# -noreset: without it the server resets whenever its last client leaves, and
# a program connecting just then (while xdotool polls for its window) can be
# turned away with "failed to open display".
startdisplay() {
  Xvfb -displayfd 3 -screen 0 1024x900x24 -nolisten tcp -noreset 3>"$TMP/display" >"$TMP/xvfb.log" 2>&1 &
  XPID=$!
  for _ in $(seq 100); do [ -s "$TMP/display" ] && break; sleep 0.1; done
  [ -s "$TMP/display" ] || { cat "$TMP/xvfb.log"; echo "FAIL: Xvfb did not start"; return 1; }
  export DISPLAY=":$(head -n1 "$TMP/display")"
  c++ -O1 -o "$TMP/wmclose" "$SRC/tests/wmclose.cpp" -lX11 || { echo "FAIL: cannot build wmclose"; return 1; }
}

# Waits for the program's window to be on the screen (at most 2 minutes, or
# until $TMP/rc says the program ended) and sets WIN; then puts it at (0, 0)
# so that its pixels match window coordinates (without a window manager the
# toolkit's default position is (-1, -1)) and the pointer inside it (keys go
# to the window under the pointer), and waits (at most 30 s) until the
# server has the pointer over it and its first picture shows (the red time
# axis of the position graph at (572, 200)). False if any of it never comes.
awaitwindow() {
  local end
  WIN=""
  for _ in $(seq 600); do
    WIN=$(xdotool search --onlyvisible --name 'r:file' 2>/dev/null | head -n1)
    [ -n "$WIN" ] && break
    [ -s "$TMP/rc" ] && return 1
    sleep 0.2
  done
  [ -n "$WIN" ] || return 1
  xdotool windowmove --sync "$WIN" 0 0
  xdotool mousemove --window "$WIN" 400 400
  end=$((SECONDS + 30))
  until xdotool getmouselocation | grep -q "window:$WIN\$" && import -window "$WIN" "png:$TMP/painted.png" &&
      convert "$TMP/painted.png" -crop 5x5+570+198 -depth 8 txt:- | grep -q '(255,0,0)'; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# The scaffold of a window script: the scratch folder TMP, the failure count
# FAILS, fail/ok lines, and a clean-up on exit that closes descriptor 4 and
# ends the program whose pid is in $TMP/pid and the X server.
windowscript() {
  TMP=$(mktemp -d)
  XPID="" ; FAILS=0
  trap windowcleanup EXIT
}
windowcleanup() {
  exec 4>&- 2>/dev/null
  [ -s "$TMP/pid" ] && kill "$(cat "$TMP/pid")" 2>/dev/null
  [ -n "$XPID" ] && kill "$XPID" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$TMP"
}
fail() { echo "FAIL: $*"; FAILS=$((FAILS + 1)); }
ok() { echo "ok: $*"; }
