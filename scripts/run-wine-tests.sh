#!/bin/sh
# Runs the Windows-side tests of one build under Wine, in a fresh prefix made
# for this run (build/wine-tests-BUILD), with one persistent wineserver per
# display:
#   1. every test except the display matrix, on a 1024x768 display of 32 bits;
#   2. the wallpaper on displays of 8, 16 and 32 bits and three screen sizes,
#      each bitmap compared byte for byte with `arttool wallpaper`, and a
#      screenshot of a Wine virtual desktop showing it;
#   2b. the screen saver full screen on displays of 8, 16 and 32 bits from
#      576x432 to 3840x2160, its pictures read back from the screen
#      (screenshots in build/wine-test-output/BUILD/saver-shots), and at
#      1920x1080 how fast a key ends it during a decode and its peak working
#      set;
#   3. a wallpaper write onto a file system that fills up (where the machine
#      lets us mount a small tmpfs);
#   4. the switcher's layout at 144 DPI (150 %), in a prefix of its own
#      (build/wine-dpi-BUILD) whose LogPixels is set before Wine starts there;
#   5. the setup program of the build's architecture in a fresh prefix
#      (build/wine-package-BUILD; for the 32-bit one, first as it behaves
#      where MSVCRT.DLL is missing), and install, apply and uninstall in
#      another (build/wine-uninstall-BUILD).
#   scripts/run-wine-tests.sh [--build win64|win32] [--windows95] [ctest arguments...]
# --build picks the build (default win64; win32 runs under 32-bit Wine).
# --windows95 makes Wine report Windows 95 to every program (the Version
# value of HKCU\Software\Wine) in every stage, in prefixes of their own
# (BUILD-win95), so that every branch for the 95 family runs.
# With ctest arguments, only stage 1 runs, with them.
set -eu
LUMIVEX_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$LUMIVEX_ROOT/scripts/wine-env.sh"
lumivex_without_aslr "$0" "$@"
BUILD=win64
WINDOWS95=0
while [ $# -gt 0 ]; do
  case $1 in
    --build) BUILD=$2; shift 2 ;;
    --windows95) WINDOWS95=1; shift ;;
    *) break ;;
  esac
done
case $BUILD in
  win64 | win32) ;;
  *) echo "run-wine-tests: unknown build $BUILD" >&2; exit 2 ;;
esac
RUN=$BUILD
[ $WINDOWS95 -eq 1 ] && RUN=$BUILD-win95
export WINEPREFIX="$LUMIVEX_ROOT/build/wine-tests-$RUN"
ASSETS="$LUMIVEX_ROOT/build/native/assets-out"
ARTTOOL="$LUMIVEX_ROOT/build/native/bin/arttool"
OUT="$LUMIVEX_ROOT/build/wine-test-output/$RUN"
if [ $BUILD = win64 ]; then
  SETUP="$LUMIVEX_ROOT/build/package/DesktopLumivexSetup.exe"
else
  SETUP="$LUMIVEX_ROOT/build/package/DesktopLumivexSetup-x86.exe"
fi

# A prefix made for one stage: new, with Wine's fonts, and with Windows 95
# reported to every program when asked for.
make_stage_prefix() {
  rm -rf "$WINEPREFIX"
  lumivex_make_prefix
  if [ $WINDOWS95 -eq 1 ]; then
    wine reg add 'HKCU\Software\Wine' /v Version /d win95 /f >/dev/null 2>&1
    wineserver -w
  fi
}

if [ $BUILD = win32 ] && ! lumivex_runs_32bit; then
  echo "!!! $LUMIVEX_NO_32BIT"
  exit 0
fi
echo "== the Windows-side tests of the $BUILD build$([ $WINDOWS95 -eq 1 ] && echo ", Windows 95 reported")"
rm -rf "$OUT"
mkdir -p "$OUT"
cd "$LUMIVEX_ROOT"
make_stage_prefix
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
# The tests write beside the programs, so a run with Windows 95 reported,
# which goes beside the build's own, gets a copy of the programs and of the
# test list (build/BUILD-win95).
TESTDIR="$LUMIVEX_ROOT/build/$BUILD"
if [ $WINDOWS95 -eq 1 ]; then
  TESTDIR="$LUMIVEX_ROOT/build/$RUN"
  rm -rf "$TESTDIR"
  mkdir -p "$TESTDIR"
  cp -a "$LUMIVEX_ROOT/build/$BUILD/bin" "$TESTDIR/"
  (cd "$LUMIVEX_ROOT/build/$BUILD" && find . -name CTestTestfile.cmake) | while read -r list; do
    mkdir -p "$TESTDIR/$(dirname "$list")"
    sed "s|$LUMIVEX_ROOT/build/$BUILD/|$TESTDIR/|g; s|$LUMIVEX_ROOT/build/$BUILD\"|$TESTDIR\"|g" \
      "$LUMIVEX_ROOT/build/$BUILD/$list" >"$TESTDIR/$list"
  done
fi
CTEST="ctest --test-dir $TESTDIR --output-on-failure"

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
tiny="$LUMIVEX_ROOT/build/tinyfs-$RUN"
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
export WINEPREFIX="$LUMIVEX_ROOT/build/wine-dpi-$RUN"
make_stage_prefix
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wineserver -w
LUMIVEX_EXPECT_DPI=144 on_display 1024x768x24 $CTEST -L "^dpi$" || status=1
export WINEPREFIX="$tests_prefix"

# The setup program, silently, in a prefix of its own.
if [ ! -f "$SETUP" ]; then
  echo "FAILED: no setup program $SETUP; make package builds it"; status=1
else
  echo "== the setup program in a fresh prefix"
  export WINEPREFIX="$LUMIVEX_ROOT/build/wine-package-$RUN"
  make_stage_prefix
  # First, on the 32-bit build, the setup as a Windows 95 without MSVCRT.DLL
  # meets it: it stops with status 3 and leaves no trace.
  WITHOUT_RUNTIME="$LUMIVEX_ROOT/build/package/checks/SetupWithoutRuntime-x86.exe"
  if [ $BUILD = win32 ]; then
    rc=0
    on_display 1024x768x24 wine "$WITHOUT_RUNTIME" /S || rc=$?
    if [ $rc -eq 3 ] && [ ! -e "$WINEPREFIX/drive_c/Program Files/Plus!" ] &&
        [ ! -e "$WINEPREFIX/drive_c/Program Files (x86)/Plus!" ] &&
        ! grep -qi lumivex "$WINEPREFIX/system.reg"; then
      echo "PASSED: without MSVCRT.DLL the setup stops (status 3) and installs nothing"
    else
      echo "FAILED: without MSVCRT.DLL the setup ended with status $rc or left something behind"; status=1
    fi
  fi
  on_display 1024x768x24 sh -c 'wine "$1" /S && shift && "$@" -L "^package$"' setup "$SETUP" $CTEST \
    || status=1
  # Installed, a theme applied and uninstalled with qvr-kill, on an NT
  # system and on Windows 95 as Wine reports it to one program; the tests
  # run the setup program themselves.
  echo "== the setup program and the uninstaller in a fresh prefix"
  export WINEPREFIX="$LUMIVEX_ROOT/build/wine-uninstall-$RUN"
  make_stage_prefix
  on_display 1024x768x24 $CTEST -L "^uninstall$" || status=1
fi
exit $status
