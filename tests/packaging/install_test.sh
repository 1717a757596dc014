#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the installed tree: every
# file in its place, the desktop entry and AppStream file valid, the programs'
# version, the capture tool run from / rendering the same PNG as the build tree's,
# and both programs naming every place they looked in when the data is gone.
# Usage: install_test.sh SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
source="$1" build="$2" version="$3"
id=io.github.velmoria.Velmoria
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
unset VELMORIA_DATA

# The build tree's frame, made from / so that no working folder helps.
(cd / && "$build/velmoria-capture" --time 100 --size 320x180 --out "$scratch/build.png" >/dev/null)

prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/velmoria bin/velmoria-capture share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
  share/icons/hicolor/48x48/apps/$id.png share/icons/hicolor/128x128/apps/$id.png \
  share/icons/hicolor/256x256/apps/$id.png share/man/man6/velmoria.6 share/man/man1/velmoria-capture.1 \
  "share/velmoria/music/Tolvek - Velmoria.mp3" share/velmoria/misc/piano2.txt; do
  [[ -e "$prefix/$file" ]] || fail "not installed: $file"
done
for folder in Materials PostProcessing textures neomeshes misc music; do
  diff -r "$source/data/$folder" "$prefix/share/velmoria/$folder" || fail "installed data/$folder differs"
done
for size in 48 128 256; do
  [[ "$(identify -format '%wx%h' "$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png")" == "${size}x${size}" ]] ||
    fail "icon ${size}x${size} has another size"
done
desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "metainfo"
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml" || fail "metainfo version"
grep -q "\"velmoria $version\"" "$prefix/share/man/man6/velmoria.6" || fail "man page version"
[[ "$("$prefix/bin/velmoria" --version)" == "velmoria $version" ]] || fail "--version"

(cd / && "$prefix/bin/velmoria-capture" --time 100 --size 320x180 --out "$scratch/installed.png" >/dev/null)
cmp "$scratch/build.png" "$scratch/installed.png" || fail "the installed tree renders another picture"
echo "installed tree renders the build tree's picture"

# Without its data the installed program names each place and exits with 1.
mv "$prefix/share/velmoria" "$scratch/moved-data"
status=0
(cd / && env -u DISPLAY VELMORIA_DATA="$scratch/nowhere" "$prefix/bin/velmoria" --no-dialog) 2>"$scratch/err" || status=$?
[[ $status -eq 1 ]] || fail "velmoria without data exited with $status"
grep -q "^velmoria: cannot find the show's data" "$scratch/err" || { cat "$scratch/err"; fail "no data message"; }
for place in "$scratch/nowhere  (VELMORIA_DATA)" "/  (the working folder)" \
  "$prefix/share/velmoria  (installed beside the program)"; do
  grep -qF "  $place" "$scratch/err" || { cat "$scratch/err"; fail "message does not name $place"; }
done
grep -q "source tree" "$scratch/err" && fail "an installed program looked in the source tree"
status=0
(cd / && "$prefix/bin/velmoria-capture" --time 1 --out "$scratch/none.png") 2>"$scratch/err" >/dev/null || status=$?
[[ $status -eq 1 ]] && grep -q "^velmoria-capture: cannot find the show's data" "$scratch/err" ||
  fail "velmoria-capture without data"

# VELMORIA_DATA points anywhere.
(cd / && VELMORIA_DATA="$scratch/moved-data" "$prefix/bin/velmoria-capture" --time 100 --size 320x180 \
  --out "$scratch/variable.png" >/dev/null)
cmp "$scratch/build.png" "$scratch/variable.png" || fail "VELMORIA_DATA renders another picture"
echo "data missing: exit 1 naming every place; VELMORIA_DATA found"
