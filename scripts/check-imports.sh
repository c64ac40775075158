#!/bin/sh
# The import check of `make test`, on what `make build` and `make package`
# made:
#   1. every shipped program of the 32-bit build and the 32-bit setup
#      program import only what Windows 95 exports (tools/importcheck);
#   2. the check itself refuses a program that imports IsDebuggerPresent;
#   3. no shipped source calls CreateThread but the one place that gives it
#      a thread id to write (Windows 95, 98 and Me create no thread without);
#   4. the imports of the 64-bit build, listed.
#   scripts/check-imports.sh [BUILD_DIR]   (default: build)
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
CHECK="$ROOT/tools/importcheck/check_imports.py"
status=0

echo "== import check: the 32-bit programs and setup against Windows 95"
python3 "$CHECK" "$BUILD/win32/bin/switcher.exe" "$BUILD/win32/bin/Tavol The Corvane.scr" \
  "$BUILD/win32/bin/namefix.exe" "$BUILD/win32/bin/qvr-kill.exe" \
  "$BUILD/package/DesktopLumivexSetup-x86.exe" || status=1

if out=$(python3 "$CHECK" "$BUILD/win32/bin/import_offender_probe.exe" 2>&1) ||
    ! echo "$out" | grep -q 'OFFENDER KERNEL32.dll!IsDebuggerPresent'; then
  echo "$out"
  echo "FAILED: the import check let IsDebuggerPresent through"; status=1
else
  echo "PASSED: the import check refuses a program that imports IsDebuggerPresent"
fi

threads=$(cd "$ROOT" && grep -rln 'CreateThread *(' switcher saver namefix uninstall common core |
  grep -v '^common/base/thread_start.cpp$' || true)
if [ -n "$threads" ]; then
  echo "FAILED: CreateThread outside StartThread (common/base/thread_start.cpp): $threads"; status=1
else
  echo "PASSED: every shipped thread starts through StartThread"
fi

echo "== imports of the 64-bit programs (Windows XP x64 and later)"
python3 "$CHECK" --list "$BUILD/win64/bin/switcher.exe" "$BUILD/win64/bin/Tavol The Corvane.scr" \
  "$BUILD/win64/bin/namefix.exe" "$BUILD/win64/bin/qvr-kill.exe" \
  "$BUILD/package/DesktopLumivexSetup.exe" | grep -v '^    '
exit $status
