#!/usr/bin/env bash
# The indexer's speed, as a ratio to the time it takes just to read the pages.
#
#   bench/run.sh [--rounds N] [--scale X] [--scratch DIR] [SHAPE...]
#
# SHAPE is typical (~200 MB, 16,000 pages), large (~1 GB), tiny (200,000
# pages of 1 KB), huge (one page of 300 MB) or deep (200 nested folders); by
# default all five. For each site the script runs, in one process each, the
# read floor (bench/readfloor.cpp: every page opened and read, nothing else)
# and the indexer, interleaved after a warm-up: floor, the floor that also
# writes a file of the size of database.js (as the indexer writes it, over
# the file of the round before), indexer with standard output to a file,
# indexer with standard output to /dev/null; N rounds (default 5). The page
# cache is warmed first, so all of them read from memory.
#
# Per site it prints the medians (seconds, MB/s with MB = 10^6 bytes, pages
# per second, and the processor time, which a busy machine disturbs less
# than the wall-clock time), the peak RSS (/usr/bin/time -v), the size of database.js, the
# median of the per-round ratios indexer/floor (and indexer/read+write
# floor), and the cost of the file against /dev/null; then the targets, met
# or missed; last, parseable lines per site:
#   ratio_vs_floor 200MB 1.84
#   ratio_vs_write_floor 200MB 1.21
#
# Sites are generated (deterministically) under the scratch folder, a new
# folder in /tmp by default that is removed at the end. With --scratch the
# folder is kept, and a site already generated there with the same arguments
# is used again. --scale shrinks the sites (0.01 for a quick check); the
# targets are only judged at scale 1.
#
# Needs: cmake, ninja, g++, /usr/bin/time (Debian package "time"). Keep the
# machine otherwise idle while it runs: the ratios are taken round by round,
# but an idle machine gives the steadiest figures.
set -euo pipefail

rounds=5
scale=1
scratch=
shapes=()
while [ $# -gt 0 ]; do
  case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --scale) scale=$2; shift 2 ;;
    --scratch) scratch=$2; shift 2 ;;
    -h|--help) awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "$0"; exit 0 ;;
    typical|large|tiny|huge|deep) shapes+=("$1"); shift ;;
    *) echo "bench/run.sh: unknown argument: $1 (see --help)" >&2; exit 2 ;;
  esac
done
[ ${#shapes[@]} -eq 0 ] && shapes=(typical large tiny huge deep)
if ! [[ $rounds =~ ^[0-9]+$ ]] || [ "$rounds" -lt 1 ]; then
  echo "bench/run.sh: --rounds needs a positive number" >&2
  exit 2
fi
if [ ! -x /usr/bin/time ]; then
  echo "bench/run.sh: /usr/bin/time is missing (Debian package \"time\")" >&2
  exit 1
fi

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$repo/build/bench
echo "== building (release) in $build"
cmake --preset release -B "$build" -DZANTHOR_BUILD_TESTS=OFF -DZANTHOR_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target zanthor zanthor-gensite zanthor-readfloor >/dev/null
program=$build/zanthor
gensite=$build/bench/zanthor-gensite
floor=$build/bench/zanthor-readfloor

if [ -z "$scratch" ]; then
  scratch=$(mktemp -d /tmp/zanthor-bench.XXXXXX)
  trap 'rm -rf "$scratch"' EXIT
else
  mkdir -p "$scratch"
  scratch=$(cd "$scratch" && pwd)
fi
mkdir -p "$scratch/sites" "$scratch/run"

now() { echo "${EPOCHREALTIME/[,.]/}"; }  # microseconds

# Runs a command under /usr/bin/time -v with the given standard output;
# sets `took` (seconds), `cpu` (user + system seconds) and `rss` (KiB).
# Fails when the command fails.
# The disk is synced first, outside the time.
timed() {
  local out=$1
  shift
  local start end
  # What the runs before left to write back to the disk is not this run's
  # work: without this, every round would wait for the last round's output.
  sync
  start=$(now)
  if ! /usr/bin/time -v -o "$scratch/time.txt" "$@" >"$out"; then
    echo "bench/run.sh: failed: $* (see $scratch)" >&2
    exit 1
  fi
  end=$(now)
  took=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", (b - a) / 1e6 }')
  rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$scratch/time.txt")
  cpu=$(awk -F': ' '/User time|System time/ { s += $2 } END { printf "%.2f", s }' "$scratch/time.txt")
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.6f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

label_of() {
  local base
  case "$1" in
    typical) base=200MB ;;
    large) base=1GB ;;
    tiny) base=tiny200k ;;
    huge) base=page300MB ;;
    deep) base=deep200 ;;
  esac
  if [ "$scale" = 1 ]; then echo "$base"; else echo "$base@x$scale"; fi
}

