#!/usr/bin/env bash
# The packages. Linux: builds the .deb from the release preset, runs lintian on it, installs it with dpkg, runs
# the installed tools on a temporary machine, reads a manual page, validates the menu entries and the AppStream
# data, removes and purges it. Then the Windows installer under Wine (scripts/test-windows-installer.sh).
# dpkg needs root: as another user it goes through sudo. A suite installed by other means is left alone; a
# quorvane package installed before is purged first.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

echo "== Building the .deb (release preset)"
cmake --preset release >/dev/null
cmake --build --preset release
(cd build/release && rm -f quorvane_*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$root"/build/release/quorvane_*.deb)
dpkg-deb -I "$deb" | sed -n '/Package:/p;/Version:/p;/Depends:/p'
echo "$(dpkg-deb -c "$deb" | wc -l) entries in $(basename "$deb")"

source "$root/scripts/checks.sh"
has() { grep -qF -- "$1" <<<"$2"; }
lacks() { ! grep -qF -- "$1" <<<"$2"; }

echo "== lintian"
# An error fails; warnings are shown, overridden tags counted (packaging/debian/lintian-overrides says why).
lintian_out=$(lintian --show-overrides "$deb" 2>&1 | grep -v '^N:\|running with root privileges' || true)
grep -v '^O:' <<<"$lintian_out" || true
grep '^O:' <<<"$lintian_out" | awk '{print $3}' | sort | uniq -c | sed 's/^ */overridden: /' || true
check 'lintian reports no error' lacks "E: " "$lintian_out"

prefix=/opt/Helmark/Quorvane
machine=/var/lib/quorvane
product='HKLM\SOFTWARE\Helmark\Quorvane'
# The build's own qv_reg reads the default machine while no package is installed.
build_reg="$root/build/release/tools/qv_reg/qv_reg"
default_reg() { $sudo env QUORVANE_MACHINE=$machine "$build_reg" "$@"; }

if dpkg-query -W -f='${Status}' quorvane 2>/dev/null | grep -q 'ok installed\|config-files'; then
    echo "== Purging the quorvane package installed before"
    $sudo dpkg --purge quorvane >/dev/null
fi
machine_existed=no
[ -d "$machine" ] && machine_existed=yes

echo "== Install and purge: only what the package made goes"
$sudo dpkg -i "$deb" >/dev/null
check 'ProgFiles recorded in the default machine' \
    has "ProgFiles    REG_SZ    $prefix/" "$(default_reg query "$product" /v ProgFiles)"
$sudo dpkg --purge quorvane >/dev/null
check "installation directory removed" test ! -e "$prefix"
if [ $machine_existed = no ]; then
    check "machine directory the package made removed" test ! -e "$machine"
else
    check "machine directory that was there kept" test -d "$machine"
    check 'ProgFiles removed' lacks ProgFiles "$(default_reg query "$product" /s 2>&1 || true)"
fi

echo "== Install, use, remove"
$sudo dpkg -i "$deb"
for file in Quorvane qv_logviewer qv_reg qv_sites setacl Documentation.htm TechSupport.htm Templates/404.htm \
    Templates/rules.qv templates/404.htm; do
    check "installed $prefix/$file" test -e "$prefix/$file"
done
# The wizard joins these once the build has it.
tools=(qv_reg qv_sites setacl qv_logviewer)
[ -e $prefix/qv_wizard ] && tools+=(qv_wizard)
for tool in "${tools[@]}"; do
    check "$tool on the PATH" test "$(command -v "$tool")" = "/usr/bin/$tool"
done
check 'ProgFiles recorded again' has "ProgFiles    REG_SZ    $prefix/" "$(default_reg query "$product" /v ProgFiles)"

# A temporary machine with two web sites; the installed tools work on it.
temp=$(mktemp -d "$root/build/package-machine.XXXXXX")
trap 'rm -rf "$temp"' EXIT
cat >"$temp/MetaBase.xml" <<'XML'
<?xml version ="1.0"?>
<configuration xmlns="urn:microsoft-catalog:XML_Metabase_V64_0">
<MBProperty>
<IIsWebService	Location ="/LM/W3SVC"
	>
</IIsWebService>
<IIsWebServer	Location ="/LM/W3SVC/1"
		ServerComment="Default Web Site"
	>
</IIsWebServer>
<IIsWebVirtualDir	Location ="/LM/W3SVC/1/ROOT"
		Path="C:\Inetpub\wwwroot"
	>
</IIsWebVirtualDir>
<IIsWebServer	Location ="/LM/W3SVC/7"
		ServerComment="Shop"
	>
</IIsWebServer>
<IIsWebVirtualDir	Location ="/LM/W3SVC/7/ROOT"
		Path="C:\Inetpub\Sites\Shop Front"
	>
</IIsWebVirtualDir>
</MBProperty>
</configuration>
XML
export QUORVANE_MACHINE="$temp"
sites=$(qv_sites)
echo "$sites"
check 'qv_sites lists site 1 with its root in the machine' has "1	Default Web Site	$temp/drive_c/Inetpub/wwwroot" "$sites"
check 'qv_sites lists site 7' has "7	Shop	$temp/drive_c/Inetpub/Sites/Shop Front" "$sites"
qv_reg add "$product\\Value\\Sites\\7" /v Directory /t REG_SZ /d errors /f >/dev/null
qv_reg export "$product" "$temp/settings.reg" /y >/dev/null
qv_reg delete "$product" /f >/dev/null
qv_reg import "$temp/settings.reg" >/dev/null
stored=$(qv_reg query "$product" /s)
echo "$stored"
check 'qv_reg writes, exports and imports on the temporary machine' has "Directory    REG_SZ    errors" "$stored"
check 'setacl answers --help' has "Usage: setacl" "$(setacl --help)"
unset QUORVANE_MACHINE

echo "== Manual pages"
for page in "${tools[@]}"; do
    check "man -l $page.1.gz" has "$page - " "$(man -l "/usr/share/man/man1/$page.1.gz" 2>/dev/null)"
done
check 'man qv_reg' has "qv_reg - read and change" "$(man -P cat qv_reg 2>/dev/null)"

echo "== desktop-file-validate"
desktop_out=$(desktop-file-validate /usr/share/applications/com.helmark.quorvane*.desktop 2>&1) && desktop_ok=yes || desktop_ok=no
[ -n "$desktop_out" ] && echo "$desktop_out"
check 'the menu entries validate' test "$desktop_ok" = yes
for entry in /usr/share/applications/com.helmark.quorvane*.desktop; do
    program=$(sed -n 's/^Exec=//p' "$entry")
    check "$(basename "$entry") starts $program, which is installed" test -x "$program"
done
echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net /usr/share/metainfo/com.helmark.quorvane.metainfo.xml && metainfo_ok=yes || metainfo_ok=no
check 'the AppStream data validates' test "$metainfo_ok" = yes
for size in scalable 16x16 48x48 256x256; do
    check "icons in hicolor/$size" test -n "$(ls /usr/share/icons/hicolor/$size/apps/com.helmark.quorvane* 2>/dev/null)"
done

# The handler's settings in the default machine: removing the package must not touch them.
default_reg add "$product\\Value" /v PackageCheck /t REG_SZ /d kept /f >/dev/null
echo "== dpkg -r quorvane"
$sudo dpkg -r quorvane
check "installation directory removed" test ! -e "$prefix"
check '/usr/bin/qv_reg removed' test ! -e /usr/bin/qv_reg
check 'manual page removed' test ! -e /usr/share/man/man1/qv_reg.1.gz
check 'menu entry removed' test ! -e /usr/share/applications/com.helmark.quorvane.desktop
after=$(default_reg query "$product" /s)
check "the handler's settings kept" has "PackageCheck    REG_SZ    kept" "$after"
check 'ProgFiles removed' lacks ProgFiles "$after"
$sudo dpkg --purge quorvane >/dev/null
check "purge keeps a registry that holds settings" test -f "$machine/registry.db"

# Leave the default machine as it was found.
if [ $machine_existed = no ]; then
    $sudo rm -rf "$machine"
else
    default_reg delete "$product\\Value" /v PackageCheck /f >/dev/null
fi

echo "== Windows installer"
scripts/test-windows-installer.sh || failures=$((failures + 1))

if [ "$failures" -ne 0 ]; then
    echo "Packages: $failures check(s) failed"
    exit 1
fi
echo "Packages: every check passed"
