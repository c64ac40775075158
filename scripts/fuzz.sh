#!/bin/sh
# libFuzzer targets of the art codec, built with clang and AddressSanitizer +
# UndefinedBehaviorSanitizer into build/fuzz (apart from the CMake builds).
#
#   scripts/fuzz.sh build                      build both targets and seed corpora
#   scripts/fuzz.sh run wavelet [SECONDS]      fuzz ReadWavelet + DecodeWavelet (+ scaling)
#   scripts/fuzz.sh run art_payload [SECONDS]  the same behind a consistent header
#   scripts/fuzz.sh run colour_table [SECONDS] fuzz ReadColourTable (+ search, dithering)
#
# Words after SECONDS go to libFuzzer as they are (for example -len_control=0
# to try inputs of every length up to 64 KiB from the start).
#
# Runs default to 600 seconds. Corpora grow in build/fuzz/corpus/<target>;
# crashes land in build/fuzz/artifacts/.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT="$ROOT/build/fuzz"
CXX=${CXX_FUZZ:-clang++}
CODEC_SOURCES=$(ls "$ROOT"/core/codec/*.cpp)
FLAGS="-std=c++17 -O1 -g -ffp-contract=off -fno-omit-frame-pointer -I$ROOT/core -I$ROOT/presets -I$ROOT/tools/imageio"
SANITIZERS="-fsanitize=address,undefined -fno-sanitize-recover=undefined"

build() {
  mkdir -p "$OUT/corpus/wavelet" "$OUT/corpus/art_payload" "$OUT/corpus/colour_table" \
    "$OUT/artifacts"
  for target in wavelet art_payload colour_table; do
    echo "fuzz: building fuzz_$target"
    # shellcheck disable=SC2086
    $CXX $FLAGS $SANITIZERS -fsanitize=fuzzer $CODEC_SOURCES "$ROOT/fuzz/fuzz_$target.cpp" \
      -o "$OUT/fuzz_$target"
  done
  echo "fuzz: writing seed corpora"
  # shellcheck disable=SC2086
  $CXX $FLAGS $CODEC_SOURCES "$ROOT/tools/imageio/sample_picture.cpp" \
    "$ROOT/tools/imageio/image_io.cpp" "$ROOT/fuzz/make_seeds.cpp" -lpng -o "$OUT/make_seeds"
  mkdir -p "$OUT/seeds/wavelet" "$OUT/seeds/colour_table" "$OUT/seeds/art_payload"
  "$OUT/make_seeds" "$OUT/seeds/wavelet" "$OUT/seeds/colour_table"
  # The payload target starts from the seeds' payloads behind 8 chosen bytes.
  for f in "$OUT"/seeds/wavelet/*.art; do
    { printf '\001\010\003\000\200\100\100\000'; tail -c +109 "$f"; } \
      >"$OUT/seeds/art_payload/$(basename "$f")"
  done
}

run() {
  target=$1
  seconds=${2:-600}
  shift $(($# < 2 ? $# : 2))
  [ -x "$OUT/fuzz_$target" ] || build
  extra=""
  if [ "$target" = colour_table ]; then extra="-dict=$ROOT/fuzz/colour_table.dict"; fi
  # No input up to 64 KiB may make the codec allocate more than 256 MB.
  # shellcheck disable=SC2086
  "$OUT/fuzz_$target" -max_total_time="$seconds" -timeout=25 -malloc_limit_mb=256 \
    -rss_limit_mb=256 -max_len=65536 -print_final_stats=1 -artifact_prefix="$OUT/artifacts/" \
    $extra "$@" "$OUT/corpus/$target" "$OUT/seeds/$target"
}

case "${1:-}" in
  build) build ;;
  run) shift; run "$@" ;;
  *) echo "usage: $0 build | run wavelet|art_payload|colour_table [SECONDS]" >&2; exit 2 ;;
esac
