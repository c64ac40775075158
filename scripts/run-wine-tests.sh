#!/bin/sh
# Runs the Windows-side tests under Wine: a fresh prefix made for this run,
# an Xvfb display, one persistent wineserver for the whole run.
#   scripts/run-wine-tests.sh [ctest arguments...]   e.g. -R AssertReporter
set -eu
LUMIVEX_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$LUMIVEX_ROOT/scripts/wine-env.sh"
export WINEPREFIX="$LUMIVEX_ROOT/build/wine-tests"

rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"

cd "$LUMIVEX_ROOT"
# Wine shows 32 bits a pixel on an Xvfb depth of 24.
exec xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  wineserver -p
  wineboot -i >/dev/null 2>&1
  rc=0
  ctest --preset win64 "$@" || rc=$?
  wineserver -k || true
  exit $rc
' run-wine-tests "$@"
