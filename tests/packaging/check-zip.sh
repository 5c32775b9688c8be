#!/usr/bin/env bash
# The Windows .zip: its name carries the version; it holds, in one folder,
# zanthor.exe, the template, the how-to with Windows line ends, the example
# search page and the example site, and nothing else; and its zanthor.exe,
# run under wine in a prefix of its own, indexes a site from another folder
# and the example site as the how-to says.
#
#   tests/packaging/check-zip.sh <package.zip>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
zip="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
version="$(project_version)"
top="zanthor-$version-win64"
tmp="$(mktemp -d)"
cleanup() {
  # Let the wine server of the prefix end before the prefix goes.
  if [ -d "$tmp/wine" ] && command -v wineserver >/dev/null; then WINEPREFIX="$tmp/wine" wineserver -w || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT

expect_output "file name" "$top.zip" "$(basename "$zip")"

# --- Contents -------------------------------------------------------------
# What the zip must hold: the program, the template, the how-to, and the
# example page and site as the repository has them (an index made from them
# is no part of it).
expected="$(
  cd "$repo_root/examples"
  {
    printf '%s\n' zanthor.exe _database.js README.txt
    find . -maxdepth 1 -type f \( -name '*.htm*' -o -name '*.js' -o -name '*.css' \) ! -name database.js ! -name _database.js
    [ -d site ] && find site -type f ! -name database.js
  } | sed -e 's|^\./||' -e "s|^|$top/|" | sort
)"
actual="$(cmake -E tar tf "$zip" | grep -v '/$' | sort)"
expect_output "zip contents" "$expected" "$actual"

mkdir "$tmp/unzipped"
(cd "$tmp/unzipped" && cmake -E tar xf "$zip")
dir="$tmp/unzipped/$top"
cmp -s "$dir/_database.js" "$repo_root/template/_database.js" &&
  pass "template is the project's" || fail "zipped _database.js differs from template/_database.js"
if grep -qv $'\r$' "$dir/README.txt" || [ "$(tail -c 1 "$dir/README.txt" | od -An -c | tr -d ' ')" != '\n' ]; then
  fail "README.txt has a line that does not end in CR LF"
else
  pass "README.txt has CR LF line ends"
fi
grep -q "zanthor $version" "$dir/README.txt" && pass "README.txt names the version" ||
  fail "README.txt does not name zanthor $version"
[ "$(head -c 2 "$dir/zanthor.exe")" = "MZ" ] && pass "zanthor.exe is a Windows program" ||
  fail "zanthor.exe is not a Windows program"

# --- Under wine -----------------------------------------------------------
export WINEPREFIX="$tmp/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
wine_run() {  # wine_run <folder> <argument>...: stdout of zanthor.exe there
  (cd "$1" && shift && wine "$dir/zanthor.exe" "$@" </dev/null 2>"$tmp/wine.err")
}

# A site beside the zip's folder, so the template must come from the
# program's folder and database.js go to the current one.
make_site "$tmp/work"
if console="$(wine_run "$tmp/work" site)"; then
  expect_output "wine: console" "$(site_console '\')" "$console"
  expect_index "wine: database.js" "$tmp/work/database.js" "$(site_entries)"
else
  fail "wine: zanthor.exe site failed"; cat "$tmp/wine.err" >&2
fi

# The how-to's first step: the example site, from the zip's own folder.
if [ -d "$repo_root/examples/site" ]; then
  if console="$(wine_run "$dir" site)" && [[ "$console" =~ Completed,\ [1-9][0-9]*\ index\ items\ total\ added. ]] &&
    [ -s "$dir/database.js" ]; then
    pass "wine: the example site is indexed"
  else
    fail "wine: indexing the example site"; printf '%s\n' "$console" >&2; cat "$tmp/wine.err" >&2
  fi
fi
finish
