# Shared by the package checks: failure reports, the version, and a small
# site with known entries.

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
  fi
}

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# The version, from the one place that defines it.
project_version() {
  sed -n 's/^project(zanthor VERSION \([0-9][0-9.]*\).*/\1/p' "$repo_root/CMakeLists.txt"
}

# make_site <folder>: <folder>/site with one page at the top and one in a
# sub-folder, and a file that is no page.
make_site() {
  mkdir -p "$1/site/sub"
  printf '<html><body><p>Hello world</p></body></html>\n' >"$1/site/index.htm"
  printf '<h1>About us</h1>\n' >"$1/site/sub/about.html"
  printf '<p>not a page</p>\n' >"$1/site/notes.txt"
}

# The entry block that make_site's pages give, with the folder separator the
# walk uses ($1) in the console and "/" in the links.
site_entries() {
  printf 'KeyString[0]= "Hello world";\r\nKeyLink[0]= "site/index.htm";\r\n'
  printf 'KeyString[1]= "About us";\r\nKeyLink[1]= "site/sub/about.html";\r\n'
}
site_console() {  # site_console <separator> [<prefix of the argument>]
  local s="$1" p="${2:-}"
  printf 'Processing file "%ssite%sindex.htm"...success, 1 index items added for this file.\r\n' "$p" "$s"
  printf 'Processing file "%ssite%ssub%sabout.html"...success, 1 index items added for this file.\r\n' "$p" "$s" "$s"
  printf 'Completed, 2 index items total added.\r\n'
}

# expect_output <what> <expected> <actual>: exact comparison, bytes shown on
# a difference.
expect_output() {
  if [ "$2" == "$3" ]; then
    pass "$1"
  else
    fail "$1"
    echo "--- expected" >&2; printf '%s' "$2" | od -c | head -20 >&2
    echo "--- got" >&2; printf '%s' "$3" | od -c | head -20 >&2
  fi
}

# expect_index <what> <database.js> <entries>: the file holds the entry
# block, and no placeholder is left.
expect_index() {
  local file="$2" entries="$3"
  if [ ! -f "$file" ]; then
    fail "$1: $file was not written"
  elif [[ "$(cat "$file")" != *"$entries"* ]]; then
    fail "$1: $file does not hold the expected entries"
  elif grep -qi -e '\$DataBase\$' -e '\$RecordCount\$' "$file"; then
    fail "$1: $file still holds a placeholder"
  else
    pass "$1"
  fi
}
