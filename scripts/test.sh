#!/usr/bin/env bash
# Builds everything and runs every test: the Linux build with AddressSanitizer and UBSan, then the Windows
# build (MinGW-w64) with its tests under Wine, then the packages.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

cmake --preset ci
cmake --build --preset ci
ctest --preset ci -j2

scripts/test-windows.sh

# Packages: the .deb built, installed and removed on this machine; the Windows installer under Wine.
scripts/test-packages.sh
