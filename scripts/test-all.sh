#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: each stage in
# scripts/stages, in the order of their names. A stage installs what it needs
# beyond the common tools with scripts/install-deps.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

for stage in scripts/stages/*.sh; do
  echo "=== ${stage#scripts/stages/}"
  bash "$stage"
done
echo "=== all stages passed"
