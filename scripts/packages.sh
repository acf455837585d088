# Debian packages the build, the tests and the demo need; sourced by the
# scripts beside it. Runs apt-get as root, through sudo when not root.
VELDO_PACKAGES=(
  build-essential cmake ninja-build pkg-config python3
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  wine wine64 fonts-wine gcc-mingw-w64-x86-64 gcc-mingw-w64-i686 g++-mingw-w64-x86-64 dpkg-dev
  sudo
  libglfw3-dev libglew-dev libx11-dev liblodepng-dev libzstd-dev libfreetype-dev fonts-dejavu-core unifont
  zstd xz-utils
  zenity xdg-utils
  xvfb xauth xdotool libgl1-mesa-dri
)

veldo_install_packages() {
  local run=()
  if [ "$(id -u)" -ne 0 ]; then run=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${run[@]}" apt-get update -q
  "${run[@]}" apt-get install -y -q --no-install-recommends "${VELDO_PACKAGES[@]}"
}
