#!/bin/sh
# The classic target's speed: the 32-bit wallpaper maker and the saver's
# LoadArt (the plain C++ paths a Pentium II runs, no SSE) under 32-bit Wine,
# each beside the 64-bit figure of the same run, at 1024x768 and 1920x1080 on
# displays of 8, 16 and 32 bits. Medians only.
set -eu
LUMIVEX_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$LUMIVEX_ROOT/scripts/wine-env.sh"
lumivex_without_aslr "$0" "$@"
if ! lumivex_runs_32bit; then
  echo "!!! NO 32-BIT WINE ON THIS MACHINE: the 32-bit build was not measured"
  exit 0
fi
export WINEPREFIX="$LUMIVEX_ROOT/build/wine-bench"
lumivex_make_prefix
mkdir -p "$WINEPREFIX/drive_c/windows/TAVOL"
cp "$LUMIVEX_ROOT/build/native/assets-out/windows/TAVOL/"* "$WINEPREFIX/drive_c/windows/TAVOL/"
out="$WINEPREFIX/bench-classic.txt"
summary="$WINEPREFIX/bench-classic-summary.txt"
: >"$summary"

# The median a bench printed: "median: 12.3 ms" or "... median 12.3 ms".
median_of() {
  tr -d '\r' <"$1" | sed -n 's/.*median:\{0,1\} \([0-9.]*\) ms.*/\1/p' | head -n 1
}

# measure WHAT SIZE DEPTH BENCH ARGS...: both builds on one display.
measure() {
  what=$1 size=$2 depth=$3 bench=$4
  shift 4
  for build in win64 win32; do
    lumivex_on_display "${size}x$depth" wine "$LUMIVEX_ROOT/build/$build/bin/$bench" "$@" >"$out.$build"
  done
  bits=$depth
  [ "$depth" = 24 ] && bits=32
  wide=$(median_of "$out.win64")
  classic=$(median_of "$out.win32")
  awk -v what="$what" -v size="$size" -v bits="$bits" -v wide="$wide" -v classic="$classic" 'BEGIN {
    printf "  %-16s %9s %2d bits  64-bit %7.1f ms  32-bit %7.1f ms  ratio %.2f\n",
           what, size, bits, wide, classic, classic / wide }' | tee -a "$summary"
}

for size in 1024x768 1920x1080; do
  for depth in 8 16 24; do
    measure "wallpaper maker" "$size" "$depth" wallpaper_bench.exe 7
    measure "saver LoadArt" "$size" "$depth" saver_bench.exe load 7
  done
done
echo "Summary (medians of this run, real time; ratio = 32-bit / 64-bit):"
cat "$summary"
