#!/bin/sh
# Times the switcher's wallpaper maker thread at 1920x1080 on displays of 8,
# 16 and 32 bits, under Wine, with the product's WHITE art. Medians only; the
# last lines give each depth's median against its goal.
set -eu
LUMIVEX_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$LUMIVEX_ROOT/scripts/wine-env.sh"
lumivex_without_aslr "$0" "$@"
export WINEPREFIX="$LUMIVEX_ROOT/build/wine-bench"
lumivex_make_prefix
mkdir -p "$WINEPREFIX/drive_c/windows/TAVOL"
cp "$LUMIVEX_ROOT/build/native/assets-out/windows/TAVOL/"* "$WINEPREFIX/drive_c/windows/TAVOL/"
part="$WINEPREFIX/wallpaper-bench-depth.txt"
all="$WINEPREFIX/wallpaper-bench.txt"
: >"$all"
for depth in 8 16 24; do
  rc=0
  lumivex_on_display "1920x1080x$depth" wine "$LUMIVEX_ROOT/build/win64/bin/wallpaper_bench.exe" 9 \
    >"$part" || rc=$?
  tr -d '\r' <"$part" | tee -a "$all"
  [ "$rc" -eq 0 ] || exit "$rc"
done
echo "Summary (medians of this run, real time):"
sed -n 's/^summary: /  /p' "$all"
