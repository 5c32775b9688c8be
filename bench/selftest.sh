#!/usr/bin/env bash
# Checks the benchmark's own programs on small sites, so that the figures
# bench/run.sh prints stay meaningful:
# - the generator gives the same bytes for the same arguments, and other
#   bytes for another seed;
# - its sites hold what the benchmark claims for them: LF, CR LF and lone CR
#   line ends, bytes above 127, page extensions in both letter cases, files
#   that are not pages;
# - the read floor reads exactly the pages that the indexer indexes.
#
#   bench/selftest.sh GENSITE READFLOOR INDEXER
set -euo pipefail
gensite=$(realpath "$1")
floor=$(realpath "$2")
indexer=$(realpath "$3")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

for shape in typical large tiny huge deep; do
  "$gensite" "$shape" "$work/$shape-a" --scale 0.002 >/dev/null
  "$gensite" "$shape" "$work/$shape-b" --scale 0.002 >/dev/null
  diff -r "$work/$shape-a" "$work/$shape-b" >/dev/null || fail "$shape: two runs with the same arguments differ"
  "$gensite" "$shape" "$work/$shape-c" --scale 0.002 --seed 2 >/dev/null
  if diff -r "$work/$shape-a" "$work/$shape-c" >/dev/null; then fail "$shape: the seed changes nothing"; fi

  # The floor and the indexer see the same pages.
  read -r _ pages _ bytes < <("$floor" "$work/$shape-a")
  [ "$pages" -gt 0 ] && [ "$bytes" -gt 0 ] || fail "$shape: the floor read nothing"
  mkdir "$work/run-$shape"
  (cd "$work/run-$shape" && "$indexer" "../$shape-a" >stdout.txt)
  processed=$(grep -c '^Processing file ' "$work/run-$shape/stdout.txt" || true)
  [ "$processed" = "$pages" ] || fail "$shape: the floor read $pages pages, the indexer $processed"
  if grep -q 'open error!' "$work/run-$shape/stdout.txt"; then fail "$shape: a page could not be opened"; fi
  rm -rf "$work/$shape-b" "$work/$shape-c"
done

# What the pages of the typical site are made of.
site=$work/typical-a
all=$(find "$site" -type f | wc -l)
pages=$("$floor" "$site" | awk '{ print $2 }')
[ "$all" -gt "$pages" ] || fail "no files besides the pages"
find "$site" -type f -name '*.HTM*' | grep -q . || fail "no page extension in upper case"
find "$site" -type f -name '*.php*' | grep -q . || fail "no .php pages"
pagefiles=$(find "$site" -type f \( -iname '*.htm*' -o -iname '*.php*' \))
# shellcheck disable=SC2086
cat $pagefiles >"$work/all-pages"
LC_ALL=C grep -q $'\r$' "$work/all-pages" || fail "no CR LF line ends"
LC_ALL=C grep -q $'[^\r]$' "$work/all-pages" || fail "no LF line ends"
LC_ALL=C grep -q $'\r.' "$work/all-pages" || fail "no lone CR"
LC_ALL=C grep -q $'[\x80-\xff]' "$work/all-pages" || fail "no bytes above 127"
for needle in '<script' '<style' '<!--' '&amp;' "href='" 'href="' 'href=[a-z]' '<table' '<li>' 'i < '; do
  LC_ALL=C grep -q -- "$needle" "$work/all-pages" || fail "no $needle in the pages"
done
echo "bench self-test: 1 passed, 0 failed"
