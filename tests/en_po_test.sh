#!/usr/bin/env bash
# The English catalog is complete: msgfmt finds no error, no fuzzy and no
# untranslated entry, and every text collected from the sources now has its
# translation there.
# Usage: en_po_test.sh SOURCE_DIR
set -u
src=${1:?source dir}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stats=$(LC_ALL=C msgfmt --check --statistics -o /dev/null "$src/po/en.po" 2>&1) || { echo "FAIL: $stats"; exit 1; }
case "$stats" in
  *fuzzy* | *untranslated*) echo "FAIL: $stats"; exit 1 ;;
esac
bash "$src/po/extract.sh" "$work/sources.pot" || { echo "FAIL: texts not collected"; exit 1; }
LC_ALL=C msgcmp "$src/po/en.po" "$work/sources.pot" || { echo "FAIL: texts of the sources missing in po/en.po"; exit 1; }
echo "en.po: $stats"
