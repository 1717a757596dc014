#!/usr/bin/env bash
# Integrated loudness of the soundtrack, measured by ffmpeg's ebur128 filter, must lie
# between -16 and -12 LUFS. Usage: loudness_test.sh <music file>
set -euo pipefail
file="$1"
[[ -f "$file" ]] || { echo "missing: $file"; exit 1; }
summary="$(ffmpeg -hide_banner -nostats -i "$file" -af ebur128 -f null - 2>&1 | sed -n '/Summary:/,$p')"
loudness="$(awk '$1 == "I:" { print $2; exit }' <<<"$summary")"
[[ -n "$loudness" ]] || { echo "no loudness reading from ffmpeg"; exit 1; }
echo "integrated loudness: $loudness LUFS"
awk -v l="$loudness" 'BEGIN { exit !(l >= -16 && l <= -12) }' || { echo "outside -16..-12 LUFS"; exit 1; }
