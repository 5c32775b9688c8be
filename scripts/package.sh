#!/usr/bin/env bash
# Builds the release packages into build/packages:
#   zanthor_<version>_<arch>.deb     for Debian and Ubuntu, from a Linux build
#   zanthor-<version>-win64.zip      for Windows, from the MinGW-w64 build
#
#   scripts/package.sh          both
#   scripts/package.sh deb      only the .deb
#   scripts/package.sh zip      only the .zip
#
# Each package is made from a release build of its own, in build/package/.
set -euo pipefail
cd "$(dirname "$0")/.."

what="${1:-all}"
out="build/packages"
mkdir -p "$out"

# Options for a package build: no tests or benchmarks in it.
build_options=(-DZANTHOR_BUILD_TESTS=OFF -DZANTHOR_BUILD_BENCH=OFF)

package() {  # package <configure preset> <build folder> <generator>
  local preset="$1" dir="$2" generator="$3"
  cmake --preset "$preset" -B "$dir" "${build_options[@]}" >/dev/null
  cmake --build "$dir" -j2
  cpack --config "$dir/CPackConfig.cmake" -G "$generator" -B "$out"
  rm -rf "$out/_CPack_Packages"
}

case "$what" in
  deb|all) package release build/package/linux DEB ;;&
  zip|all) package mingw-release build/package/windows ZIP ;;
  deb) ;;
  *) echo "usage: scripts/package.sh [deb|zip]" >&2; exit 2 ;;
esac
ls -l "$out"
