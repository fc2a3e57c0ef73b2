#!/usr/bin/env bash
# The layers hold at link level:
#   - hybridsim-batch, the test program and the benchmark load no GL, GLUT or
#     X11 library (the window program does), and hybridsim-batch no picture
#     library either;
#   - each layer's library calls nothing of ours that only a layer it does not
#     stand on defines: every hs:: symbol the engine leaves undefined is
#     defined in the engine, every one the console leaves undefined in
#     console, engine or files, every one of view in view or engine (nothing
#     of the console's), and so on up to the session.
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

# Each layer and the layers it stands on (the link graph of CMakeLists.txt).
layers=(files engine console view render session)
declare -A stands=(
  [files]="files"
  [engine]="engine"
  [console]="console engine files"
  [view]="view engine"
  [render]="render view engine files"
  [session]="session console view render engine files"
)
for layer in "${layers[@]}"; do
  libs=()
  for l in ${stands[$layer]}; do libs+=("$build/lib$l.a"); done
  [ -f "${libs[0]}" ] || { fail "no library ${libs[0]}"; continue; }
  missing=$(comm -23 <(needed "${libs[0]}") <(defined "${libs[@]}"))
  [ -z "$missing" ] || fail "the $layer layer calls into a layer it does not stand on: $(echo "$missing" | head -5 | tr '\n' ';')"
done

# The folders are the layers: a file's includes name its own folder or one
# its layer stands on (files < engine < console, view < render < session <
# window < programs; console and view are siblings, neither includes the
# other, and render stands on view, not on the console).
src=${2:-$(dirname "$0")/..}
stands[window]="window session console view render engine files"
stands[programs]="programs ${stands[window]}"
while IFS=: read -r file _ inc; do
  from=$(echo "${file#"$src"/src/}" | cut -d/ -f1)
  to=$(echo "$inc" | sed -E 's/.*#include "([a-z]+)\/.*/\1/')
  [ -n "${stands[$from]:-}" ] && [ -n "${stands[$to]:-}" ] || continue
  case " ${stands[$from]} " in
    *" $to "*) ;;
    *) fail "$file includes a layer it does not stand on: $inc" ;;
  esac
done < <(grep -rn '#include "[a-z]*/' "$src/src")

# The session is the window program's: no other client and no layer below
# it names App (the batch program's CLI::App is the option parser's).
found=$(grep -rnw 'App' "$src/src/programs/batch_main.cpp" "$src/python" "$src/web/src" \
  "$src/src/engine" "$src/src/console" "$src/src/view" "$src/src/render" 2>/dev/null | grep -v 'CLI::App')
[ -z "$found" ] || fail "the session's App outside the window program: $(echo "$found" | head -3)"

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "layers: no window library below the window, no call or include outside a layer's own graph"
