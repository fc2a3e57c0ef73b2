#!/usr/bin/env bash
# The layers hold at link level:
#   - hybridsim-batch, the test program and the benchmark load no GL, GLUT or
#     X11 library (the window program does), and hybridsim-batch no picture
#     library either;
#   - each layer's library calls nothing of ours that only a layer above it
#     defines: every hs:: symbol the engine leaves undefined is defined in the
#     engine, every one the console leaves undefined in console or engine, and
#     so on up to the file pictures.
#
# Usage: e2e_layers.sh BUILD_DIR SOURCE_DIR
set -u

build=${1:?build dir}
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

gl='lib(GL|GLX|glut|X11|OpenGL)[.-]'
for exe in hybridsim-batch hybridsim_tests hybridsim_bench; do
  [ -x "$build/$exe" ] || { [ "$exe" = hybridsim_bench ] && continue; fail "$exe not built"; continue; }
  found=$(ldd "$build/$exe" | grep -E "$gl")
  [ -z "$found" ] || fail "$exe loads a window library: $found"
done
ldd "$build/hybridsim" | grep -qE 'libglut' || fail "hybridsim does not load GLUT (is the check blind?)"
# The batch program pays only for what it writes: the picture libraries are
# linked in, so a run that writes CSV maps none of them at start.
pictures='lib(cairo|pixman|fontconfig|freetype|png|z|gif|expat|brotli[a-z]*|bz2|harfbuzz)[.]so'
found=$(ldd "$build/hybridsim-batch" | grep -E "$pictures")
[ -z "$found" ] || fail "hybridsim-batch loads picture libraries at start: $(echo $found)"

# Our symbols (namespace hs) a set of libraries defines, and those it needs.
defined() { nm -C --defined-only "$@" 2>/dev/null | awk '$2 ~ /[TWVBDRtu]/ {$1=$2=""; print substr($0,3)}' | grep '^hs::' | sort -u; }
needed() { nm -C --undefined-only "$@" 2>/dev/null | awk '{$1=""; print substr($0,2)}' | grep '^hs::' | sort -u; }

below=()
for layer in engine console view render; do
  lib="$build/lib$layer.a"
  [ -f "$lib" ] || { fail "no library $lib"; continue; }
  below+=("$lib")
  missing=$(comm -23 <(needed "$lib") <(defined "${below[@]}"))
  [ -z "$missing" ] || fail "the $layer layer calls into a layer above it: $(echo "$missing" | head -5 | tr '\n' ';')"
done

# The folders are the layers: a file's includes name its own folder's layer
# or one below it (engine < console < view < render < window < programs).
src=${2:-$(dirname "$0")/..}
rank() { case $1 in engine) echo 0;; console) echo 1;; view) echo 2;; render) echo 3;; window) echo 4;; programs) echo 5;; *) echo -1;; esac; }
while IFS=: read -r file _ inc; do
  from=$(echo "${file#"$src"/src/}" | cut -d/ -f1)
  to=$(echo "$inc" | sed -E 's/.*#include "([a-z]+)\/.*/\1/')
  [ "$(rank "$to")" -ge 0 ] || continue
  [ "$(rank "$to")" -le "$(rank "$from")" ] || fail "$file includes a layer above its own: $inc"
done < <(grep -rn '#include "[a-z]*/' "$src/src")

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "layers: no window library below the window, no call or include upward"
