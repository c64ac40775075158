#!/bin/sh
# libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer),
# built by the CMake preset native-asan into build/native-asan/bin (target
# `fuzzers`; fuzz/README.md says what each one reaches).
#
#   scripts/fuzz.sh build                     configure, build, write the seed corpora
#   scripts/fuzz.sh run TARGET [SECONDS] [ARGS]  one target (600 s unless told);
#                                             ARGS go to libFuzzer as they are
#   scripts/fuzz.sh all [SECONDS]             every target in turn (make fuzz)
#   scripts/fuzz.sh smoke [SECONDS]           every target from its seeds only,
#                                             JOBS at a time (make test: 20 s each)
#   scripts/fuzz.sh list                      the targets
#
# Runs are niced, limited to inputs of 64 KiB and to 256 MB, both for one
# allocation and for the process: no input may make the code ask for more;
# an input still running after a minute is a hang (a limit far above the
# slowest valid input under the sanitizers on a busy machine, so that a
# starved run never reports one).
# Corpora grow in build/fuzz/corpus/<target>, crashes land in
# build/fuzz/artifacts/, logs in build/fuzz/logs/. Seeds (make_seeds) are in
# build/fuzz/seeds/<target>, from the product data of build/native when it
# has been made.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT="$ROOT/build/fuzz"
BIN="$ROOT/build/native-asan/bin"
ASSETS="$ROOT/build/native/assets-out"
JOBS=${JOBS:-2}
TARGETS="wavelet art_payload colour_table codec_paths bytetokens theme_values rename_list
  name_list saver_text"

build() {
  cd "$ROOT"
  [ -f build/native-asan/CMakeCache.txt ] || cmake --preset native-asan >/dev/null
  cmake --build --preset fuzz -j "$JOBS"
  rm -rf "$OUT/seeds"
  for t in $TARGETS; do mkdir -p "$OUT/seeds/$t" "$OUT/corpus/$t"; done
  mkdir -p "$OUT/artifacts" "$OUT/logs"
  if [ -d "$ASSETS" ]; then
    "$BIN/make_seeds" "$OUT/seeds" "$ASSETS"
  else
    echo "fuzz: no $ASSETS (build the native preset first): seeds without product data"
    "$BIN/make_seeds" "$OUT/seeds"
  fi
}

# fuzz TARGET SECONDS CORPUS [ARGS]: one run, its log in build/fuzz/logs.
fuzz() {
  target=$1 seconds=$2 corpus=$3
  shift 3
  [ -x "$BIN/fuzz_$target" ] || { echo "fuzz: no target $target" >&2; return 2; }
  dict=""
  if [ -f "$ROOT/fuzz/$target.dict" ]; then dict="-dict=$ROOT/fuzz/$target.dict"; fi
  # ASan's quarantine of freed memory counts towards the RSS limit: kept
  # small, so that fast targets measure the code, not the quarantine.
  # shellcheck disable=SC2086
  ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16} nice -n 19 "$BIN/fuzz_$target" -max_total_time="$seconds" -timeout=60 -malloc_limit_mb=256 \
    -rss_limit_mb=256 -max_len=65536 -print_final_stats=1 \
    -artifact_prefix="$OUT/artifacts/$target-" $dict "$@" "$corpus" "$OUT/seeds/$target" \
    >"$OUT/logs/$target.log" 2>&1
}

# The last coverage line and the speed of a finished run.
summary() {
  log="$OUT/logs/$1.log"
  cov=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  printf 'fuzz: %-13s %s, %s runs, %s/s\n' "$1" "${cov:-no coverage line}" "${execs:-?}" \
    "${speed:-?}"
}

run() {
  target=$1 seconds=${2:-600}
  shift $(($# < 2 ? $# : 2))
  [ -x "$BIN/fuzz_$target" ] || build
  mkdir -p "$OUT/corpus/$target" "$OUT/logs" "$OUT/artifacts"
  if fuzz "$target" "$seconds" "$OUT/corpus/$target" "$@"; then
    summary "$target"
  else
    tail -40 "$OUT/logs/$target.log" >&2
    echo "fuzz: $target FAILED (log: $OUT/logs/$target.log)" >&2
    return 1
  fi
}

smoke() {
  seconds=${1:-20}
  build >/dev/null
  failed=""
  pending=""
  running=0
  for t in $TARGETS; do
    rm -rf "$OUT/smoke/$t"
    mkdir -p "$OUT/smoke/$t"
    (fuzz "$t" "$seconds" "$OUT/smoke/$t" && summary "$t") || echo "$t" >>"$OUT/smoke/failed" &
    pending="$pending $!"
    running=$((running + 1))
    if [ "$running" -ge "$JOBS" ]; then
      wait $pending
      pending="" running=0
    fi
  done
  wait $pending
  if [ -s "$OUT/smoke/failed" ]; then
    for t in $(cat "$OUT/smoke/failed"); do
      tail -40 "$OUT/logs/$t.log" >&2
      failed="$failed $t"
    done
    rm -f "$OUT/smoke/failed"
    echo "fuzz: smoke run FAILED:$failed (logs in $OUT/logs)" >&2
    return 1
  fi
  echo "fuzz: smoke run passed, every target ${seconds} s"
}

case "${1:-}" in
  build) build ;;
  run) shift; [ $# -ge 1 ] || { echo "usage: $0 run TARGET [SECONDS]" >&2; exit 2; }; run "$@" ;;
  all) for t in $TARGETS; do run "$t" "${2:-600}"; done ;;
  smoke) smoke "${2:-20}" ;;
  list) echo $TARGETS ;;
  *) echo "usage: $0 build | run TARGET [SECONDS] | all [SECONDS] | smoke [SECONDS] | list" >&2
     exit 2 ;;
esac
