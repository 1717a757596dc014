#!/usr/bin/env bash
# Shared set-up of run.sh and test.sh: install the Debian packages the build and the
# tests need (as root), then configure and build into build/.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libgtk-3-dev libmpg123-dev libkissfft-dev libimgui-dev
  libglew-dev libglu1-mesa-dev libgl-dev libgl1-mesa-dri mesa-utils libpng-dev
  xvfb xauth xdotool x11-utils libxrandr-dev
  libjpeg-turbo-progs lame sox ffmpeg parallel rsync openssl
  clang libclang-rt-14-dev libfreetype-dev fonts-dejavu-core imagemagick
  dpkg-dev lintian desktop-file-utils appstream
  mingw-w64 wine64 unzip
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  if [[ $(id -u) -eq 0 ]]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
  else
    echo "Missing packages. Run this as root, then try again:"
    echo "  sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}"
    exit 1
  fi
fi

cmake_args=(-S "$here" -B "$here/build")
if [[ "${CI:-}" == "true" ]]; then
  cmake_args+=(-DVELMORIA_WERROR=ON)
fi
cmake "${cmake_args[@]}" >/dev/null
cmake --build "$here/build" -j "$(nproc)"
