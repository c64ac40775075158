#!/bin/sh
# Every command the README and docs/ show in their command blocks still
# exists: each `make` target in the Makefile, each script, each CTest
# preset, each program of the native build and each arttool verb.
#   scripts/check-docs.sh
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
status=0
fail() { echo "FAILED: documented command not found: $1"; status=1; }
commands=$(grep -hE '^    (make|scripts/|ctest|build/|arttool) ' README.md docs/*.md | sed 's/^    //; s/ *#.*//')
targets=$(sed -n 's/^\([a-z0-9-]*\):.*/\1/p' Makefile)
while read -r first second rest; do
  case $first in
    make) echo "$targets" | grep -qx "$second" || fail "make $second" ;;
    scripts/*) [ -x "$first" ] || fail "$first" ;;
    ctest) preset=$(echo "$rest" | sed 's/ .*//')
      grep -q "\"name\": \"$preset\"" CMakePresets.json || fail "ctest --preset $preset" ;;
    build/*) [ -x "$first" ] || fail "$first" ;;
    arttool) build/native/bin/arttool 2>&1 | grep -q "arttool $second " || fail "arttool $second" ;;
  esac
done <<END
$commands
END
[ $status -eq 0 ] && echo "PASSED: every documented command exists ($(echo "$commands" | wc -l) checked)"
exit $status
