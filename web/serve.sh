#!/usr/bin/env bash
# Builds the web edition when it is not built yet and serves web/site/ on
# 127.0.0.1 (static files only, .wasm as application/wasm).
# Usage: web/serve.sh [PORT]   (default 8800; 0 takes a free one)
set -euo pipefail
cd "$(dirname "$0")"
[ -f site/hybridsim-wasm.wasm ] || bash build.sh
exec node serve.mjs site "${1:-8800}"
