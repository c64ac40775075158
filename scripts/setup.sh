#!/bin/sh
# Installs the Debian packages the build and the tests need. Safe to rerun:
# only missing packages are installed. Uses sudo when not run as root.
set -eu

# libclang-rt-dev: the sanitizer and libFuzzer runtimes, which clang only
# recommends (native-asan preset, scripts/fuzz.sh). util-linux: setarch, which
# the scripts that run Wine use (scripts/wine-env.sh). wine32:i386: the 32-bit
# Wine that runs the classic (i686) build; it needs the i386 architecture.
PACKAGES="
  cmake make g++ pkg-config git python3 util-linux
  googletest libbenchmark-dev libpng-dev libjpeg62-turbo-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
  wine wine64 fonts-wine xvfb xauth x11-apps x11-utils xdotool imagemagick fonts-urw-base35 nsis
  clang clang-format libclang-rt-dev
  wine32:i386
"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

# Whether the 32-bit build can run here; make test says it once more.
check_32bit() {
  LUMIVEX_ROOT=$(cd "$(dirname "$0")/.." && pwd)
  . "$LUMIVEX_ROOT/scripts/wine-env.sh"
  lumivex_runs_32bit || echo "setup: !!! $LUMIVEX_NO_32BIT"
}

if [ -z "$missing" ]; then
  echo "setup: all packages present"
  check_32bit
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "setup: installing$missing"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
check_32bit
