#!/usr/bin/env bash
# The Linux build with warnings as errors, its unit and end-to-end tests.
set -euo pipefail
cmake --preset dev
cmake --build --preset dev
ctest --preset dev
