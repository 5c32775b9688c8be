#!/usr/bin/env bash
# The manual page renders without a warning: groff with all warnings on (what
# man runs) and mandoc's lint.
#
#   tests/packaging/check-manual.sh
set -euo pipefail
source "$(dirname "$0")/lib.sh"
page="$repo_root/docs/zanthor.1"

# tool | command
linters=(
  "groff|groff -man -ww -z"
  "mandoc|mandoc -Tlint -W warning"
)
for linter in "${linters[@]}"; do
  name="${linter%%|*}"
  read -r -a command <<<"${linter#*|}"
  if messages="$("${command[@]}" "$page" 2>&1)" && [ -z "$messages" ]; then
    pass "$name: no warnings"
  else
    fail "$name warns about docs/zanthor.1:"
    printf '%s\n' "$messages" >&2
  fi
done

# The page must also render to text at all (an empty page lints cleanly).
text="$(groff -man -Tutf8 -P -cbou "$page" 2>/dev/null)"
for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" EXAMPLES; do
  grep -qx "$section" <<<"$text" || fail "rendered page has no $section section"
done
finish
