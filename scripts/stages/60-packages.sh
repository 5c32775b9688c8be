#!/usr/bin/env bash
# The packages: the manual's lint, the .deb and the Windows .zip as
# scripts/package.sh builds them, and cmake --install of the Linux build.
set -euo pipefail
cd "$(dirname "$0")/../.."

# dpkg-shlibdeps and file: the .deb's Depends line; groff and mandoc: the
# manual's lint; mingw-w64 and wine: the Windows program and its check.
scripts/install-deps.sh dpkg-shlibdeps:dpkg-dev file:file groff:groff-base mandoc:mandoc \
  x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix wine:wine

tests/packaging/check-manual.sh

scripts/package.sh
version="$(sed -n 's/^project(zanthor VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)"
tests/packaging/check-install.sh build/package/linux
tests/packaging/check-deb.sh "build/packages/zanthor_${version}_$(dpkg --print-architecture).deb"
tests/packaging/check-zip.sh "build/packages/zanthor-${version}-win64.zip"
