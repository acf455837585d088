#!/usr/bin/env bash
# Installs what is needed, builds the program, makes a demo Wine prefix with
# several host installations (build/demo-prefix, fresh each time) and runs
# the installer on it with the demo payload that sits beside the executable.
# Until the wizard's pages exist this runs the unattended mode: "list" by
# default; pass "install" or "remove" to change the demo hosts, or "window"
# for the window mode (options after it go to the program, as "-cell_list").
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
veldo_install_packages

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELDO_TEST_PREFIX=release.
cmake --build build/release -j "$(nproc)" --target veldo-installer

prefix="$PWD/build/demo-prefix"
if [ ! -f "$prefix/system.reg" ]; then demo/make-demo-prefix.sh "$prefix"; fi
export WINEPREFIX="$prefix"
if [ "${1:-}" = window ]; then shift; exec build/release/bin/veldo-installer "$@"; fi
echo "The wizard's pages are not built yet: running the unattended mode on the demo prefix."
exec build/release/bin/veldo-installer -unattended "${1:-list}"
