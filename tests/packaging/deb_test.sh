#!/usr/bin/env bash
# Builds the Debian package, checks its control data (version, dependencies from
# dpkg-shlibdeps, ffmpeg recommended) and contents, unpacks it with dpkg-deb -x and
# has the unpacked capture tool, run from /, render the build tree's PNG; lintian
# must report no error.
# Usage: deb_test.sh SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
source="$1" build="$2" version="$3"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
unset VELMORIA_DATA

deb="$("$source/scripts/package-deb.sh" "$build" "$scratch")"
[[ "$(basename "$deb")" == "velmoria_${version}_$(dpkg --print-architecture).deb" ]] || fail "package name $deb"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"
[[ "$(dpkg-deb -f "$deb" Version)" == "$version" ]] || fail "package version"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for library in libc6 libsdl2 libgtk-3-0 libmpg123 libglew libpng16; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library"
done
[[ "$(dpkg-deb -f "$deb" Recommends)" == *ffmpeg* ]] || fail "ffmpeg not recommended"
contents="$(dpkg-deb -c "$deb")"
for file in ./usr/bin/velmoria ./usr/bin/velmoria-capture ./usr/share/doc/velmoria/copyright \
  ./usr/share/man/man6/velmoria.6.gz ./usr/share/applications/io.github.velmoria.Velmoria.desktop \
  ./usr/share/metainfo/io.github.velmoria.Velmoria.metainfo.xml ./usr/share/velmoria/misc/piano2.txt; do
  grep -qF " $file" <<<"$contents" || fail "package lacks $file"
done

(cd / && "$build/velmoria-capture" --time 100 --size 320x180 --out "$scratch/build.png" >/dev/null)
dpkg-deb -x "$deb" "$scratch/root"
(cd / && "$scratch/root/usr/bin/velmoria-capture" --time 100 --size 320x180 --out "$scratch/unpacked.png" >/dev/null)
cmp "$scratch/build.png" "$scratch/unpacked.png" || fail "the unpacked package renders another picture"
echo "unpacked package renders the build tree's picture"

lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"
echo "lintian: no errors"
