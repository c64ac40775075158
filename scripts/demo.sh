#!/bin/sh
# Runs the package in a Wine prefix of its own under build/.
set -eu
echo "demo: the Theme Switcher is not built yet; nothing to show." 
echo "demo: 'make test' builds and tests what exists so far."
