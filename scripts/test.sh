#!/usr/bin/env bash
# Builds everything and runs every test: the Linux build with AddressSanitizer and UBSan, then the Windows
# build (MinGW-w64) with its tests under Wine, then the packages.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

cmake --preset ci
cmake --build --preset ci
ctest --preset ci -j2

# Fuzzing smoke run: every harness 30 s (QV_FUZZ_SECONDS=N for another time, QV_FUZZ_SECONDS=corpus for the
# seed corpus only); a finding fails the run.
fuzz_seconds=${QV_FUZZ_SECONDS:-30}
if [ "$fuzz_seconds" = corpus ]; then
    scripts/fuzz.sh --corpus
else
    scripts/fuzz.sh "$fuzz_seconds"
fi

scripts/test-windows.sh

# Packages: the .deb built, installed and removed on this machine; the Windows installer under Wine.
scripts/test-packages.sh
