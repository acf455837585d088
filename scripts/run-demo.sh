#!/usr/bin/env bash
# Installs what is needed, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
veldo_install_packages

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELDO_TEST_PREFIX=release.
cmake --build build/release -j "$(nproc)" --target veldo-installer
exec build/release/bin/veldo-installer "$@"
