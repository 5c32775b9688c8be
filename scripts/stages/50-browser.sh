#!/usr/bin/env bash
# The search page: the template's search function under node, on indexes
# that the dev build writes, then the example site's search page in
# headless chromium. Uses the dev build of stage 10; leaves the example
# index in examples/database.js and a screenshot in build/browser/.
set -euo pipefail
cd "$(dirname "$0")/../.."

scripts/install-deps.sh chromium:chromium npm:npm

export ZANTHOR_PROGRAM="${ZANTHOR_PROGRAM:-build/dev/zanthor}"
export ZANTHOR_BROWSER_OUT="${ZANTHOR_BROWSER_OUT:-build/browser}"
if [ ! -x "$ZANTHOR_PROGRAM" ]; then
  echo "no $ZANTHOR_PROGRAM: build the dev preset first (stage 10)" >&2
  exit 1
fi

(cd tests/browser && npm ci --no-audit --no-fund --loglevel=error)
(cd examples && "../$ZANTHOR_PROGRAM" site >/dev/null)

node --test tests/node/search.test.js
node --test tests/browser/search.test.js
