#!/bin/sh
# Runs the Windows-side tests under Wine, in a fresh prefix made for this run
# (build/wine-tests), with one persistent wineserver per display:
#   1. every test except the display matrix, on a 1024x768 display of 32 bits;
#   2. the wallpaper on displays of 8, 16 and 32 bits and three screen sizes,
#      each bitmap compared byte for byte with `arttool wallpaper`, and a
#      screenshot of a Wine virtual desktop showing it;
#   2b. the screen saver full screen on displays of 8, 16 and 32 bits from
#      576x432 to 3840x2160, its pictures read back from the screen
#      (screenshots in build/wine-test-output/saver-shots), and at 1920x1080
#      how fast a key ends it during a decode and its peak working set;
#   3. a wallpaper write onto a file system that fills up (where the machine
#      lets us mount a small tmpfs);
#   4. the switcher's layout at 144 DPI (150 %), in a prefix of its own
#      (build/wine-dpi) whose LogPixels is set before Wine starts there;
#   5. the setup program in a fresh prefix (build/wine-package), and install,
#      apply and uninstall in another (build/wine-uninstall).
#   scripts/run-wine-tests.sh [ctest arguments...]   e.g. -R AssertReporter
# With arguments, only stage 1 runs, with them.
set -eu
LUMIVEX_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$LUMIVEX_ROOT/scripts/wine-env.sh"
lumivex_without_aslr "$0" "$@"
export WINEPREFIX="$LUMIVEX_ROOT/build/wine-tests"
ASSETS="$LUMIVEX_ROOT/build/native/assets-out"
ARTTOOL="$LUMIVEX_ROOT/build/native/bin/arttool"
OUT="$LUMIVEX_ROOT/build/wine-test-output"

rm -rf "$WINEPREFIX" "$OUT"
mkdir -p "$OUT"
cd "$LUMIVEX_ROOT"
lumivex_make_prefix
# The name restorer's default themes folder is "d:\rc2\themes": a drive D:
# of the prefix's own.
mkdir -p "$WINEPREFIX/drive_d"
ln -sfn ../drive_d "$WINEPREFIX/dosdevices/d:"
# The product art where the wallpaper maker reads it (again before each use:
# some tests put art of their own there).
install_art() {
  if [ -d "$ASSETS/windows/TAVOL" ]; then
    mkdir -p "$WINEPREFIX/drive_c/windows/TAVOL"
    cp "$ASSETS/windows/TAVOL/"* "$WINEPREFIX/drive_c/windows/TAVOL/"
  fi
}
install_art

# Every stage runs on an Xvfb screen of its own with a persistent wineserver
# (scripts/wine-env.sh); a failing test prints its output.
on_display() {
  lumivex_on_display "$@"
}
CTEST="ctest --preset win64 --output-on-failure"

