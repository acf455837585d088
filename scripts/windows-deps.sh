#!/usr/bin/env bash
# Builds the Windows libraries the program links statically (GLFW, GLEW,
# LodePNG, zstd) and the tests' GoogleTest from Debian's own source packages with
# mingw-w64, into
# OUT/prefix (default build/windows-deps). The source packages come through a
# private apt configuration with a deb-src entry for the machine's own
# archive (same URI, suite and key); the machine's apt sources are left as
# they are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/build/windows-deps}")  # apt takes relative paths from /etc/apt
prefix=$out/prefix
toolchain=$root/cmake/mingw-w64-x86_64.cmake
packages="glfw3 glew lodepng googletest libzstd"
if [ "$(cat "$prefix/.built" 2>/dev/null)" = "$packages" ]; then exit 0; fi

# ---- the source packages ---------------------------------------------------
apt_dir=$out/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/sources.d" "$out/src"
system=/etc/apt/sources.list.d/debian.sources
field() { awk -v f="$1:" '$1 == f { $1 = ""; sub(/^ /, ""); print; exit }' "$system"; }
uri=$(field URIs)
suite=$(field Suites | awk '{ print $1 }')
key=$(field Signed-By)
cat > "$apt_dir/sources.d/debian-src.sources" <<SOURCES
Types: deb-src
URIs: $uri
Suites: $suite
Components: main
Signed-By: $key
SOURCES
apt_options=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$apt_dir/sources.d"
             -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -q)
# Run as root, apt hands downloads to its own user, who cannot write here.
if [ "$(id -u)" -eq 0 ]; then apt_options+=(-o "APT::Sandbox::User=root"); fi
mkdir -p "$apt_dir/cache/archives/partial"
apt-get "${apt_options[@]}" update > /dev/null
cd "$out/src"
for package in $packages; do
  if ! ls -d "$package"-*/ > /dev/null 2>&1 && ! ls -d "${package%3}"-*/ > /dev/null 2>&1; then
    apt-get "${apt_options[@]}" source --download-only "$package" > /dev/null
    dpkg-source --no-check -x "$(ls "$package"_*.dsc | head -1)" > /dev/null
  fi
done
glfw_src=$(ls -d "$out"/src/glfw3-*/ | head -1)
glew_src=$(ls -d "$out"/src/glew-*/ | head -1)
lodepng_src=$(ls -d "$out"/src/lodepng-*/ | head -1)
googletest_src=$(ls -d "$out"/src/googletest-*/ | head -1)
zstd_src=$(ls -d "$out"/src/libzstd-*/ | head -1)

# ---- the builds ------------------------------------------------------------
mkdir -p "$prefix/lib" "$prefix/include/GL"
cmake -S "$glfw_src" -B "$out/build/glfw" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
  -DGLFW_BUILD_EXAMPLES=OFF -DGLFW_BUILD_TESTS=OFF -DGLFW_BUILD_DOCS=OFF > /dev/null
cmake --build "$out/build/glfw" > /dev/null
cmake --install "$out/build/glfw" > /dev/null

# GLEW: its one source file, static.
mkdir -p "$out/build/glew"
x86_64-w64-mingw32-gcc-posix -O2 -DGLEW_STATIC -DGLEW_NO_GLU -I"$glew_src/include" \
  -c "$glew_src/src/glew.c" -o "$out/build/glew/glew.o"
x86_64-w64-mingw32-ar rcs "$prefix/lib/libglew32.a" "$out/build/glew/glew.o"
cp "$glew_src"/include/GL/*.h "$prefix/include/GL/"

# LodePNG: its one source file, static.
mkdir -p "$out/build/lodepng"
x86_64-w64-mingw32-g++-posix -O2 -x c++ -c "$lodepng_src/lodepng.cpp" -o "$out/build/lodepng/lodepng.o"
x86_64-w64-mingw32-ar rcs "$prefix/lib/liblodepng.a" "$out/build/lodepng/lodepng.o"
cp "$lodepng_src/lodepng.h" "$prefix/include/"

# GoogleTest and GoogleMock, static, for the test programs run under Wine.
cmake -S "$googletest_src" -B "$out/build/googletest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF > /dev/null
cmake --build "$out/build/googletest" > /dev/null
cmake --install "$out/build/googletest" > /dev/null

# zstd: its library alone, static, single-threaded.
cmake -S "$zstd_src/build/cmake" -B "$out/build/zstd" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DZSTD_BUILD_PROGRAMS=OFF -DZSTD_BUILD_TESTS=OFF \
  -DZSTD_BUILD_SHARED=OFF -DZSTD_BUILD_STATIC=ON -DZSTD_MULTITHREAD_SUPPORT=OFF -DZSTD_LEGACY_SUPPORT=OFF > /dev/null
cmake --build "$out/build/zstd" > /dev/null
cmake --install "$out/build/zstd" > /dev/null

echo "$packages" > "$prefix/.built"
echo "Windows libraries in $prefix"
