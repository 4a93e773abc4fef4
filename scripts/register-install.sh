#!/usr/bin/env bash
# Records an installation of the suite in the machine's registry: the value "ProgFiles" (REG_SZ) of
# HKLM\SOFTWARE\Helmark\Quorvane, the installation directory with a final "/". The programs find their
# templates, guides, permission tool and default log directories through it.
#
#   scripts/register-install.sh <install-prefix> [machine-dir]
#
# Without machine-dir, $QUORVANE_MACHINE (default /var/lib/quorvane) is used.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 <install-prefix> [machine-dir]" >&2
    exit 2
fi
[ -d "$1" ] || {
    echo "register-install: $1 is not a directory" >&2
    exit 1
}
prefix=$(cd "$1" && pwd)
qv_reg="$prefix/qv_reg"
[ -x "$qv_reg" ] || {
    echo "register-install: $qv_reg not found: install the suite first (cmake --install <build> --prefix $prefix)" >&2
    exit 1
}
if [ $# -eq 2 ]; then
    mkdir -p "$2"
    QUORVANE_MACHINE=$(cd "$2" && pwd)
fi
export QUORVANE_MACHINE="${QUORVANE_MACHINE:-/var/lib/quorvane}"
mkdir -p "$QUORVANE_MACHINE"

progfiles="${prefix%/}/"
"$qv_reg" add 'HKLM\SOFTWARE\Helmark\Quorvane' /v ProgFiles /t REG_SZ /d "$progfiles" /f
echo "ProgFiles = $progfiles (machine $QUORVANE_MACHINE)"
