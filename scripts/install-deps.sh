#!/usr/bin/env bash
# Installs with apt-get what a fresh Debian 12 machine lacks to build, test and run Quorvane.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libsqlite3-dev libpugixml-dev
          libgtest-dev libgmock-dev googletest libbenchmark-dev libacl1-dev acl g++-mingw-w64-x86-64 wine wine64
          xvfb xauth fonts-dejavu-core libx11-dev clang libclang-rt-14-dev
          nsis scdoc librsvg2-bin lintian desktop-file-utils appstream man-db)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