if [ $# -gt 0 ]; then
  on_display 1024x768x24 $CTEST -LE "matrix|package|uninstall|dpi|saver-display" "$@"
  exit $?
fi

status=0
on_display 1024x768x24 $CTEST -LE "matrix|package|uninstall|dpi|saver-display" || status=1

# The wallpaper on each display: Xvfb depth 8, 16 and 24 give Wine 8, 16 and
# 32 bits a pixel.
for entry in 8:1024x768 16:1920x1080 24:1920x1080 24:1366x768; do
  depth=${entry%%:*}
  size=${entry#*:}
  dir="$OUT/wallpaper-$depth-$size"
  mkdir -p "$dir"
  echo "== wallpaper on a $size display of Xvfb depth $depth"
  install_art
  LUMIVEX_MATRIX_OUT="Z:$(echo "$dir" | tr / '\\')" \
    on_display "${size}x$depth" $CTEST -L matrix -E FullDisk || { status=1; continue; }
  if [ ! -f "$dir/facts.txt" ]; then
    echo "FAILED: no wallpaper came back from the $size display"; status=1; continue
  fi
  read -r w h d x y < "$dir/facts.txt"
  "$ARTTOOL" wallpaper "$ASSETS/windows/TAVOL/WHITE.ART" "$ASSETS/windows/TAVOL/WHITE.tr" \
    "$w" "$h" "$d" "$dir/expected.bmp" --ppm "$x" "$y"
  if cmp -s "$dir/wallpaper.bmp" "$dir/expected.bmp"; then
    echo "PASSED: ${w}x${h}, ${d} bits: the switcher's bitmap equals arttool's ($(stat -c %s "$dir/expected.bmp") bytes)"
  else
    echo "FAILED: ${w}x${h}, ${d} bits: the switcher's bitmap differs from arttool's"; status=1
  fi
done

# The screen saver on each display: the art's own size, the usual screens,
# the largest; the close during a decode is measured at 1920x1080.
shots="$OUT/saver-shots"
mkdir -p "$shots"
for entry in 24:1024x768 8:1024x768 16:1366x768 24:1920x1080 8:1920x1080 24:3840x2160 24:576x432; do
  depth=${entry%%:*}
  size=${entry#*:}
  echo "== the screen saver on a $size display of Xvfb depth $depth"
  install_art
  LUMIVEX_SAVER_SHOTS="Z:$(echo "$shots" | tr / '\\')" \
    on_display "${size}x$depth" $CTEST -L saver-display || status=1
done
for bmp in "$shots"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "screen saver screenshots: $(ls "$shots" | tr '\n' ' ')"

# A virtual desktop showing the last wallpaper made (1366x768, 32 bits). The
# desktop shows the bitmap one to one, apart from what Wine draws on it; it
# is looked at until it does (at most 30 s), not after a fixed pause.
shot="$OUT/virtual-desktop.png"
expected="$OUT/wallpaper-24-1366x768/wallpaper.bmp"
if [ -f "$expected" ]; then
  on_display 1366x768x24 sh -c '
    wine explorer /desktop=Lumivex,1366x768 >/dev/null 2>&1 &
    for i in $(seq 60); do
      sleep 0.5
      import -window root "$1" 2>/dev/null || continue
      rmse=$(compare -metric RMSE "$1" "$2" null: 2>&1 | sed "s/.*(\(.*\))/\1/") || true
      awk "BEGIN { exit !($rmse < 0.05) }" && { echo "$rmse" > "$1.rmse"; exit 0; }
    done
    exit 1' desktop "$shot" "$expected" || true
  if [ -f "$shot.rmse" ]; then
    echo "virtual desktop screenshot: $shot (RMSE against the bitmap: $(cat "$shot.rmse"))"
    echo "PASSED: the virtual desktop shows the wallpaper"
  else
    echo "FAILED: the virtual desktop does not show the wallpaper ($shot)"; status=1
  fi
fi

# A full disk for real: the bitmap's path leads onto a 64 KiB tmpfs.
tiny="$LUMIVEX_ROOT/build/tinyfs"
mkdir -p "$tiny"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo -n"
if $SUDO mount -t tmpfs -o size=64k,mode=1777 tmpfs "$tiny" 2>/dev/null; then
  bitmap="$WINEPREFIX/drive_c/windows/Tavol The Corvane.BMP"
  rm -f "$bitmap" "$WINEPREFIX/drive_c/windows/Tavol The Corvane.SAV"
  ln -s "$tiny/wallpaper.bmp" "$bitmap"
  echo "== wallpaper written onto a full file system"
  LUMIVEX_TINY_FS=1 on_display 1024x768x24 $CTEST -L matrix -R FullDisk || status=1
  rm -f "$bitmap"
  $SUDO umount "$tiny" || true
else
  echo "NOTE: cannot mount a small tmpfs here; the full-disk test was not run"
fi
# The switcher at 150 % (144 logical pixels per inch). Wine takes LogPixels
# when its processes start, so the prefix gets it before anything runs there.
echo "== the switcher on a display of 144 DPI"
tests_prefix=$WINEPREFIX
export WINEPREFIX="$LUMIVEX_ROOT/build/wine-dpi"
rm -rf "$WINEPREFIX"
lumivex_make_prefix
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wineserver -w
LUMIVEX_EXPECT_DPI=144 on_display 1024x768x24 $CTEST -L "^dpi$" || status=1
export WINEPREFIX="$tests_prefix"

# The setup program, silently, in a prefix of its own.
SETUP="$LUMIVEX_ROOT/build/package/DesktopLumivexSetup.exe"
if [ -f "$SETUP" ]; then
  echo "== the setup program in a fresh prefix"
  export WINEPREFIX="$LUMIVEX_ROOT/build/wine-package"
  rm -rf "$WINEPREFIX"
  lumivex_make_prefix
  on_display 1024x768x24 sh -c 'wine "$1" /S && ctest --preset win64 --output-on-failure -L "^package$"' setup "$SETUP" \
    || status=1
  # Installed, a theme applied and uninstalled with qvr-kill, on an NT
  # system and on Windows 95 as Wine reports it to one program; the tests
  # run the setup program themselves.
  echo "== the setup program and the uninstaller in a fresh prefix"
  export WINEPREFIX="$LUMIVEX_ROOT/build/wine-uninstall"
  rm -rf "$WINEPREFIX"
  lumivex_make_prefix
  on_display 1024x768x24 $CTEST -L "^uninstall$" || status=1
else
  echo "FAILED: no setup program; make package builds it"; status=1
fi
exit $status
