#!/bin/sh
# Builds the setup program and a plain folder tree of the installed files:
#   build/package/tree/Program Files/Plus!/Themes/...   the package directory
#   build/package/tree/Windows/...                       the Windows directory
#   build/package/DesktopLumivexSetup.exe                the setup for 64-bit Windows
#   build/package/DesktopLumivexSetup-x86.exe            the setup for 32-bit Windows
#   build/package/checks/SetupWithoutRuntime-x86.exe     the same, as if MSVCRT.DLL were missing (tests)
# (NSIS; /S installs silently)
# from what `make build` made (programs, and the assets generated from the
# repository's own recipes).
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
ASSETS="$ROOT/build/native/assets-out"
OUT="$ROOT/build/package"
TREE="$OUT/tree"
PACKAGE="$TREE/Program Files/Plus!/Themes"
WINDOWS="$TREE/Windows"

for need in "$ASSETS/themes" "$ASSETS/windows/TAVOL" "$ROOT/build/win64/bin/switcher.exe" \
    "$ROOT/build/win32/bin/switcher.exe"; do
  [ -e "$need" ] || { echo "package: $need is missing; run make build first" >&2; exit 1; }
done

rm -rf "$OUT"
mkdir -p "$PACKAGE/Tavol" "$PACKAGE/WALLART" "$WINDOWS/TAVOL"
cp "$ROOT/build/win64/bin/switcher.exe" "$PACKAGE/"
cp "$ASSETS/themes/"*.theme "$PACKAGE/"
cp "$ASSETS/themes/Tavol/"* "$PACKAGE/Tavol/"
cp "$ASSETS/windows/TAVOL/PALALL9.TR" "$PACKAGE/WALLART/"
cp "$ASSETS/windows/TAVOL/"* "$WINDOWS/TAVOL/"
# The screen saver and the uninstaller join the tree once they are built.
for program in "Tavol The Corvane.scr" qvr-kill.exe; do
  if [ -f "$ROOT/build/win64/bin/$program" ]; then cp "$ROOT/build/win64/bin/$program" "$WINDOWS/"; fi
done

makensis -V2 -DARCH=amd64 -DTREE="$TREE" -DPROGRAMS="$ROOT/build/win64/bin" \
  -DOUTFILE="$OUT/DesktopLumivexSetup.exe" "$ROOT/setup/setup.nsi"
makensis -V2 -DARCH=x86 -DTREE="$TREE" -DPROGRAMS="$ROOT/build/win32/bin" \
  -DOUTFILE="$OUT/DesktopLumivexSetup-x86.exe" "$ROOT/setup/setup.nsi"
# For the tests only: the 32-bit setup as it behaves on a Windows 95 without
# MSVCRT.DLL (it looks for a file no system has).
mkdir -p "$OUT/checks"
makensis -V2 -DARCH=x86 -DTREE="$TREE" -DPROGRAMS="$ROOT/build/win32/bin" \
  -DRUNTIME_FILE=lumivex-no-such-runtime.dll \
  -DOUTFILE="$OUT/checks/SetupWithoutRuntime-x86.exe" "$ROOT/setup/setup.nsi"
for setup in "$OUT/DesktopLumivexSetup.exe" "$OUT/DesktopLumivexSetup-x86.exe"; do
  echo "package: $setup ($(stat -c %s "$setup") bytes)"
done
echo "package: installed files in $TREE"
