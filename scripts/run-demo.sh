#!/usr/bin/env bash
# Installs what is needed, builds the program, makes a demo Wine prefix with
# several host installations (build/demo-prefix, made once and then reused:
# remove it for a fresh one) and runs
# the installer on it with the demo payload that sits beside the executable.
# With a display it opens the wizard; without one it runs the unattended
# "list". Pass "list", "install" or "remove" for the unattended mode, or
# "window" followed by options for the program (as "-cell_list").
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
if [ $# -eq 0 ] && [ -n "${DISPLAY:-}" ]; then exec build/release/bin/veldo-installer; fi
if [ $# -eq 0 ]; then
  echo "No display: listing the demo hosts instead (run with \"install\" or \"remove\" to change them)."
fi
exec build/release/bin/veldo-installer -unattended "${1:-list}"
