#!/usr/bin/env bash
# Cross-builds velmoria.exe and velmoria-capture.exe for 64-bit Windows into
# build-windows/: the static libraries first (scripts/windows-deps.sh, which skips
# those already in the prefix), then this CMake project with the MinGW-w64
# toolchain file. VELMORIA_JOBS=N sets the parallel jobs.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$here/build-windows"
jobs="${VELMORIA_JOBS:-$(nproc)}"
start=$SECONDS

VELMORIA_JOBS="$jobs" "$here/scripts/windows-deps.sh" "$out/deps"
deps_done=$SECONDS

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$here" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
  -DVELMORIA_WINDOWS_DEPS="$out/deps" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
cmake --build "$out" -j "$jobs" --target velmoria velmoria-capture
echo "windows-build: libraries $((deps_done - start)) s, programs $((SECONDS - deps_done)) s:"
ls -l "$out/velmoria.exe" "$out/velmoria-capture.exe"
