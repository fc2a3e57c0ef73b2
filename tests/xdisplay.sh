# Shared by the end-to-end scripts that need a window: a private X display
# and the window manager's close request, and the scaffold of a window
# script. Source it after SRC (the source dir) is set. startdisplay needs
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
