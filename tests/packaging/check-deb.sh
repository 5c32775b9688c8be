#!/usr/bin/env bash
# The .deb: its name and fields carry the version; it holds the program and
# its template in a folder of their own, the link on the PATH and the manual;
# unpacked, the link runs the program. Run as root, it is also installed
# with dpkg -i, run from the PATH in folders of no relation to the program,
# and removed with dpkg -r, which must leave none of its files behind.
#
#   tests/packaging/check-deb.sh <package.deb>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
deb="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
version="$(project_version)"
tmp="$(mktemp -d)"
installed_here=0
cleanup() {
  if [ "$installed_here" -eq 1 ]; then dpkg -r zanthor >/dev/null 2>&1 || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT

# --- Name and fields ------------------------------------------------------
arch="$(dpkg --print-architecture)"
expect_output "file name" "zanthor_${version}_${arch}.deb" "$(basename "$deb")"
for field in "Package=zanthor" "Version=$version" "Architecture=$arch"; do
  expect_output "field ${field%%=*}" "${field#*=}" "$(dpkg-deb -f "$deb" "${field%%=*}")"
done
depends="$(dpkg-deb -f "$deb" Depends)"
[[ "$depends" == *libc6* && "$depends" == *libstdc++6* ]] && pass "Depends: $depends" ||
  fail "Depends should name the C and C++ runtimes: '$depends'"

# --- Contents -------------------------------------------------------------
# Every file and link the package holds (folders aside), with its type.
expected_files="$(printf '%s\n' \
  "l ./usr/bin/zanthor -> ../lib/zanthor/zanthor" \
  "- ./usr/lib/zanthor/_database.js" \
  "- ./usr/lib/zanthor/zanthor" \
  "- ./usr/share/doc/zanthor/CHANGELOG.md" \
  "- ./usr/share/man/man1/zanthor.1.gz" | sort)"
actual_files="$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { t = substr($1, 1, 1); $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print t " " $0 }' | sort)"
expect_output "package contents" "$expected_files" "$actual_files"
mode="$(dpkg-deb -c "$deb" | awk '$6 == "./usr/lib/zanthor/zanthor" { print $1 " " $2 }')"
expect_output "program mode and owner" "-rwxr-xr-x root/root" "$mode"

# --- Unpacked: the link finds the template --------------------------------
dpkg-deb -x "$deb" "$tmp/root"
cmp -s "$tmp/root/usr/lib/zanthor/_database.js" "$repo_root/template/_database.js" &&
  pass "template is the project's" || fail "packaged _database.js differs from template/_database.js"
gzip -dc "$tmp/root/usr/share/man/man1/zanthor.1.gz" | cmp -s - "$repo_root/docs/zanthor.1" &&
  pass "manual is docs/zanthor.1" || fail "packaged manual differs from docs/zanthor.1"
make_site "$tmp/unpacked"
console="$(cd "$tmp/unpacked" && "$tmp/root/usr/bin/zanthor" site)"
expect_output "unpacked: console" "$(site_console /)" "$console"
expect_index "unpacked: database.js" "$tmp/unpacked/database.js" "$(site_entries)"

# --- Installed ------------------------------------------------------------
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: dpkg -i and dpkg -r need root"
  finish
  exit 0
fi
if dpkg-query -W -f '${db:Status-Status}' zanthor 2>/dev/null | grep -qx installed; then
  fail "zanthor is installed on this machine already; remove it to run this check"
  finish
fi

dpkg -i "$deb" >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log" >&2; fail "dpkg -i"; finish; }
installed_here=1
pass "dpkg -i"
listed="$(dpkg -L zanthor)"
expect_output "zanthor on the PATH" "/usr/bin/zanthor" "$(PATH=/usr/local/bin:/usr/bin:/bin command -v zanthor)"

# Run by name in a folder that has nothing to do with the program: with the
# site below it, and from elsewhere with an absolute argument.
make_site "$tmp/home"
mkdir -p "$tmp/elsewhere"
console="$(cd "$tmp/home" && env -i PATH=/usr/bin:/bin zanthor site)"
expect_output "installed: console" "$(site_console /)" "$console"
expect_index "installed: database.js" "$tmp/home/database.js" "$(site_entries)"
console="$(cd "$tmp/elsewhere" && env -i PATH=/usr/bin:/bin zanthor "$tmp/home/site")"
expect_output "installed, absolute argument: console" "$(site_console / "$tmp/home/")" "$console"
expect_index "installed, absolute argument: database.js" "$tmp/elsewhere/database.js" \
  "$(site_entries | sed "s|KeyLink\(\[[0-9]*\]\)= \"|KeyLink\1= \"$tmp/home/|")"

dpkg -r zanthor >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log" >&2; fail "dpkg -r"; finish; }
installed_here=0
status="$(dpkg-query -W -f '${db:Status-Status}' zanthor 2>/dev/null || true)"
[ -z "$status" ] || [ "$status" = "not-installed" ] && pass "dpkg -r: package gone" ||
  fail "dpkg -r: package status is '$status'"
left=()
while IFS= read -r path; do
  # Folders the package shares with the rest of the system stay.
  case "$path" in /. | /usr | /usr/bin | /usr/lib | /usr/share | /usr/share/doc | /usr/share/man | /usr/share/man/man1) continue ;; esac
  if [ -e "$path" ] || [ -L "$path" ]; then left+=("$path"); fi
done <<<"$listed"
[ ${#left[@]} -eq 0 ] && pass "dpkg -r: no file left" || fail "dpkg -r left: ${left[*]}"
finish
