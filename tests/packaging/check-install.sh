#!/usr/bin/env bash
# cmake --install of a built tree: the program and its template side by
# side, the link on the PATH finding them, under a prefix chosen at install
# time, staged with DESTDIR, and installed again over an earlier install.
#
#   tests/packaging/check-install.sh <build folder>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
build="$(cd "$1" && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
make_site "$tmp"
entries="$(site_entries)"

# prefix | DESTDIR (empty: none) | times installed
cases=(
  "$tmp/prefix||1"
  "/opt/zanthor|$tmp/stage|1"
  "$tmp/again||2"
)
for case in "${cases[@]}"; do
  IFS='|' read -r prefix destdir times <<<"$case"
  root="${destdir}${prefix}"
  label="install to $prefix${destdir:+ staged in DESTDIR} (x$times)"
  ok=1
  for ((i = 0; i < times; i++)); do
    DESTDIR="$destdir" cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 || {
      fail "$label: cmake --install failed"; cat "$tmp/install.log" >&2; ok=0; break
    }
  done
  [ "$ok" -eq 1 ] || continue
  for file in lib/zanthor/zanthor lib/zanthor/_database.js share/man/man1/zanthor.1.gz; do
    [ -f "$root/$file" ] || { fail "$label: $file missing"; ok=0; }
  done
  if [ "$(readlink "$root/bin/zanthor" || true)" != "../lib/zanthor/zanthor" ]; then
    fail "$label: bin/zanthor is not the relative link to ../lib/zanthor/zanthor"
    ok=0
  fi
  [ "$ok" -eq 1 ] || continue
  rm -f "$tmp/database.js"
  console="$(cd "$tmp" && PATH="$root/bin:$PATH" zanthor site)"
  expect_output "$label: console" "$(site_console /)" "$console"
  expect_index "$label: database.js" "$tmp/database.js" "$entries"
done
finish
