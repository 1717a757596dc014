#!/usr/bin/env bash
# Shared set-up of run.sh and test.sh: install the Debian packages (as root), then
# configure and build into build/.
#   scripts/setup.sh show   what the show needs to build and play; builds the show
#   scripts/setup.sh        what the tests need as well; builds everything
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
mode="${1:-all}"
[[ "$mode" == show || "$mode" == all ]] || { echo "usage: scripts/setup.sh [show]" >&2; exit 2; }

packages=(
  build-essential cmake pkg-config
  libsdl2-dev libgtk-3-dev libmpg123-dev libkissfft-dev libimgui-dev
  libglew-dev libglu1-mesa-dev libgl-dev libgl1-mesa-dri libpng-dev
)
if [[ "$mode" == all ]]; then
  packages+=(
    libgtest-dev libgmock-dev libbenchmark-dev mesa-utils
    xvfb xauth xdotool x11-utils libxrandr-dev
    libjpeg-turbo-progs lame sox ffmpeg parallel rsync openssl
    libfluidsynth-dev musescore-general-soundfont
    clang libclang-rt-14-dev libfreetype-dev fonts-dejavu-core imagemagick
    dpkg-dev lintian desktop-file-utils appstream
    mingw-w64 wine64 unzip
  )
fi

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
if [[ "$mode" == all ]]; then
  cmake_args+=(-DVELMORIA_TESTS=ON)
fi
cmake "${cmake_args[@]}" >/dev/null
if [[ "$mode" == show ]]; then
  cmake --build "$here/build" -j "$(nproc)" --target velmoria
else
  cmake --build "$here/build" -j "$(nproc)"
fi
