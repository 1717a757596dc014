#!/usr/bin/env bash
# Builds velmoria_<version>_<arch>.deb: brings the build tree up to date (configuring
# it first when needed), installs it with cmake into a staging root under /usr
# (stripped), adds the Debian files, computes the run-time dependencies with
# dpkg-shlibdeps and packs it with dpkg-deb.
# Usage: scripts/package-deb.sh [BUILD_DIR [OUT_DIR]]   (defaults: build/ and build/)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(realpath -m "${1:-$here/build}")"
out="$(realpath -m "${2:-$build}")"

[[ -f "$build/CMakeCache.txt" ]] || cmake -S "$here" -B "$build" >/dev/null
cmake --build "$build" --target velmoria velmoria-capture -j "$(nproc)" >&2

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
[[ -n "$version" ]] || { echo "package-deb: $build is not a configured build tree" >&2; exit 1; }
arch="$(dpkg --print-architecture)"
deb="$out/velmoria_${version}_${arch}.deb"

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
root="$stage/debian/velmoria"
DESTDIR="$root" cmake --install "$build" --prefix /usr --strip >/dev/null

doc="$root/usr/share/doc/velmoria"
install -d "$doc"
install -m 0644 "$here/packaging/copyright" "$doc/copyright"
gzip -9n -c "$build/packaging/changelog" >"$doc/changelog.gz"
find "$root/usr/share/man" -type f ! -name '*.gz' -exec gzip -9n {} +
strip --remove-section=.comment "$root/usr/bin/"*
install -d "$root/DEBIAN"

# dpkg-shlibdeps reads the package names from a debian/control beside it, and
# takes the folder holding DEBIAN/ as the package's root.
mkdir -p "$stage/debian"
printf 'Source: velmoria\n\nPackage: velmoria\nArchitecture: any\n' >"$stage/debian/control"
depends="$(cd "$stage" && dpkg-shlibdeps -O debian/velmoria/usr/bin/velmoria debian/velmoria/usr/bin/velmoria-capture |
  sed -n 's/^shlibs:Depends=//p')"
[[ -n "$depends" ]] || { echo "package-deb: dpkg-shlibdeps found no dependencies" >&2; exit 1; }

find "$root" -type d -exec chmod 0755 {} +
find "$root" -type f -exec chmod 0644 {} +
chmod 0755 "$root/usr/bin/"*

(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
chmod 0644 "$root/DEBIAN/md5sums"
cat >"$root/DEBIAN/control" <<CONTROL
Package: velmoria
Version: $version
Architecture: $arch
Maintainer: The Velmoria developers <velmoria@users.noreply.github.com>
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Depends: $depends
Recommends: ffmpeg, xvfb
Section: video
Priority: optional
Homepage: https://velmoria.github.io/
Description: real-time 3D show that follows its soundtrack
 Velmoria is a music-synchronised 3D show of about four minutes and fifty
 seconds, drawn in real time with OpenGL 2: procedural tubes grow along
 random splines, meshes are stacked and slid into place, and the music's
 spectrum drives the shaders. A setup dialog picks the resolution; a command
 line serves terminals and scripts.
 .
 The package also holds velmoria-capture, which renders chosen frames of the
 show to PNG files or records it as a video (with ffmpeg).
CONTROL

mkdir -p "$out"
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "$deb"
