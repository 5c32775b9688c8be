#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan and UBSan) and runs them.
#
#   scripts/fuzz.sh short             each target for 20 s (the test command's run)
#   scripts/fuzz.sh long [seconds]    each target for 600 s, or the time given
#   scripts/fuzz.sh run TARGET SECS   one target
#   scripts/fuzz.sh replay            each target over its seed corpus only
#
# Targets: line_reader page_scan command_line template_fill. The seeds in
# fuzz/corpus/<target>/ are read; what a run adds goes to
# build/fuzz/corpus/<target>/, so that later runs start from it. A failing
# input is saved in build/fuzz/artifacts/ and the script fails; replay it
# with build/fuzz/fuzz_<target> <file>. ZANTHOR_FUZZ_BUILD names another
# build folder (for a long run beside a short one).
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(line_reader page_scan command_line template_fill)
build=${ZANTHOR_FUZZ_BUILD:-build/fuzz}
cxx=${ZANTHOR_FUZZ_CXX:-$(command -v clang++ || command -v clang++-14 || true)}
if [ -z "$cxx" ]; then
  echo "fuzz.sh: clang++ is missing (scripts/install-deps.sh clang++:clang libclang-rt-14-dev)" >&2
  exit 1
fi

build_targets() {
  mkdir -p "$build"
  # Runs started side by side share the build folder: one builds at a time.
  (
    flock 9
    cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
    cmake --build "$build" -j2
  ) 9>"$build/.build-lock"
}

# run TARGET SECONDS [extra libFuzzer options]
run() {
  local target=$1 seconds=$2
  shift 2
  local work="$build/corpus/$target" artifacts="$build/artifacts"
  mkdir -p "$work" "$artifacts"
  local dict=()
  [ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
  echo "--- fuzz_$target, ${seconds}s"
  # Leaks are checked as well (LeakSanitizer runs at the end of each input
  # that allocated more than it freed). The log is kept; its last lines tell
  # the outcome.
  if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz_$target" "$work" "fuzz/corpus/$target" "${dict[@]}" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
      -print_final_stats=1 -artifact_prefix="$artifacts/$target-" "$@" >"$build/$target.log" 2>&1; then
    tail -n 60 "$build/$target.log"
    echo "fuzz_$target FAILED (log: $build/$target.log)" >&2
    return 1
  fi
  grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$build/$target.log" || true
}

replay() {
  local target=$1
  echo "--- fuzz_$target over its seeds"
  mkdir -p "$build/artifacts"
  "$build/fuzz_$target" -runs=0 -artifact_prefix="$build/artifacts/$target-" "fuzz/corpus/$target" >"$build/$target.replay.log" 2>&1 ||
    { tail -n 40 "$build/$target.replay.log"; return 1; }
}

mode=${1:-short}
build_targets
case "$mode" in
  short)
    for t in "${targets[@]}"; do run "$t" "${ZANTHOR_FUZZ_SECONDS:-20}"; done ;;
  long)
    for t in "${targets[@]}"; do run "$t" "${2:-600}"; done ;;
  run)
    run "$2" "${3:-60}" ;;
  replay)
    for t in "${targets[@]}"; do replay "$t"; done ;;
  *)
    echo "usage: $0 short | long [seconds] | run TARGET SECONDS | replay" >&2
    exit 2 ;;
esac
echo "fuzz: all targets passed"
