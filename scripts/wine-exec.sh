#!/bin/sh
# CTest's way into Wine for the Windows-side tests:
#   scripts/wine-exec.sh PROGRAM.exe [arguments...]
# Runs the program with the environment and the address space settings of
# wine-env.sh, so a test started by hand, outside run-wine-tests.sh, cannot
# meet the start-up failure that randomisation allows either.
LUMIVEX_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$LUMIVEX_ROOT/scripts/wine-env.sh"
: "${WINEPREFIX:=$LUMIVEX_ROOT/build/wine-tests-win64}"  # never ~/.wine; holds both builds
export WINEPREFIX
lumivex_without_aslr "$0" "$@"
exec wine "$@"
