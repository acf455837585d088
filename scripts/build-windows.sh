#!/usr/bin/env bash
# Cross-builds veldo-installer.exe for 64-bit Windows into build/windows/bin
# (the demo payload beside it): the Windows libraries from Debian's source
# packages first, the build-time generators from a native tree, then the
# program with mingw-w64.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
veldo_install_packages

jobs=$(nproc)
./scripts/windows-deps.sh build/windows-deps

# The generators run here: a native tree's (only its tools are built).
cmake -S . -B build/host-tools -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELDO_TESTS=OFF -DVELDO_BENCH=OFF > /dev/null
cmake --build build/host-tools -j "$jobs" --target font_gen icon_gen

cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DVELDO_WINDOWS_DEPS="$PWD/build/windows-deps/prefix" \
  -DVELDO_HOST_TOOLS="$PWD/build/host-tools/tools" \
  -DVELDO_TESTS=OFF -DVELDO_BENCH=OFF > /dev/null
cmake --build build/windows -j "$jobs" --target veldo-installer
echo "Built build/windows/bin/veldo-installer.exe"
