#!/usr/bin/env bash
# The documentation (README.md and docs/*.md) shows what the programs do now:
# - every fenced block that follows a line naming `examples/NAME` equals that
#   file byte for byte, so the listings cannot drift from the examples;
# - every batch command shown in a fenced block runs with status 0, and the
#   README's Python example runs;
# - every exit status of the batch program is in its usage and in the docs;
# - every picture shown is what scripts/docs.sh makes with the programs now;
# - every link to another page (and to a heading of it) leads somewhere.
# Usage: e2e_readme.sh <build dir> <source dir>
set -u
BUILD=$(cd "$1" && pwd)
SRC=$(cd "$2" && pwd)
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
FAILS=0
fail() { echo "FAIL: $*"; FAILS=$((FAILS + 1)); }

cd "$SRC" || exit 1
PAGES="README.md $(ls docs/*.md)"

# Cut every listing out as TMP/list/N.name (name: the example file it shows).
mkdir "$TMP/list"
for page in $PAGES; do
  awk -v dir="$TMP/list" -v tag="$(basename "$page" .md)" '
    /^```/ {
      if (inblock) { inblock = 0; close(out); next }
      if (name != "") { inblock = 1; n++; out = dir "/" tag n "." name; printf "" > out; name = ""; next }
      next
    }
    inblock { print > out; next }
    match($0, /`examples\/[^`]+`/) { name = substr($0, RSTART + 10, RLENGTH - 11); next }
    NF { name = "" }
  ' "$page"
done
count=0
for listing in "$TMP"/list/*.*; do
  [ -e "$listing" ] || break
  name=${listing#"$TMP"/list/*.}
  count=$((count + 1))
  if [ ! -f "examples/$name" ]; then
    fail "a listing shows examples/$name, which does not exist"
  elif ! cmp -s "$listing" "examples/$name"; then
    fail "the listing of examples/$name differs from the file:"
    diff "$listing" "examples/$name"
  fi
done
[ "$count" -gt 0 ] || fail "no listing of an example file found in the documentation"

# The batch commands of the fenced blocks (not the synopsis, which has
# brackets and bars) run cleanly, in a folder of their own beside the examples.
mkdir "$TMP/run" && ln -s "$SRC/examples" "$TMP/run/examples"
commands=$(awk '/^```/ { inblock = !inblock; next }
  inblock && /^build\/hybridsim-batch / && !/[][|(]/ { sub(/ +#.*/, ""); print }' $PAGES)
ncmd=0
while IFS= read -r cmd; do
  [ -n "$cmd" ] || continue
  ncmd=$((ncmd + 1))
  # shellcheck disable=SC2086 # the command's words, as a shell would split them
  set -- ${cmd#build/hybridsim-batch }
  (cd "$TMP/run" && "$BUILD/hybridsim-batch" "$@" >/dev/null 2>"$TMP/err") ||
    fail "documented command fails: $cmd ($(head -c 300 "$TMP/err"))"
done <<<"$commands"
[ "$ncmd" -gt 0 ] || fail "no batch command found in the documentation"

# The README's Python example, where the module is built (a build without
# it still has the package folder, for the catalogs).
if [ -f "$BUILD/python/hybridsim/__init__.py" ]; then
  awk '/^```python/ { inblock = 1; next } /^```/ { inblock = 0 } inblock' README.md >"$TMP/run/ex.py"
  [ -s "$TMP/run/ex.py" ] || fail "no Python example in the README"
  (cd "$TMP/run" && PYTHONPATH="$BUILD/python" /usr/bin/python3 ex.py >/dev/null 2>"$TMP/err") ||
    fail "the README's Python example fails: $(tail -n 3 "$TMP/err")"
fi

# Every exit status of the batch program is in its usage, in either
# language, and in the docs.
for lang in en ja; do
  usage=$("$BUILD/hybridsim-batch" --help --lang $lang)
  for st in 0 1 2 3; do
    printf '%s\n' "$usage" | grep -Eq "(status: |状態: |; |^ +)$st " || fail "usage ($lang): exit status $st not documented"
  done
done
for st in 0 1 2 3; do
  cat $PAGES | grep -q "^| $st |" || fail "docs: exit status $st not documented"
done

# The pictures are what scripts/docs.sh makes with the programs now; a page
# names them relative to its own folder.
bash scripts/docs.sh "$BUILD" "$TMP/docs" || fail "scripts/docs.sh failed"
npic=0
for page in $PAGES; do
  dir=$(dirname "$page")
  for pic in $(grep -o '!\[[^]]*\]([^)]*)' "$page" | sed 's/.*](\(.*\))/\1/'); do
    npic=$((npic + 1))
    made="$TMP/docs/$(basename "$pic")"
    if [ "$(cd "$dir" && realpath -m "$pic")" != "$SRC/docs/$(basename "$pic")" ] || [ ! -e "$made" ]; then
      fail "$page shows $pic, which scripts/docs.sh does not make"
    elif ! cmp -s "$dir/$pic" "$made"; then
      fail "$dir/$pic is not what scripts/docs.sh makes now (run: bash scripts/docs.sh $BUILD)"
    fi
  done
done
[ "$npic" -gt 0 ] || fail "no picture found in the documentation"

# Links between the pages: the page exists, and so does the heading named
# after '#' (as a GitHub-style anchor: lower case, punctuation dropped,
# blanks as '-').
anchors() { grep '^#' "$1" | sed 's/^#* //' | tr 'A-Z' 'a-z' | sed 's/[^a-z0-9 _-]//g; s/ /-/g'; }
for page in $PAGES; do
  dir=$(dirname "$page")
  for link in $(grep -o '](\([^)]*\.md\)\?\(#[^)]*\)\?)' "$page" | sed 's/^](//; s/)$//'); do
    file=${link%%#*}
    target="$page"
    [ -n "$file" ] && target="$dir/$file"
    if [ ! -f "$target" ]; then
      fail "$page links to $link: no such page"
    elif [ "$link" != "${link#*#}" ] && ! anchors "$target" | grep -qx -- "${link#*#}"; then
      fail "$page links to $link: no such heading"
    fi
  done
done

if [ "$FAILS" -ne 0 ]; then
  echo "$FAILS documentation check(s) failed"
  exit 1
fi
echo "docs: $count listing(s) match their files; $ncmd command(s) run; exit statuses documented; $npic picture(s) current; links lead somewhere"
