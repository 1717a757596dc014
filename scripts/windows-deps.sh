#!/usr/bin/env bash
# Cross-builds the libraries the Windows programs link (SDL2, mpg123, GLEW, kissfft,
# zlib, libpng and Dear ImGui) as static libraries from Debian's own source
# packages, with MinGW-w64, into a prefix (by default build-windows/deps). Needs
# no network but the Debian archive; adds deb-src entries for the archive already
# configured when there are none (as root). Each step says how long it took.
#   scripts/windows-deps.sh [PREFIX]      VELMORIA_JOBS=N sets the parallel jobs
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
prefix="$(realpath -m "${1:-$here/build-windows/deps}")"
sources="$(dirname "$prefix")/deps-src"
jobs="${VELMORIA_JOBS:-$(nproc)}"
toolchain="$here/cmake/mingw-w64-x86_64.cmake"
host=x86_64-w64-mingw32
cc="$host-gcc-posix"
ar="$host-gcc-ar-posix"
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

say() { echo "windows-deps: $*"; }
fail() { echo "windows-deps: $*" >&2; exit 1; }

# Runs a step and reports its time.
step() {
  local name="$1" start=$SECONDS
  shift
  "$@"
  say "$name took $((SECONDS - start)) s"
}

# Builds a library unless the prefix already holds it (a fresh prefix rebuilds all).
built() {
  local name="$1" library="$2"
  shift 2
  if [[ -f "$prefix/lib/lib$library.a" ]]; then say "$name already in $prefix"; return; fi
  step "$name" "$@"
}

apt_locked() {
  if command -v flock >/dev/null; then flock /tmp/apt.lock apt-get "$@"; else apt-get "$@"; fi
}

# deb-src entries mirroring the Debian archive's deb entries (deb822 .sources files
# and one-line .list files alike), written to files of our own.
add_deb_src() {
  [[ $(id -u) -eq 0 ]] || fail "no deb-src entries in the apt sources; run this once as root to add them"
  local d=/etc/apt/sources.list.d
  local stanzas lines
  stanzas="$(awk -v RS= '{
      n = split($0, l, "\n"); binary = 0; debian = 0; out = ""
      for (i = 1; i <= n; i++) {
        if (l[i] ~ /^#/) continue
        if (l[i] ~ /^Types:/) { binary = l[i] ~ /[ \t]deb([ \t]|$)/; l[i] = "Types: deb-src" }
        if (l[i] ~ /^URIs:/ && l[i] ~ /debian/) debian = 1
        out = out l[i] "\n"
      }
      if (binary && debian) printf "%s\n", out }' $d/*.sources 2>/dev/null || true)"
  lines="$(cat /etc/apt/sources.list $d/*.list 2>/dev/null | sed -n 's/^deb \(.*debian.*\)/deb-src \1/p' || true)"
  [[ -n "$stanzas$lines" ]] || fail "no Debian archive found in the apt sources to add deb-src for"
  if [[ -n "$stanzas" ]]; then printf '%s' "$stanzas" >"$d/velmoria-deb-src.sources"; fi
  if [[ -n "$lines" ]]; then printf '%s\n' "$lines" >"$d/velmoria-deb-src.list"; fi
  say "added deb-src for the configured Debian archive in $d/velmoria-deb-src.*"
  apt_locked update -qq
}

has_source() { apt-cache showsrc --only-source "$1" 2>/dev/null | grep -q '^Package:'; }

# Unpacks the source package into $sources/<name>. apt-get source exits 100 when a
# detached upstream signature (.asc) named in the .dsc is missing from the archive,
# and then unpacks nothing although the .dsc and the tarballs arrived. apt has
# checked every file it fetched against the archive's signed index, so dpkg-source
# unpacks them without asking for the missing signature (--no-check).
fetch() {
  local package="$1" download="$sources/download/$1"
  [[ -d "$sources/$package" ]] && return
  # Newest version first; an older one where a mirror lacks the newest's files
  # (a security update's tarballs, say).
  local version dsc=""
  for version in $(apt-cache showsrc --only-source "$package" | sed -n 's/^Version: //p' | sort -r -V -u); do
    rm -rf "$download" && mkdir -p "$download"
    (cd "$download" && apt-get source --download-only -qq "$package=$version" >/dev/null 2>&1) || true
    dsc="$(find "$download" -maxdepth 1 -name '*.dsc' | head -n 1)"
    if [[ -n "$dsc" ]] && (cd "$download" && dpkg-source --no-check -x "$dsc" tree >/dev/null 2>&1); then break; fi
    dsc=""
  done
  [[ -n "$dsc" ]] || fail "apt-get source $package gave no complete source package"
  mv "$download/tree" "$sources/$package"
}

cmake_build() {
  local source="$1" build="$2"
  shift 2
  cmake -S "$source" -B "$build" -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DVELMORIA_WINDOWS_DEPS="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF "${launcher[@]}" "$@" >"$build.log" 2>&1 || { tail -n 30 "$build.log"; fail "configuring $source failed"; }
  cmake --build "$build" -j "$jobs" >>"$build.log" 2>&1 || { tail -n 30 "$build.log"; fail "building $source failed"; }
  cmake --install "$build" >>"$build.log" 2>&1 || fail "installing $source failed"
}

