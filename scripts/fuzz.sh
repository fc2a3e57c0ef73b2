#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and sanitizers and runs each for a
# bounded time on its corpus under tests/fuzz/. New corpus entries stay in the
# corpus folder; a crash input is written next to it and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DHYBRIDSIM_FUZZ=ON -DHYBRIDSIM_SANITIZE=ON -DHYBRIDSIM_BENCH=OFF -DHYBRIDSIM_PYTHON=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target datafile_fuzz dialogue_fuzz
export LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan.supp:print_suppressions=0"
status=0
for target in datafile dialogue; do
  corpus=tests/fuzz/${target}_corpus
  mkdir -p "$corpus"
  work=$(mktemp -d)
  echo "-- ${target}_fuzz for ${secs}s (corpus $(ls "$corpus" | wc -l) files)"
  log=$(mktemp)
  dict=()
  [ -f "tests/fuzz/${target}.dict" ] && dict=(-dict="tests/fuzz/${target}.dict")
  if ./build-fuzz/${target}_fuzz -max_total_time="$secs" -timeout=20 -rss_limit_mb=4096 \
        -artifact_prefix="tests/fuzz/${target}_crash-" -print_final_stats=1 \
        "${dict[@]}" "$work" "$corpus" >"$log" 2>&1; then
    tail -n 12 "$log"
  else
    tail -n 60 "$log"
    echo "-- ${target}_fuzz FAILED"
    status=1
  fi
  rm -f "$log"
  rm -rf "$work"
done
exit $status
