#!/usr/bin/env bash
# Benchmark of parallel recording: records the same span with --jobs 1 and with
# --jobs N (default 2) and prints the wall time of each, their ratio, and the PSNR
# of the parallel recording's frames against the one-process recording's (worst
# frame and the frames on both sides of each join). Not a test: run it by hand on
# an idle machine.
#   bench/tools/jobs_benchmark.sh [BUILD_DIR] [JOBS] [FROM] [TO] [SIZE] [FPS]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$here/build}"
jobs="${2:-2}"
from="${3:-100}"
to="${4:-110}"
size="${5:-1280x720}"
fps="${6:-60}"
tool="$build/velmoria-capture"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Seconds of wall time of one recording, every job with its own Xvfb.
record() {
  local start
  start=$(date +%s.%N)
  env -u DISPLAY "$tool" --video "$work/$1.mp4" --jobs "$2" --size "$size" --fps "$fps" --from "$from" --to "$to" \
    >/dev/null 2>"$work/$1.log" || { cat "$work/$1.log" >&2; exit 1; }
  awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }'
}

one=$(record one 1)
many=$(record many "$jobs")
frames=$(ffprobe -v error -select_streams v:0 -show_entries stream=nb_frames -of csv=p=0 "$work/one.mp4")
printf 'span %s to %s s at %s, %s fps: %s frames, %s cores\n' "$from" "$to" "$size" "$fps" "$frames" "$(nproc)"
awk -v f="$frames" -v one="$one" -v many="$many" -v jobs="$jobs" 'BEGIN {
  printf "--jobs 1: %.1f s (%.2f frames/s)\n--jobs %s: %.1f s (%.2f frames/s)\nspeed-up: %.2fx\n",
    one, f / one, jobs, many, f / many, one / many }'

ffmpeg -hide_banner -nostdin -i "$work/many.mp4" -i "$work/one.mp4" \
  -lavfi "[0][1]psnr=stats_file=$work/psnr.txt" -f null - >/dev/null 2>&1
# A keyframe every second's worth of frames (the rate rounded); slice k of N
# starts on keyframe floor((k-1) * keyframes / N) (frames 0-based; the stats count
# from 1).
interval=$(awk -v f="$fps" 'BEGIN { n = split(f, p, "/"); r = n == 2 ? p[1] / p[2] : f; i = int(r + 0.5); print i < 1 ? 1 : i }')
keyframes=$(((frames + interval - 1) / interval))
joins=""
for ((k = 2; k <= jobs && k <= keyframes; k++)); do joins="$joins $((keyframes * (k - 1) / jobs * interval))"; done
awk -v joins="$joins" '
  { n = substr($1, 3); v = substr($6, 10); psnr[n] = v; if (v != "inf" && (worst == "" || v + 0 < worst + 0)) worst = v }
  END {
    printf "PSNR of the parallel recording against the one-process one: worst frame %s dB\n", worst == "" ? "inf" : worst
    split(joins, j, " ")
    for (i in j) {
      printf "  three frames each side of the join before frame %d:", j[i]
      for (n = j[i] - 2; n <= j[i] + 3; n++) printf " %s", psnr[n]
      printf " dB\n"
    }
  }' "$work/psnr.txt"
