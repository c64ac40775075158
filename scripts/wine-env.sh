# Sourced by the scripts that run Wine: an isolated prefix of ours (never
# ~/.wine), no Mono or Gecko prompts, helpers to make a prefix, and an Xvfb
# display with a persistent wineserver for a run.
: "${LUMIVEX_ROOT:=$(cd "$(dirname "$0")/.." && pwd)}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# Debian's Wine has no preloader, the part that elsewhere claims the
# addresses Wine needs before anything else is mapped. Its loader sits at
# 0x7d000000, and the kernel starts the heap at a random place in the
# gigabyte above it: about once in several thousand starts the heap covers
# 0x7ffe0000, the page Wine maps the shared user data to, and that process
# ends at once with status 1 ("failed to map the shared user data", an error
# WINEDEBUG=-all keeps quiet). A script that runs Wine calls this first with
# its own path and arguments: it runs again with address space randomisation
# off, which every process it starts inherits, so the heap starts right
# after the loader. Where the system refuses that, it says so and goes on.
lumivex_without_aslr() {
  personality=$(cat /proc/self/personality 2>/dev/null || echo 0)
  [ $((0x$personality & 0x40000)) -ne 0 ] && return 0
  if setarch "$(uname -m)" -R true 2>/dev/null; then
    exec setarch "$(uname -m)" -R /bin/sh "$@"
  fi
  echo "wine-env: cannot turn address space randomisation off (setarch -R); now and then a Wine process may fail to start" >&2
}

# Wine's own fonts (Marlett for the caption buttons and check marks, Tahoma,
# MS Sans Serif) are loaded from the prefix's Fonts folder. Debian's wine
# looks for its data folder at a path that does not exist, so wineboot
# leaves that folder empty and every face falls back to Liberation Sans;
# copy them in ourselves. Without Marlett every caption button draws as a
# letter, so a prefix without it is an error, not a warning.
lumivex_prefix_fonts() {
  fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  if [ -d /usr/share/wine/fonts ]; then
    cp -n /usr/share/wine/fonts/* "$fonts"/ 2>/dev/null || true
  fi
  for face in marlett.ttf tahoma.ttf ms_sans_serif.ttf; do
    if [ ! -f "$fonts/$face" ]; then
      echo "wine-env: $WINEPREFIX has no $face: Wine's fonts are missing (Debian package fonts-wine; make setup installs it)" >&2
      return 1
    fi
  done
}

# Whether this machine runs 32-bit programs: the loader of Debian's wine32
# is one, and runs only where the kernel runs 32-bit code and the i386
# libraries are there.
lumivex_runs_32bit() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The line that says the 32-bit build's suite did not run here.
LUMIVEX_NO_32BIT="NO 32-BIT WINE ON THIS MACHINE: the 32-bit build's Windows-side tests were NOT run; only the import check stands for it"

# Makes $WINEPREFIX if it does not exist yet (needs a display or not: wineboot
# runs without one).
lumivex_make_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  lumivex_prefix_fonts
}

# Starts an Xvfb screen of the given geometry (WxHxD) and exports DISPLAY.
# The server picks a free display number itself and reports it once it
# accepts connections (-displayfd), so two runs starting at once can never
# pick the same number (xvfb-run -a only looks for lock files, which races).
lumivex_start_display() {
  LUMIVEX_XVFB_DIR=$(mktemp -d "${TMPDIR:-/tmp}/lumivex-xvfb.XXXXXX")
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset \
    3>"$LUMIVEX_XVFB_DIR/display" 2>"$LUMIVEX_XVFB_DIR/log" &
  LUMIVEX_XVFB_PID=$!
  tries=0
  while ! grep -q '^[0-9]' "$LUMIVEX_XVFB_DIR/display" 2>/dev/null; do
    if ! kill -0 "$LUMIVEX_XVFB_PID" 2>/dev/null || [ $tries -ge 200 ]; then
      echo "wine-env: Xvfb did not start:" >&2
      cat "$LUMIVEX_XVFB_DIR/log" >&2
      lumivex_stop_display
      return 1
    fi
    tries=$((tries + 1))
    sleep 0.05
  done
  DISPLAY=:$(head -n 1 "$LUMIVEX_XVFB_DIR/display")
  export DISPLAY
}

# Ends the Xvfb screen of lumivex_start_display and waits until it is gone.
lumivex_stop_display() {
  if [ -n "${LUMIVEX_XVFB_PID:-}" ]; then
    kill "$LUMIVEX_XVFB_PID" 2>/dev/null || true
    wait "$LUMIVEX_XVFB_PID" 2>/dev/null || true
  fi
  [ -n "${LUMIVEX_XVFB_DIR:-}" ] && rm -rf "$LUMIVEX_XVFB_DIR"
  LUMIVEX_XVFB_PID=
  LUMIVEX_XVFB_DIR=
}

# Starts the prefix's wineserver for a run: any server still left of this
# prefix is ended and waited for first, so the new one never meets a server
# that is shutting down. Wine's background programs start before the first
# test, so they do not hold on to a test's output.
lumivex_start_wineserver() {
  wineserver -k 2>/dev/null || true
  wineserver -w
  wineserver -p
  wineboot -i >/dev/null 2>&1
}

# Ends the prefix's wineserver and every Wine process, and waits for it.
lumivex_stop_wineserver() {
  wineserver -k 2>/dev/null || true
  wineserver -w || true
}

# Runs a command on a new Xvfb screen (WxHxD) with a persistent wineserver,
# and takes both down afterwards; returns the command's status.
lumivex_on_display() (
  geometry=$1
  shift
  lumivex_start_display "$geometry" || exit 1
  trap 'lumivex_stop_wineserver; lumivex_stop_display' EXIT
  lumivex_start_wineserver
  rc=0
  "$@" || rc=$?
  exit $rc
)
