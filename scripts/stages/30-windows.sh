#!/usr/bin/env bash
# The Windows program: the mingw-w64 cross build with warnings as errors,
# its unit tests under wine, and the end-to-end suite of the Linux build
# (stage 10) run against zanthor.exe under wine, with the Windows
# expectations. The wine prefix is made inside build/mingw on first use,
# with no window and no network.
set -euo pipefail
cd "$(dirname "$0")/../.."

needs=(x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix wine:wine)
# Debian keeps the 64-bit loader out of the PATH.
[ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null 2>&1 || needs+=(wine64)
scripts/install-deps.sh "${needs[@]}"

# The end-to-end suite is a Linux program, built by the Linux build (up to
# date after stage 10, when this costs nothing).
cmake --preset dev >/dev/null
cmake --build --preset dev -j2

unset DISPLAY
cmake --preset mingw -DZANTHOR_LINUX_BUILD_DIR="$PWD/build/dev"
cmake --build --preset mingw -j2
ctest --preset mingw -j2
