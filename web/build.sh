#!/usr/bin/env bash
# Builds the web edition with Debian's emscripten (installed when missing)
# into web/site/: the page, its scripts, hybridsim-wasm.js and .wasm.
# Usage: web/build.sh [BUILD_DIR]   (default web/build)
set -euo pipefail
cd "$(dirname "$0")"
build=${1:-build}
if ! command -v emcmake >/dev/null || ! command -v ninja >/dev/null; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq emscripten ninja-build >/dev/null
fi
# Debian's emscripten runs its JavaScript tools on the node found first;
# one that is not Debian's needs to be told where Debian's modules are.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
emcmake cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"${HYBRIDSIM_WEB_JOBS:-2}"
cp "$build/hybridsim-wasm.js" "$build/hybridsim-wasm.wasm" site/
echo "web edition built: $(pwd)/site"
