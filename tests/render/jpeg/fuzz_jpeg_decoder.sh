#!/usr/bin/env bash
# Fuzzes the JPEG decoder for a set time (default 1800 s): builds the libFuzzer
# target with clang into $BUILD (default build-fuzz), grows a working corpus from
# the committed seeds, and leaves crash files in $BUILD/jpeg_decoder_artifacts.
# Usage: tests/render/jpeg/fuzz_jpeg_decoder.sh [seconds]
# Any crash file found goes, after the fix, into tests/fuzz/regressions/jpeg_decoder/.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
seconds="${1:-1800}"
build="${BUILD:-$here/build-fuzz}"
cmake -S "$here/tests/fuzz" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" --target jpeg_decoder_fuzzer -j2
work="$build/jpeg_decoder_corpus"
artifacts="$build/jpeg_decoder_artifacts"
mkdir -p "$work" "$artifacts"
seeds=("$here/tests/fuzz/corpus/jpeg_decoder")
[[ -d "$here/tests/fuzz/regressions/jpeg_decoder" ]] && seeds+=("$here/tests/fuzz/regressions/jpeg_decoder")
cd "$build"
exec ./jpeg_decoder_fuzzer -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2560 \
  -timeout=25 -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "${seeds[@]}"
