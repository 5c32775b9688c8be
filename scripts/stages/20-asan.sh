#!/usr/bin/env bash
# The whole test suite (unit and end-to-end) against a build with
# AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer; any
# report stops the test that caused it.
set -euo pipefail
cd "$(dirname "$0")/../.."
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cmake --preset asan
cmake --build --preset asan -j2
ctest --preset asan -j2
