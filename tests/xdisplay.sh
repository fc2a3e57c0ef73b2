# Shared by the end-to-end scripts that need a window: a private X display
# and the window manager's close request. Source it after TMP (a scratch
# folder) and SRC (the source dir) are set; it sets XPID and DISPLAY and
# builds $TMP/wmclose. The caller kills $XPID when it ends.
startdisplay() {
  Xvfb -displayfd 3 -screen 0 1024x900x24 -nolisten tcp 3>"$TMP/display" >"$TMP/xvfb.log" 2>&1 &
  XPID=$!
  for _ in $(seq 100); do [ -s "$TMP/display" ] && break; sleep 0.1; done
  [ -s "$TMP/display" ] || { cat "$TMP/xvfb.log"; echo "FAIL: Xvfb did not start"; return 1; }
  export DISPLAY=":$(head -n1 "$TMP/display")"
  c++ -O1 -o "$TMP/wmclose" "$SRC/tests/wmclose.cpp" -lX11 || { echo "FAIL: cannot build wmclose"; return 1; }
}
