#!/usr/bin/env bash
# Installs what is missing, builds, and starts the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DHYBRIDSIM_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target hybridsim hybridsim-batch >/dev/null
exec ./build/hybridsim "$@"
