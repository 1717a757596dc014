#!/usr/bin/env bash
# Regenerates the show's authored data: the five OBJ meshes in data/neomeshes (meshgen)
# and the two JPEG images in data/textures (imagegen, encoded by cjpeg). Deterministic:
# rerunning it on an unchanged tree rewrites identical files.
# Usage: tools/regenerate-assets.sh [BUILD_DIR]   (default build-assets/)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build-assets}"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
[[ -f "$font" ]] || { echo "missing $font (Debian package fonts-dejavu-core)"; exit 1; }
command -v cjpeg >/dev/null || { echo "missing cjpeg (Debian package libjpeg-turbo-progs)"; exit 1; }

cmake -S "$here" -B "$build" >/dev/null
cmake --build "$build" --target meshgen imagegen -j2
"$build/tools/meshgen/meshgen" "$here/data/neomeshes" "$font"
"$here/tools/imagegen/encode.sh" "$build/tools/imagegen/imagegen" "$here/data/textures"
echo "regenerated data/neomeshes and data/textures"
