#!/usr/bin/env bash
# Makes velmoria-<version>-windows-x64.zip in build-windows/: both programs, the
# show's data, a README for Windows users and the licence texts (the show's and
# those of the libraries linked into the programs). Cross-builds first unless
# --no-build is given. Unpacked anywhere, velmoria.exe finds data\ beside itself.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$here/build-windows"
if [[ "${1:-}" != "--no-build" ]]; then "$here/scripts/windows-build.sh"; fi
for program in velmoria.exe velmoria-capture.exe; do
  [[ -f "$out/$program" ]] || { echo "package-windows: $out/$program is missing; build it first" >&2; exit 1; }
done

version="$(sed -n 's/^project(velmoria VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")"
name="velmoria-$version-windows-x64"
stage="$out/package/$name"
rm -rf "$out/package" && mkdir -p "$stage/licences"
cp "$out/velmoria.exe" "$out/velmoria-capture.exe" "$stage/"
mkdir -p "$stage/data"
for folder in Materials PostProcessing textures neomeshes misc music; do
  cp -r "$here/data/$folder" "$stage/data/"
done
sed "s/@VERSION@/$version/" "$here/packaging/windows/README.txt.in" | sed 's/$/\r/' >"$stage/README.txt"
sed 's/$/\r/' "$here/packaging/copyright" >"$stage/licences/velmoria.txt"
# The copyright files of the Debian source packages the libraries were built from.
for package in libsdl2 mpg123 glew kissfft zlib libpng1.6; do
  copyright="$out/deps-src/$package/debian/copyright"
  [[ -f "$copyright" ]] || { echo "package-windows: no $copyright (run scripts/windows-deps.sh)" >&2; exit 1; }
  sed 's/$/\r/' "$copyright" >"$stage/licences/$package.txt"
done
# The MinGW-w64 runtime, winpthreads and GCC's libstdc++ and libgcc, linked in too.
for package in mingw-w64-common gcc-mingw-w64-base; do
  sed 's/$/\r/' "/usr/share/doc/$package/copyright" >"$stage/licences/$package.txt"
done

rm -f "$out/$name.zip"
(cd "$out/package" && cmake -E tar cf "$out/$name.zip" --format=zip "$name")
echo "package-windows: $out/$name.zip ($(du -h "$out/$name.zip" | cut -f1))"
