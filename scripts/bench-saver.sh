#!/bin/sh
# Times the screen saver under Wine with the product's art, medians only:
#   - one card art made into a full-screen picture (decode, scale, backdrop,
#     colour reduction, caption) at 1920x1080 on displays of 8, 16 and 32
#     bits;
#   - one full-screen DissolveTiles and SweepBands reveal at 1024x768 and
#     1920x1080 (time and cells a second).
set -eu
LUMIVEX_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$LUMIVEX_ROOT/scripts/wine-env.sh"
lumivex_without_aslr "$0" "$@"
export WINEPREFIX="$LUMIVEX_ROOT/build/wine-bench"
BENCH="$LUMIVEX_ROOT/build/win64/bin/saver_bench.exe"
lumivex_make_prefix
mkdir -p "$WINEPREFIX/drive_c/windows/TAVOL"
cp "$LUMIVEX_ROOT/build/native/assets-out/windows/TAVOL/"* "$WINEPREFIX/drive_c/windows/TAVOL/"
for depth in 8 16 24; do
  lumivex_on_display "1920x1080x$depth" wine "$BENCH" load 9
done
for size in 1024x768 1920x1080; do
  lumivex_on_display "${size}x24" wine "$BENCH" transitions 5
done
