#!/usr/bin/env bash
# Rebuilds the composer, renders the soundtrack and the piano curve, and encodes the
# music with lame at 192 kbps into data/. Installs the Debian packages it needs when
# run as root, and otherwise names them. Usage: tools/compose/regenerate.sh [build-dir]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build-compose}"

# FluidSynth and the soundfont play the sampled instruments; lame encodes; ffmpeg measures.
packages=(build-essential cmake pkg-config libkissfft-dev libfluidsynth-dev musescore-general-soundfont lame ffmpeg)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "Missing packages. Run this as root, then try again:"
    echo "  sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}"
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target velmoria_compose -j "$(nproc)"
started=$SECONDS
"$build/tools/compose/velmoria_compose" "$work/velmoria.wav" "$root/data/misc/piano2.txt"
echo "rendered in $((SECONDS - started)) s"
mkdir -p "$root/data/music"
lame --quiet -b 192 --cbr -q 2 "$work/velmoria.wav" "$root/data/music/Tolvek - Velmoria.mp3"
"$build/tools/compose/velmoria_compose" --measure "$root/data/music/Tolvek - Velmoria.mp3"
