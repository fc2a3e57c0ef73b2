#!/usr/bin/env bash
# Installs the Debian packages the simulator and its tests need (only those missing).
set -euo pipefail
pkgs=(g++ cmake make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
      freeglut3-dev libgl-dev libglu1-mesa-dev libx11-dev
      libcairo2-dev libgif-dev libpixman-1-dev libfontconfig-dev libfreetype-dev libpng-dev
      libbrotli-dev libexpat1-dev zlib1g-dev libcli11-dev fonts-liberation poppler-utils libxml2-utils
      xvfb xauth xdotool x11-utils imagemagick locales gettext clang libclang-rt-14-dev python3 procps binutils
      python3-dev pybind11-dev python3-numpy python3-pytest python3-pandas python3-matplotlib
      python3-distributed python3-venv python3-pip python3-setuptools python3-wheel python3-mypy
      jupyter-nbconvert python3-nbconvert python3-ipykernel jupyter-core
      emscripten ninja-build nodejs chromium)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
# npm for the web edition's test packages: Debian's npm, unless the node
# installed already brings its own.
if ! command -v npm >/dev/null; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq npm >/dev/null
fi
# The web edition's test packages, exactly as locked (the browser is
# Debian's chromium: puppeteer downloads none).
web="$(dirname "$0")/../web"
if [ ! -d "$web/node_modules/puppeteer-core" ]; then
  (cd "$web" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
fi
# The locales the console is tried and tested in: Shift-JIS Japanese for its
# Shift-JIS output, English for its English texts.
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
# Locale names compared as locale -a lists them (en_US.utf8 for en_US.UTF-8).
canon() { tr 'A-Z' 'a-z' | tr -d -- '-'; }
for wanted in "ja_JP SHIFT_JIS ja_JP.SJIS" "en_US UTF-8 en_US.UTF-8"; do
  read -r input charset name <<<"$wanted"
  if ! locale -a 2>/dev/null | canon | grep -qx "$(printf '%s' "$name" | canon)"; then
    $SUDO localedef -f "$charset" -i "$input" "$name" 2>/dev/null || true
  fi
done
