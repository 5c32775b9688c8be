#!/usr/bin/env bash
# Builds the program (release) and indexes the example site: afterwards
# examples/database.js is the index of examples/site, and
# examples/search.html searches it.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release -DZANTHOR_BUILD_TESTS=OFF
cmake --build --preset release
cd examples
../build/release/zanthor site
