#!/usr/bin/env bash
# The program on real sites that nobody here wrote: the HTML documentation
# that Debian's packages install. Each run must end normally, announce every
# page, and write a database.js that node loads, with as many entries in
# KeyString and KeyLink as the total line reports, and every link naming a
# page that exists. Uses the build of stage 10 (build/dev).
set -euo pipefail
cd "$(dirname "$0")/../.."

program=$PWD/build/dev/zanthor
[ -x "$program" ] || { echo "no program at $program: run stage 10 first" >&2; exit 1; }

python_docs=/usr/share/doc/python3.11/html
[ -f "$python_docs/index.html" ] || scripts/install-deps.sh python3.11-doc
[ -f "$python_docs/index.html" ] || {
  echo "python3.11-doc left no $python_docs/index.html (does dpkg exclude /usr/share/doc?)" >&2
  exit 1
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Checks one run: its status, its console lines and its database.js.
check_site() {
  local name=$1 site=$2 status=0
  local folder=$scratch/$name
  mkdir -p "$folder"
  (cd "$folder" && "$program" "$site" >console.txt) || status=$?
  if [ "$status" -ne 0 ]; then
    echo "$name: exit status $status" >&2
    tail -c 400 "$folder/console.txt" >&2
    return 1
  fi
  # The pages the walk must reach: files (links followed) whose extension,
  # from the last full stop, begins with .htm or .php in any case.
  local pages
  pages=$(find -L "$site" -type f 2>/dev/null | grep -Eci '\.(htm|php)[^./]*$' || true)
  node - "$folder" "$pages" "$name" <<'EOF'
const fs = require("fs");
const path = require("path");
const vm = require("vm");
const [folder, pages, name] = process.argv.slice(2);
const fail = (message) => { console.error(`${name}: ${message}`); process.exit(1); };

const lines = fs.readFileSync(path.join(folder, "console.txt"), "latin1").split("\r\n");
if (lines.pop() !== "") fail("the console output does not end with CR LF");
const total = /^Completed, (\d+) index items total added\.$/.exec(lines.pop() || "");
if (!total) fail("no total line");
const announced = lines.filter((l) => /^Processing file ".*"\.\.\.success, \d+ index items added for this file\.$/.test(l));
if (announced.length !== lines.length) fail(`unexpected console lines: ${lines.filter((l) => !announced.includes(l))[0]}`);
if (announced.length !== Number(pages)) fail(`${announced.length} pages processed, ${pages} expected`);
const sum = announced.reduce((n, l) => n + Number(/success, (\d+)/.exec(l)[1]), 0);

// Bytes as they are: one character per byte.
const context = {};
vm.createContext(context);
vm.runInContext(fs.readFileSync(path.join(folder, "database.js"), "latin1"), context);
const count = Number(total[1]);
if (context.KeyString.length !== count) fail(`KeyString.length ${context.KeyString.length}, total line ${count}`);
if (context.KeyLink.length !== count) fail(`KeyLink.length ${context.KeyLink.length}, total line ${count}`);
if (context.RecordCount !== count) fail(`RecordCount ${context.RecordCount}, total line ${count}`);
if (sum !== count) fail(`the page lines add up to ${sum}, total line ${count}`);
for (let i = 0; i < count; i++) {
  if (typeof context.KeyString[i] !== "string" || context.KeyString[i].length < 3) fail(`entry ${i} is no text`);
}
for (const link of new Set(context.KeyLink)) {
  if (!fs.existsSync(Buffer.from(link, "latin1"))) fail(`link ${link} names no file`);
}
console.log(`${name}: ${announced.length} pages, ${count} entries, database.js loads`);
EOF
}

check_site python-docs "$python_docs"
# Every document this machine has installed, whatever it holds: pages in
# many styles and encodings, links, compressed and binary files.
check_site installed-docs /usr/share/doc
