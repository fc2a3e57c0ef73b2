#!/usr/bin/env bash
# Collects the texts the console shows from the sources into the template
# po/hybridsim.pot: every string literal with a character beyond ASCII in the
# console, engine, render and program layers and the window's title (the
# window's drawing texts stay as they are). With "--update" the catalogs po/*.po are
# merged with the new template; new texts then wait there for a translation.
#
# Usage: po/extract.sh [--update] [OUTPUT.pot]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$here")
update=0
[ "${1:-}" = "--update" ] && { update=1; shift; }
out=${1:-$here/hybridsim.pot}
all=$(mktemp)
trap 'rm -f "$all"' EXIT
cd "$src"
# fmt's first argument is a printf format, which the translation must keep.
xgettext --extract-all --from-code=UTF-8 --language=C++ --flag=fmt:1:c-format \
  --package-name=hybridsim --no-wrap -o "$all" \
  $(find src/console src/engine src/files src/programs src/render src/session -name '*.cpp' -o -name '*.h' | LC_ALL=C sort) \
  2>/dev/null
# The header entry takes the places of the empty literals: those are left out.
LC_ALL=C msggrep --msgid -E -e "$(printf '[\200-\377]')" --no-wrap "$all" 2>/dev/null |
  awk 'head && /^#:/ { next } /^$/ { head = 0 } { print }' head=1 >"$out"
if [ "$update" -eq 1 ]; then
  for po in "$here"/*.po; do
    msgmerge --quiet --update --backup=none --no-wrap "$po" "$out"
  done
fi