echo "== machine"
echo "cpu: $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo), $(nproc) cores;" \
  "memory: $(awk '/MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo);" \
  "kernel: $(uname -sr); scratch: $(df -T "$scratch" | awk 'NR == 2 { print $2 }') on $(df "$scratch" | awk 'NR == 2 { print $1 }')"
echo "compiler: $(c++ --version | head -1)"
echo "rounds: $rounds, scale: $scale"

# Prints a target as met or missed: judge WHAT VALUE <= LIMIT (or >=).
judge() {
  [ "$scale" = 1 ] || return 0
  if awk -v v="$2" -v l="$4" -v op="$3" 'BEGIN { exit !(op == "<=" ? v <= l : v >= l) }'; then
    echo "   target $1: met ($2 $3 $4)"
  else
    echo "   target $1: MISSED ($2, needs $3 $4)"
  fi
}

summary=() wsummary=()
declare -A mbps bytes_of
for shape in "${shapes[@]}"; do
  site=$scratch/sites/$shape
  stamp="$(sha1sum <"$gensite" | cut -c1-16) $shape $scale"
  if [ ! -f "$site.done" ] || [ "$(cat "$site.done")" != "$stamp" ]; then
    echo "== generating $shape"
    rm -rf "$site" "$site.done"
    "$gensite" "$shape" "$site" --scale "$scale" >"$site.info"
    echo "$stamp" >"$site.done"
  fi
  echo "== $shape: $(cat "$site.info")"

  # The run folder: database.js is written here, and the site is reached as
  # "site", so that the links are as short as a user's would be.
  run=$scratch/run/$shape
  rm -rf "$run"
  mkdir -p "$run"
  ln -s "$site" "$run/site"
  cd "$run"

  # Warm the cache, and check that both read the same pages.
  "$floor" site >/dev/null
  read -r _ pages _ page_bytes < <("$floor" site)
  timed stdout.txt "$program" site
  processed=$(grep -c '^Processing file ' stdout.txt || true)
  if [ "$processed" != "$pages" ] || grep -q 'open error!' stdout.txt ||
    ! tail -n 1 stdout.txt | grep -q '^Completed, '; then
    echo "bench/run.sh: the indexer did not index the $pages pages of $shape (see $run/stdout.txt)" >&2
    exit 1
  fi

  db=$(stat -c %s database.js)
  "$floor" --write "$db" site >/dev/null
  floor_t=() write_t=() file_t=() null_t=() ratio_r=() wratio_r=() null_r=() fcpu=() pcpu=()
  peak=0
  for ((round = 1; round <= rounds; ++round)); do
    timed floor.txt "$floor" site
    f=$took
    fcpu+=("$cpu")
    timed floor.txt "$floor" --write "$db" site
    w=$took
    timed stdout.txt "$program" site
    p=$took
    pcpu+=("$cpu")
    [ "$rss" -gt "$peak" ] && peak=$rss
    timed /dev/null "$program" site
    n=$took
    [ "$rss" -gt "$peak" ] && peak=$rss
    floor_t+=("$f") write_t+=("$w") file_t+=("$p") null_t+=("$n")
    ratio_r+=("$(awk -v p="$p" -v f="$f" 'BEGIN { printf "%.4f", p / f }')")
    wratio_r+=("$(awk -v p="$p" -v w="$w" 'BEGIN { printf "%.4f", p / w }')")
    null_r+=("$(awk -v p="$p" -v n="$n" 'BEGIN { printf "%.4f", (p - n) / n * 100 }')")
    printf '   round %d: floor %.3f s, read+write floor %.3f s, to a file %.3f s, to /dev/null %.3f s\n' \
      "$round" "$f" "$w" "$p" "$n"
  done
  cd "$scratch"

  mf=$(printf '%s\n' "${floor_t[@]}" | median)
  mw=$(printf '%s\n' "${write_t[@]}" | median)
  wratio=$(printf '%s\n' "${wratio_r[@]}" | median)
  mp=$(printf '%s\n' "${file_t[@]}" | median)
  mn=$(printf '%s\n' "${null_t[@]}" | median)
  ratio=$(printf '%s\n' "${ratio_r[@]}" | median)
  diff=$(printf '%s\n' "${null_r[@]}" | median)
  mfc=$(printf '%s\n' "${fcpu[@]}" | median)
  mpc=$(printf '%s\n' "${pcpu[@]}" | median)
  mbps[$shape]=$(awk -v b="$page_bytes" -v t="$mp" 'BEGIN { printf "%.0f", b / 1e6 / t }')
  bytes_of[$shape]=$page_bytes
  awk -v shape="$shape" -v pages="$pages" -v bytes="$page_bytes" -v mf="$mf" -v mw="$mw" -v mp="$mp" -v mn="$mn" \
    -v ratio="$ratio" -v wratio="$wratio" -v diff="$diff" -v rss="$peak" -v db="$db" -v mfc="$mfc" -v mpc="$mpc" 'BEGIN {
      printf "   %s: %d pages, %.1f MB of pages\n", shape, pages, bytes / 1e6
      printf "   floor      %8.3f s  %7.0f MB/s  %9.0f pages/s\n", mf, bytes / 1e6 / mf, pages / mf
      printf "   r+w floor  %8.3f s  %7.0f MB/s  %9.0f pages/s  (read, then write %.1f MiB)\n", mw, bytes / 1e6 / mw, pages / mw, db / 1048576
      printf "   indexer    %8.3f s  %7.0f MB/s  %9.0f pages/s  (stdout to a file)\n", mp, bytes / 1e6 / mp, pages / mp
      printf "   indexer    %8.3f s  %7.0f MB/s  %9.0f pages/s  (stdout to /dev/null; the file costs %+.1f %%)\n", mn, bytes / 1e6 / mn, pages / mn, diff
      printf "   processor time (user + system, median): floor %.2f s, indexer %.2f s\n", mfc, mpc
      printf "   peak RSS %.1f MiB, database.js %.1f MiB, ratio indexer/floor %.2f, indexer/(read+write floor) %.2f\n", rss / 1024, db / 1048576, ratio, wratio
    }'

  label=$(label_of "$shape")
  summary+=("ratio_vs_floor $label $(printf '%.2f' "$ratio")")
  wsummary+=("ratio_vs_write_floor $label $(printf '%.2f' "$wratio")")
  case "$shape" in
    typical | deep) judge "ratio" "$(printf '%.2f' "$ratio")" '<=' 2.0 ;;
    tiny) judge "ratio" "$(printf '%.2f' "$ratio")" '<=' 1.8 ;;
    huge)
      judge "GB/s of page bytes" "$(awk -v t="$mp" -v b="$page_bytes" 'BEGIN { printf "%.2f", b / 1e9 / t }')" '>=' 1.0
      judge "peak RSS / page" "$(awk -v r="$peak" -v b="$page_bytes" 'BEGIN { printf "%.2f", r * 1024 / b }')" '<=' 2.5
      ;;
  esac
  judge "peak RSS MiB (1.5 x database.js + 16 MiB)" "$(awk -v r="$peak" 'BEGIN { printf "%.1f", r / 1024 }')" '<=' \
    "$(awk -v d="$db" 'BEGIN { printf "%.1f", 1.5 * d / 1048576 + 16 }')"
done

if [ -n "${mbps[typical]:-}" ] && [ -n "${mbps[large]:-}" ] && [ "$scale" = 1 ]; then
  slower=$(awk -v a="${mbps[typical]}" -v b="${mbps[large]}" 'BEGIN { printf "%.1f", (a - b) / a * 100 }')
  echo "== large against typical: ${mbps[large]} MB/s against ${mbps[typical]} MB/s"
  if awk -v s="$slower" 'BEGIN { exit !(s <= 15) }'; then
    echo "   target MB/s within 15 %: met (${slower} % slower)"
  else
    echo "   target MB/s within 15 %: MISSED (${slower} % slower)"
  fi
fi

echo "== ratios"
printf '%s\n' "${summary[@]}" "${wsummary[@]}"
