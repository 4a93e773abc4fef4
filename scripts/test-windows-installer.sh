#!/usr/bin/env bash
# The Windows installer under Wine: builds it from the MinGW build, installs it silently into a fresh prefix,
# checks the files, the Start menu and that the installed qv_reg.exe reads "ProgFiles", then uninstalls silently
# and checks that what it installed is gone and the handler's settings written before are still there.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

cmake --preset mingw >/dev/null
cmake --build --preset mingw --target installer | grep -v -- '-- Installing' || true
installer=$(ls "$root"/build/mingw/installer/Quorvane-*-setup.exe)
build_reg="$root/build/mingw/tools/qv_reg/qv_reg.exe"

export WINEDEBUG=-all
export WINEPREFIX="$root/build/mingw/installer-prefix"
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
export DISPLAY=
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
wineboot --init >/dev/null 2>&1 || { echo "wineboot could not make a prefix in $WINEPREFIX" >&2; exit 1; }
wineserver -w

source "$root/scripts/checks.sh"
# Wine's console output ends its lines with CR LF.
reg_query() { wine "$@" 2>/dev/null | tr -d '\r'; }
has() { grep -qF -- "$1" <<<"$2"; }
lacks() { ! grep -qF -- "$1" <<<"$2"; }

dir="$WINEPREFIX/drive_c/Program Files/Helmark/Quorvane"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorvane"
settings='HKLM\SOFTWARE\Helmark\Quorvane\Value\Sites\1'
product='HKLM\SOFTWARE\Helmark\Quorvane'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvane'
installed=(qv_reg.exe qv_sites.exe setacl.exe Documentation.htm TechSupport.htm Uninstall.exe Templates/rules.qv
           Templates/403.htm Templates/404.htm Templates/500.htm Templates/503.htm Templates/404.gif Templates/404.asp
           Templates/404.aspx Templates/404.php Templates/404.cfm)

# The handler's settings, as a machine that ran it before has them.
wine "$build_reg" add "$settings" /v EnableDisable /t REG_SZ /d 1 /f >/dev/null 2>&1

echo "== Installing silently: wine $(basename "$installer") /S"
wine "$installer" /S
wineserver -w
for file in "${installed[@]}"; do
    check "installed $file" test -f "$dir/$file"
done
check "Start menu entry for the guide" test -f "$menu/Quorvane Documentation.lnk"
progfiles=$(reg_query "$dir/qv_reg.exe" query "$product" /v ProgFiles)
echo "$progfiles"
expected="ProgFiles    REG_SZ    C:\\Program Files\\Helmark\\Quorvane\\"
check 'installed qv_reg.exe reads ProgFiles with its final backslash' has "$expected" "$progfiles"
check 'uninstaller registered' has QuietUninstallString "$(reg_query "$build_reg" query "$uninstall_key")"

# Something the suite made at run time: not the installer's to remove.
mkdir -p "$dir/Logs/W3SVC1"
echo "#Software: Quorvane error handler" >"$dir/Logs/W3SVC1/qv010101.log"

echo "== Uninstalling silently: wine Uninstall.exe /S"
wine "$dir/Uninstall.exe" /S
# The uninstaller copies itself away and runs from there: wait for every process of the prefix.
wineserver -w
for file in "${installed[@]}"; do
    check "removed $file" test ! -e "$dir/$file"
done
check 'removed the Start menu folder' test ! -e "$menu"
check 'kept the log made at run time' test -f "$dir/Logs/W3SVC1/qv010101.log"
check 'removed the Templates folder' test ! -e "$dir/Templates"
listing=$(reg_query "$build_reg" query "$product")
check 'removed ProgFiles' lacks ProgFiles "$listing"
check 'kept the product key, the settings are below it' has 'HKEY_LOCAL_MACHINE\SOFTWARE\Helmark\Quorvane\Value' "$listing"
check 'removed the uninstaller entry' has 'unable to find' "$(wine "$build_reg" query "$uninstall_key" 2>&1)"
kept=$(reg_query "$build_reg" query "$settings" /v EnableDisable)
echo "$kept"
check 'kept the handler settings under ...\Value' has 'EnableDisable    REG_SZ    1' "$kept"

rm -rf "$dir/Logs"
wineserver -k 2>/dev/null || true
if [ "$failures" -ne 0 ]; then
    echo "Windows installer: $failures check(s) failed"
    exit 1
fi
echo "Windows installer: every check passed"
