#!/usr/bin/env bash
# A short run of every fuzz target (scripts/fuzz.sh short); the long runs
# are on demand (scripts/fuzz.sh long).
set -euo pipefail
cd "$(dirname "$0")/../.."
deps=(clang++:clang)
compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null || deps+=(libclang-rt-14-dev)
scripts/install-deps.sh "${deps[@]}"
scripts/fuzz.sh short
