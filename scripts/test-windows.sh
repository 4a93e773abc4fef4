#!/usr/bin/env bash
# The Windows lane: cross-build with MinGW-w64 and run the tests under Wine, headless, in a fresh prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset mingw
cmake --build --preset mingw
export WINEDEBUG=-all
export WINEPREFIX="$PWD/build/mingw/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=
rm -rf "$WINEPREFIX"
wineboot --init >/dev/null 2>&1 || true
wineserver -w || true
ctest --preset mingw -j1
wineserver -k || true
