#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#   1. the whole suite (unit tests and end-to-end scripts) on the normal build;
#   2. the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the fuzz targets for about a minute each (clang, libFuzzer, sanitizers).
# Set HYBRIDSIM_QUICK=1 to run stage 1 only.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
summary=$(mktemp)
# Runs ctest in the given build folder and keeps its closing counts.
runctest() {
  local dir=$1; shift
  (cd "$dir" && ctest "$@") | tee -a "$summary"
}
# One closing line over every ctest run of this script.
closing() {
  local total failed
  total=$(grep -Eo 'tests failed out of [0-9]+' "$summary" | awk '{s+=$5} END {print s+0}')
  failed=$(grep -Eo '[0-9]+ tests failed out of' "$summary" | awk '{s+=$1} END {print s+0}')
  echo "tests: $((total - failed)) passed, $failed failed"
}
bash scripts/deps.sh
jobs=$(nproc)

echo "== stage 1: build and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
# The web edition in its own build folder (emscripten); its tests are in the suite.
bash web/build.sh "$root/build-web" >/dev/null
runctest build --output-on-failure -j2

if [ "${HYBRIDSIM_QUICK:-0}" = "1" ]; then closing; exit 0; fi

echo "== stage 2: the suite under AddressSanitizer and UndefinedBehaviorSanitizer"
# The web tests stay out (they check the WebAssembly build, not this one).
# The Python module stays out: a sanitized shared object cannot be loaded
# into an interpreter that was not built with the sanitizer runtime. The
# code it calls is the same library the sanitized tests exercise.
cmake -S . -B build-san -DCMAKE_BUILD_TYPE=Debug -DHYBRIDSIM_SANITIZE=ON -DHYBRIDSIM_BENCH=OFF -DHYBRIDSIM_PYTHON=OFF >/dev/null
cmake --build build-san -j"$jobs"
export ASAN_OPTIONS="abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
# The window program loads Mesa's software rasteriser (swrast_dri.so), which
# keeps its frame buffers until the process ends and is unloaded by the GL
# library's destructors before the leak check runs: its allocations are then
# reported with no module name that a suppression could match. So the end-to-
# end scripts of the window program run with every address and undefined-
# behaviour check but without the leak check; the same code paths of ours
# (start-up, menu, frame composition on a recorder) are leak-checked in the
# unit tests, and the batch runner's script (no window) keeps the leak check.
runctest build-san --output-on-failure -j2 -E '^(e2e_|web_)'
runctest build-san --output-on-failure -j2 -R '^e2e_batch'
ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0" runctest build-san --output-on-failure -j2 -R '^e2e_' -E '^e2e_batch'

echo "== stage 3: fuzzing"
bash scripts/fuzz.sh "${HYBRIDSIM_FUZZ_SECONDS:-60}"
closing
