# Sourced by the scripts that run Wine: an isolated prefix of ours (never
# ~/.wine) and no Mono or Gecko prompts.
: "${LUMIVEX_ROOT:=$(cd "$(dirname "$0")/.." && pwd)}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
