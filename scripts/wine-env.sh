# Sourced by the scripts that run Wine: an isolated prefix of ours (never
# ~/.wine), no Mono or Gecko prompts, helpers to make a prefix, and an Xvfb
# display with a persistent wineserver for a run.
: "${LUMIVEX_ROOT:=$(cd "$(dirname "$0")/.." && pwd)}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

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
