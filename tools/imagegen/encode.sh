#!/usr/bin/env bash
# Encodes the generated images with libjpeg-turbo's cjpeg: the noise as a
# progressive JPEG (full-resolution chroma), the blob as baseline 4:2:0.
# Usage: encode.sh IMAGEGEN_BINARY OUT_DIR
set -euo pipefail
imagegen="$1"
out="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$imagegen" noise "$work/noise.ppm" 512
"$imagegen" blob "$work/blob.ppm" 256
cjpeg -quality 95 -progressive -sample 1x1 -outfile "$out/noise.jpg" "$work/noise.ppm"
cjpeg -quality 92 -baseline -sample 2x2 -outfile "$out/blob41b.jpg" "$work/blob.ppm"
