#!/usr/bin/env bash
# Installs from Debian's packages whatever the build and the tests need and
# this machine lacks. Installs only when run as root; otherwise it names
# what is missing and fails.
set -euo pipefail

packages=()
need_command() { command -v "$1" >/dev/null 2>&1 || packages+=("$2"); }
need_file() { [ -e "$1" ] || packages+=("$2"); }

need_command cmake cmake
need_command ninja ninja-build
need_command g++ g++
need_file /usr/include/gtest/gtest.h libgtest-dev
need_command node nodejs
# Further needs, named by the stages that use them.
for extra in "$@"; do
  case "$extra" in
    *:*) need_command "${extra%%:*}" "${extra#*:}" ;;
    *) packages+=("$extra") ;;
  esac
done

[ ${#packages[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages (install them, or run this as root): ${packages[*]}" >&2
  exit 1
fi
echo "installing: ${packages[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${packages[@]}"
