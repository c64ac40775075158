# Sourced by the scripts that run Wine: an isolated prefix of ours (never
# ~/.wine), no Mono or Gecko prompts, and helpers to make a prefix.
: "${LUMIVEX_ROOT:=$(cd "$(dirname "$0")/.." && pwd)}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# Wine's own fonts (Marlett for the caption buttons and check marks, Tahoma,
# MS Sans Serif) are loaded from the prefix's Fonts folder. Debian's wine
# looks for its data folder at a path that does not exist, so wineboot
# leaves that folder empty and every face falls back to Liberation Sans;
# copy them in ourselves.
lumivex_prefix_fonts() {
  fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  if [ -d /usr/share/wine/fonts ]; then
    cp -n /usr/share/wine/fonts/* "$fonts"/ 2>/dev/null || true
  fi
}

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
