#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the demo and the benchmarks need.
# Idempotent and quiet when everything is there; scripts/test.sh and scripts/demo.sh call it
# first. Installing needs root: run by anyone else with something missing, it prints the one
# command that installs it and fails.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-dev
    mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
    wine wine64 xvfb xauth x11-utils
    fonts-wqy-zenhei fonts-dejavu-core imagemagick
    libfmt-dev googletest libgtest-dev libbenchmark-dev liblua5.4-dev
    python3 python3-pytest zip unzip locales iproute2 util-linux procps
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" != 0 ]; then
    echo "setup: missing packages: ${missing[*]}" >&2
    echo "setup: install them with: sudo $(cd "$(dirname "$0")" && pwd)/setup.sh" >&2
    exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
