#!/usr/bin/env bash
# Installs the Debian packages the simulator and its tests need (only those missing).
set -euo pipefail
pkgs=(g++ cmake make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
      freeglut3-dev libgl-dev libglu1-mesa-dev libx11-dev
      libcairo2-dev libgif-dev libpixman-1-dev libfontconfig-dev libfreetype-dev libpng-dev
      libbrotli-dev libexpat1-dev zlib1g-dev libcli11-dev fonts-liberation poppler-utils libxml2-utils
      xvfb xauth xdotool x11-utils imagemagick locales clang libclang-rt-14-dev python3 procps binutils
      python3-dev pybind11-dev python3-numpy python3-pytest)
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
# A Shift-JIS locale, so the console's Shift-JIS output can be tried and tested.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.sjis$'; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO localedef -f SHIFT_JIS -i ja_JP ja_JP.SJIS 2>/dev/null || true
fi
