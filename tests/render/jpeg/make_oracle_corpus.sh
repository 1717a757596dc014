#!/usr/bin/env bash
# Builds the oracle corpus for the JPEG decoder tests into the folder given as $1:
# source pictures from ImageMagick, JPEG files from cjpeg and jpegtran covering the
# sampling layouts, greyscale, 16-bit tables, progressive scripts, restart
# intervals, odd sizes and qualities 50-100, and for every file the reference
# decodes of `djpeg -nosmooth` with the integer and the fast DCT. The file names go
# to $1/cases.txt, one per line.
set -euo pipefail
out="$1"
mkdir -p "$out"
cd "$out"
rm -f cases.txt

picture() {  # name width height
  convert -size "${2}x${3}" -seed 11 plasma:fractal -blur 0x0.6 "$1.ppm"
}
picture big 203 150
picture square 64 64
picture odd_1x1 1 1
picture odd_7x9 7 9
picture odd_17x13 17 13
picture odd_1023x1 1023 1
picture odd_1x1000 1 1000

# A progressive script with spectral selection and successive approximation.
cat > sa.scans <<'SCANS'
0,1,2: 0-0, 0, 2;
0,1,2: 0-0, 2, 1;
0: 1-9, 0, 3;
1: 1-63, 0, 1;
2: 1-63, 0, 1;
0: 10-63, 0, 3;
0: 1-63, 3, 2;
0,1,2: 0-0, 1, 0;
0: 1-63, 2, 1;
2: 1-63, 1, 0;
1: 1-63, 1, 0;
0: 1-63, 1, 0;
SCANS
# Sequential, one component per scan.
cat > separate.scans <<'SCANS'
0: 0-63, 0, 0;
1: 0-63, 0, 0;
2: 0-63, 0, 0;
SCANS

make() {  # name source cjpeg-options...
  local name="$1" source="$2"
  shift 2
  cjpeg "$@" "$source.ppm" > "$name.jpg"
  echo "$name" >> cases.txt
}
make baseline_444_q90 big -sample 1x1 -quality 90
make baseline_422_q75 big -sample 2x1 -quality 75
make baseline_440_q80 big -sample 1x2 -quality 80
make baseline_420_q50 big -sample 2x2 -quality 50
make baseline_420_q100 big -sample 2x2 -quality 100
make baseline_444_q100 square -sample 1x1 -quality 100
make greyscale_q85 big -grayscale -quality 85
make optimized_420_q60 big -optimize -quality 60
make extended_16bit_tables_q5 big -quality 5
make extended_16bit_tables_444_q8 square -sample 1x1 -quality 8
make progressive_default_420 big -progressive -quality 75
make progressive_default_444_q95 big -progressive -sample 1x1 -quality 95
make progressive_greyscale big -progressive -grayscale -quality 70
make progressive_script_sa_420 big -scans sa.scans -quality 85
make progressive_script_sa_422 square -scans sa.scans -sample 2x1 -quality 100
make sequential_separate_scans big -scans separate.scans -quality 75
make restart_rows_420 big -restart 1 -quality 75
make restart_blocks_444 big -restart 5B -sample 1x1 -quality 90
make restart_progressive big -progressive -restart 3B -quality 80
make restart_progressive_sa square -scans sa.scans -restart 2B -quality 70
make odd_1x1 odd_1x1 -quality 90
make odd_7x9 odd_7x9 -sample 2x2 -quality 90
make odd_17x13 odd_17x13 -sample 2x1 -quality 75
make odd_1023x1 odd_1023x1 -sample 2x2 -quality 60
make odd_1x1000 odd_1x1000 -sample 2x2 -quality 95
make odd_17x13_progressive odd_17x13 -progressive -sample 2x2 -quality 85

# jpegtran rewrites an existing file losslessly.
jpegtran -progressive baseline_422_q75.jpg > jpegtran_progressive_422.jpg
echo jpegtran_progressive_422 >> cases.txt
jpegtran -restart 2 -optimize baseline_440_q80.jpg > jpegtran_restart_440.jpg
echo jpegtran_restart_440 >> cases.txt

while read -r name; do
  djpeg -nosmooth -dct int -pnm "$name.jpg" > "$name.int.pnm"
  djpeg -nosmooth -dct fast -pnm "$name.jpg" > "$name.fast.pnm"
done < cases.txt
