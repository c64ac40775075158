#!/bin/sh
# Runs the package in a Wine prefix of its own, build/demo-prefix (made once,
# reused): installs it with its setup program, then
#   with a display: runs the screen saver for a few seconds, then opens the
#     Theme Switcher in a 1024x768 Wine virtual desktop for you to try;
#   without one: applies each of the five colour themes and Revert on an Xvfb
#     display, runs the screen saver and shows its preview, uninstalls the
#     package with qvr-kill, and writes a screenshot after each step
#     (build/demo/screenshots).
set -eu
LUMIVEX_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$LUMIVEX_ROOT/scripts/wine-env.sh"
lumivex_without_aslr "$0" "$@"
export WINEPREFIX="$LUMIVEX_ROOT/build/demo-prefix"
SETUP="$LUMIVEX_ROOT/build/package/DesktopLumivexSetup.exe"
DRIVER="$LUMIVEX_ROOT/build/win64/bin/demo_driver.exe"
SHOTS="$LUMIVEX_ROOT/build/demo/screenshots"
SWITCHER='C:\Program Files\Plus!\Themes\switcher.exe'

[ -f "$SETUP" ] || { echo "demo: $SETUP is missing (make package)" >&2; exit 1; }
lumivex_make_prefix

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "demo: installing Desktop Lumivex into $WINEPREFIX"
  wine "$SETUP" /S
  echo "demo: the screen saver for a few seconds"
  wine explorer /desktop=Lumivex,1024x768 "$DRIVER" --screen-saver
  echo "demo: opening the Theme Switcher in a Wine virtual desktop; close it to end the demo"
  wine explorer /desktop=Lumivex,1024x768 "$SWITCHER"
  wineserver -w
  exit 0
fi

rm -rf "$SHOTS"
mkdir -p "$SHOTS"
echo "demo: no display; driving the switcher on an Xvfb screen"
lumivex_on_display 1024x768x24 sh -c '
  wine "$1" /S
  wine explorer /desktop=Lumivex,1024x768 "$2" "$3" &
  driver=$!
  # Answer the driver: a screenshot of the X screen for every step it marks.
  while kill -0 $driver 2>/dev/null; do
    for ready in "$4"/*.ready; do
      [ -e "$ready" ] || continue
      name=$(basename "$ready" .ready)
      import -window root "$4/$name.png"
      rm -f "$ready"
      touch "$4/$name.done"
    done
    sleep 0.2
  done
  wait $driver
' demo "$SETUP" "$DRIVER" "Z:$(echo "$SHOTS" | tr / '\\')" "$SHOTS"

rm -f "$SHOTS/Tavol.txt" "$SHOTS"/*.done
echo "demo: screenshots:"
ls -1 "$SHOTS"/*.png
