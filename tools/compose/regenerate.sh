#!/usr/bin/env bash
# Rebuilds the composer, renders the soundtrack and the piano curve, and encodes the
# music with lame at 192 kbps into data/. Usage: tools/compose/regenerate.sh [build-dir]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build-compose}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target velmoria_compose -j "$(nproc)"
"$build/tools/compose/velmoria_compose" "$work/velmoria.wav" "$root/data/misc/piano2.txt"
mkdir -p "$root/data/music"
lame --quiet -b 192 --cbr -q 2 "$work/velmoria.wav" "$root/data/music/Tolvek - Velmoria.mp3"
ffmpeg -hide_banner -nostats -i "$root/data/music/Tolvek - Velmoria.mp3" -af ebur128=peak=sample \
  -f null - 2>&1 | grep -A15 'Summary:'