# Compiles C files into one static library: lib<name>.a in the prefix.
c_library() {
  local name="$1" folder="$2"
  shift 2
  local objects="$sources/objects-$name"
  rm -rf "$objects" && mkdir -p "$objects" "$prefix/lib"
  local file
  for file in "$@"; do
    echo "$file"
  done | xargs -P "$jobs" -I{} sh -c "$cc -O2 $C_FLAGS -I'$folder' -c '$folder/{}' -o \"$objects/\$(basename {} .c).o\""
  rm -f "$prefix/lib/lib$name.a"
  "$ar" rcs "$prefix/lib/lib$name.a" "$objects"/*.o
}

build_sdl2() {
  fetch libsdl2
  cmake_build "$sources/libsdl2" "$sources/build-sdl2" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
    -DSDL2_DISABLE_SDL2MAIN=ON -DSDL_RENDER=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF \
    -DSDL_SENSOR=OFF -DSDL_POWER=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF -DSDL_VULKAN=OFF -DSDL_DIRECTX=OFF \
    -DSDL_RENDER_D3D=OFF -DSDL_OFFSCREEN=OFF
}

build_mpg123() {
  fetch mpg123
  cmake_build "$sources/mpg123/ports/cmake" "$sources/build-mpg123" -DBUILD_PROGRAMS=OFF \
    -DBUILD_LIBOUT123=OFF -DBUILD_LIBSYN123=OFF
}

build_kissfft() {
  fetch kissfft
  cmake_build "$sources/kissfft" "$sources/build-kissfft" -DKISSFFT_STATIC=ON -DKISSFFT_TEST=OFF \
    -DKISSFFT_TOOLS=OFF -DKISSFFT_PKGCONFIG=OFF -DKISSFFT_DATATYPE=float \
    -DCMAKE_INSTALL_INCLUDEDIR=include -DCMAKE_INSTALL_LIBDIR=lib
}

build_glew() {
  fetch glew
  C_FLAGS="-DGLEW_STATIC -I'$sources/glew/include'" c_library glew32 "$sources/glew/src" glew.c
  mkdir -p "$prefix/include/GL"
  cp "$sources/glew/include/GL/"*.h "$prefix/include/GL/"
}

build_zlib() {
  fetch zlib
  local z="$sources/zlib"
  C_FLAGS="" c_library z "$z" adler32.c compress.c crc32.c deflate.c gzclose.c gzlib.c gzread.c gzwrite.c \
    infback.c inffast.c inflate.c inftrees.c trees.c uncompr.c zutil.c
  mkdir -p "$prefix/include"
  cp "$z/zlib.h" "$z/zconf.h" "$prefix/include/"
}

build_libpng() {
  fetch libpng1.6
  local p="$sources/libpng1.6"
  cp "$p/scripts/pnglibconf.h.prebuilt" "$p/pnglibconf.h"
  C_FLAGS="-I'$prefix/include' -DPNG_INTEL_SSE_OPT=0 -DPNG_ARM_NEON_OPT=0" c_library png "$p" png.c pngerror.c \
    pngget.c pngmem.c pngpread.c pngread.c pngrio.c pngrtran.c pngrutil.c pngset.c pngtrans.c pngwio.c \
    pngwrite.c pngwtran.c pngwutil.c
  cp "$p/png.h" "$p/pngconf.h" "$p/pnglibconf.h" "$prefix/include/"
}

# Dear ImGui's core, its std::string helpers and the SDL2 and OpenGL 2 back ends,
# laid out as Debian's libimgui-dev lays them out: headers under include/imgui
# (the back ends' under include/imgui/backends), one libimgui.a. stb's parts come
# from ImGui's own copies, as Windows has no system stb.
build_imgui() {
  fetch imgui
  local i="$sources/imgui" objects="$sources/objects-imgui"
  rm -rf "$objects" && mkdir -p "$objects" "$prefix/include/imgui/backends" "$prefix/lib"
  local cxx="$host-g++-posix -O2 -std=c++17 -I$i -I$prefix/include -I$prefix/include/SDL2"
  printf '%s\n' imgui.cpp imgui_demo.cpp imgui_draw.cpp imgui_tables.cpp imgui_widgets.cpp misc/cpp/imgui_stdlib.cpp \
    backends/imgui_impl_sdl.cpp backends/imgui_impl_opengl2.cpp |
    xargs -P "$jobs" -I{} sh -c "$cxx -c '$i/{}' -o \"$objects/\$(basename {} .cpp).o\""
  rm -f "$prefix/lib/libimgui.a"
  "$ar" rcs "$prefix/lib/libimgui.a" "$objects"/*.o
  cp "$i"/*.h "$i"/misc/cpp/imgui_stdlib.h "$prefix/include/imgui/"
  cp "$i"/backends/imgui_impl_sdl.h "$i"/backends/imgui_impl_opengl2.h "$prefix/include/imgui/backends/"
}

main() {
  for tool in "$cc" "$host-g++-posix" "$host-windres" cmake; do
    command -v "$tool" >/dev/null || fail "$tool not found (Debian packages mingw-w64 and cmake)"
  done
  mkdir -p "$prefix" "$sources"
  if ! has_source libsdl2; then add_deb_src; fi
  has_source libsdl2 || fail "apt-get cannot see the source package libsdl2 after adding deb-src"
  local total=$SECONDS
  built SDL2 SDL2 build_sdl2
  built mpg123 mpg123 build_mpg123
  built kissfft kissfft-float build_kissfft
  built GLEW glew32 build_glew
  built zlib z build_zlib
  built libpng png build_libpng
  built "Dear ImGui" imgui build_imgui
  say "all libraries in $prefix after $((SECONDS - total)) s"
}

main
