#!/usr/bin/env bash
# Installs what is needed, builds the optimised configuration (GCC), the
# AddressSanitizer + UndefinedBehaviorSanitizer configuration (clang), a
# ThreadSanitizer configuration of the tests that start threads (clang) and
# the Windows build (mingw-w64, tests under Wine), and runs every test of the
# four under one ctest summary.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
veldo_install_packages

jobs=$(nproc)

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DVELDO_TEST_PREFIX=release.
cmake --build build/release -j "$jobs"

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVELDO_SANITIZE=ON -DVELDO_FUZZ=ON -DVELDO_BENCH=OFF -DVELDO_TEST_PREFIX=asan.
cmake --build build/asan -j "$jobs"

cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVELDO_SANITIZE_THREAD=ON -DVELDO_BENCH=OFF -DVELDO_TEST_PREFIX=tsan.
cmake --build build/tsan -j "$jobs" --target thread_tests

# The Windows build: GLFW, GLEW, LodePNG and GoogleTest from Debian's source
# packages, then the program and its window-free test programs cross-built
# with the release tree's generators. The test programs run under Wine in
# this tree; the release tree's tests run the program under Wine beside the
# Linux build.
./scripts/windows-deps.sh build/windows-deps
cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DVELDO_WINDOWS_DEPS="$PWD/build/windows-deps/prefix" \
  -DVELDO_HOST_TOOLS="$PWD/build/release/tools" \
  -DVELDO_TESTS=ON -DVELDO_BENCH=OFF -DVELDO_TEST_PREFIX=windows.
cmake --build build/windows -j "$jobs"
export VELDO_WINDOWS_EXE="$PWD/build/windows/bin/veldo-installer.exe"

# A sanitizer report fails its test.
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:strict_string_checks=1
# Wine, started by one registry test, keeps quiet and away from the home folder.
export WINEDEBUG=-all
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

# Windows and OpenGL run on a virtual X server with Mesa's renderer.
if [ -z "${DISPLAY:-}" ]; then
  display=:97
  # -noreset: without it the server resets whenever its last client leaves,
  # and a client connecting meanwhile (a dialog of one test while another
  # test's window closes) is refused.
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset +extension GLX >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill "$xvfb" 2>/dev/null || true' EXIT
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
  export DISPLAY="$display"
fi

# The four trees under one summary.
mkdir -p build/all
cat > build/all/CTestTestfile.cmake <<CTEST
subdirs("$PWD/build/release")
subdirs("$PWD/build/asan")
subdirs("$PWD/build/tsan")
subdirs("$PWD/build/windows")
CTEST
cd build/all
ctest --output-on-failure -j "$jobs" --timeout 1200
