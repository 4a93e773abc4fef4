#!/usr/bin/env bash
# Builds the suite, installs it into build/demo/install, makes a demo machine in build/demo/machine (an IIS 10
# server's applicationHost.config with seven web sites, registry, site content, handler logs) and starts the
# main program on it. --iis6 makes an IIS 6 machine (MetaBase.xml) instead.
#
#   bash scripts/demo.sh [--iis6] [arguments for the program]
#
# Each run makes a fresh demo machine. Without a display the program cannot show its window: the script then
# prints what the suite sees and how to start it on a display.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

server=--iis10
if [ "${1:-}" = --iis6 ] || [ "${1:-}" = --iis10 ]; then
    server=$1
    shift
fi

scripts/install-deps.sh

echo "== Building (release preset)"
cmake --preset release >/dev/null
cmake --build --preset release

demo="$root/build/demo"
prefix="$demo/install"
machine="$demo/machine"
echo "== Installing into $prefix"
rm -rf "$prefix"
cmake --install build/release --prefix "$prefix" >/dev/null

echo "== Making the demo machine in $machine"
scripts/make-demo-machine.sh "$server" "$machine" "$prefix"
export QUORVANE_MACHINE="$machine"

echo
echo "== The web sites as the suite reads them (qv_sites)"
if [ -x "$prefix/qv_sites" ]; then
    "$prefix/qv_sites" --source || true
else
    echo "(qv_sites is not part of this build)"
fi

# The Settings Manager when it is built, else the Log Viewer on the site with logs.
program=()
if [ -x "$prefix/Quorvane" ]; then
    program=("$prefix/Quorvane" "$@")
elif [ -x "$prefix/qv_logviewer" ]; then
    program=("$prefix/qv_logviewer" "${@:-/1}")
fi

if [ ${#program[@]} -eq 0 ]; then
    echo
    echo "== No program with a window is part of this build yet; the registry of the demo machine:"
    "$prefix/qv_reg" query 'HKLM\SOFTWARE\Helmark\Quorvane' /s
    exit 0
fi

start_line="QUORVANE_MACHINE=$machine ${program[*]}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo
    echo "== No display: \$DISPLAY is empty, so $(basename "${program[0]}") cannot show its window."
    shot="$demo/$(basename "${program[0]}").png"
    if command -v xvfb-run >/dev/null && command -v import >/dev/null; then
        # Start it on a virtual display for a moment and keep a picture of the screen.
        rm -f "$shot"
        # shellcheck disable=SC2016 # expanded by the inner shell
        SHOT="$shot" xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
            "$@" & pid=$!
            sleep 4
            import -window root "$SHOT" || true
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true' demo "${program[@]}" 2>/dev/null || true
    fi
    if [ -f "$shot" ]; then
        echo "   It ran for a few seconds on a virtual display (Xvfb); a screenshot is in $shot"
    fi
    echo "   To use it, run this from a desktop session (or over ssh -X):"
    echo "     $start_line"
    echo "   or on a virtual display that you watch with a VNC viewer:"
    echo "     Xvfb :5 -screen 0 1280x900x24 & x11vnc -display :5 &"
    echo "     DISPLAY=:5 $start_line"
    exit 0
fi

echo
echo "== Starting: $start_line"
exec "${program[@]}"
