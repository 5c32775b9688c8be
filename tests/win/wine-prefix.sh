#!/bin/sh
# Makes the wine prefix $WINEPREFIX on first use and starts a wine server
# that outlives each run by half a minute, so that the runs of the tests do
# not each pay for starting one.
#   wine-prefix.sh <wine> [<wineserver>]
set -e
wine="$1"
server="${2:-}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "making the wine prefix $WINEPREFIX"
  "$wine" wineboot -i
  # wineboot leaves the prefix's services starting; let them settle.
  [ -z "$server" ] || "$server" -w
fi
[ -n "$server" ] || exit 0
# Fails when a server runs already, which serves as well.
"$server" -p30 </dev/null >/dev/null 2>&1 || true
# The first program of a server brings up wine's own services, which keep
# that program's output open for as long as the server runs: start them
# here, away from the output of any test.
"$wine" cmd /c exit </dev/null >/dev/null 2>&1 || true
