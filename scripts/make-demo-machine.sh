#!/usr/bin/env bash
# Makes a demo machine directory for the Linux build: an IIS 10 server (applicationHost.config, Windows 10.0)
# or with --iis6 an IIS 6 one (MetaBase.xml, Windows 5.2), with web sites and their application pools, site
# roots with a little content under drive_c/, the installation directory registered, site 1 set up as the
# handler would have left it (error directory, rules file, settings, a few days of handler logs).
#
#   scripts/make-demo-machine.sh [--iis6 | --iis10] <machine-dir> <install-prefix>
#
# The suite must already be installed into <install-prefix> (cmake --install <build> --prefix <install-prefix>):
# its qv_reg writes the machine's registry. A machine directory that this script made before is replaced; any
# other non-empty directory is refused.
set -euo pipefail

die() {
    echo "make-demo-machine: $*" >&2
    exit 1
}
usage() {
    echo "usage: $0 [--iis6 | --iis10] <machine-dir> <install-prefix>" >&2
    exit 2
}

iis=10
case "${1:-}" in
--iis6) iis=6; shift ;;
--iis10) iis=10; shift ;;
-*) usage ;;
esac
[ $# -eq 2 ] || usage
machine=$1
prefix=$2
here=$(cd "$(dirname "$0")" && pwd)

[ -d "$prefix" ] || die "$prefix does not exist: install the suite there first (cmake --install <build> --prefix $prefix)"
prefix=$(cd "$prefix" && pwd)
qv_reg="$prefix/qv_reg"
[ -x "$qv_reg" ] || die "$qv_reg not found: install the suite into $prefix first (cmake --install <build> --prefix $prefix)"
[ -d "$prefix/Templates" ] || die "$prefix/Templates not found: install the suite into $prefix first"

marker=".quorvane-demo-machine"
if [ -e "$machine" ]; then
    [ -d "$machine" ] || die "$machine is not a directory"
    if [ -n "$(ls -A "$machine")" ]; then
        [ -f "$machine/$marker" ] || die "$machine is not empty and was not made by this script; choose another directory"
        rm -rf "$machine"
    fi
fi
mkdir -p "$machine"
machine=$(cd "$machine" && pwd)
echo "This directory is a Quorvane demo machine; scripts/make-demo-machine.sh may replace it." >"$machine/$marker"
export QUORVANE_MACHINE="$machine"

# IIS 6 installs into C:\Inetpub, IIS 7 and later into C:\inetpub; the machine's file system tells them apart.
if [ "$iis" = 6 ]; then
    inetpub=Inetpub
else
    inetpub=inetpub
fi

# --- IIS 6: the web server's metabase, in IIS 6's own file format ------------------------------------------
write_metabase() {
cat >"$machine/MetaBase.xml" <<'EOF'
<?xml version ="1.0"?>
<configuration xmlns="urn:microsoft-catalog:XML_Metabase_V64_0">
<MBProperty>
<IIS_Global	Location ="."
		BINSchemaTimeStamp="6a5c2d3f9e1ac601"
		ChangeNumber="412"
		HistoryMajorVersionNumber="37"
		XMLSchemaTimeStamp="20f87c3f9e1ac601"
	>
</IIS_Global>
<IIsComputer	Location ="/LM"
		EnableEditWhileRunning="0"
		EnableHistory="1"
		MaxHistoryFiles="10"
	>
</IIsComputer>
<IIsWebService	Location ="/LM/W3SVC"
		AppPoolId="DefaultAppPool"
		AspBufferingOn="TRUE"
		DefaultDoc="Default.htm,Default.asp,index.htm,Default.aspx"
		IIs5IsolationModeEnabled="FALSE"
		LogFileDirectory="C:\WINDOWS\system32\LogFiles"
		ServerComment="Web Sites"
	>
</IIsWebService>
<IIsWebServer	Location ="/LM/W3SVC/1"
		AppPoolId="DefaultAppPool"
		ServerAutoStart="TRUE"
		ServerBindings=":80:"
		ServerComment="Default Web Site"
	>
</IIsWebServer>
<IIsFilters	Location ="/LM/W3SVC/1/filters"
		FilterLoadOrder=""
	>
</IIsFilters>
<IIsWebVirtualDir	Location ="/LM/W3SVC/1/ROOT"
		AccessFlags="AccessRead | AccessScript"
		AppFriendlyName="Default Application"
		AppIsolated="2"
		AppRoot="/LM/W3SVC/1/ROOT"
		Path="C:\Inetpub\wwwroot"
	>
</IIsWebVirtualDir>
<IIsWebServer	Location ="/LM/W3SVC/2"
		AppPoolId="DefaultAppPool"
		ServerAutoStart="TRUE"
		ServerBindings=":80:shop.brackenridge-outfitters.example
			:443:shop.brackenridge-outfitters.example"
		ServerComment="Brackenridge Outfitters Shop"
	>
</IIsWebServer>
<IIsWebVirtualDir	Location ="/LM/W3SVC/2/ROOT"
		AccessFlags="AccessRead | AccessScript"
		AppFriendlyName="Shop"
		AppIsolated="2"
		AppRoot="/LM/W3SVC/2/ROOT"
		Path="C:\Inetpub\Sites\BrackenridgeShop"
	>
</IIsWebVirtualDir>
<IIsWebServer	Location ="/LM/W3SVC/3"
		AppPoolId="IntranetPool"
		ServerAutoStart="TRUE"
		ServerBindings=":80:intranet.fenwick-hale.example"
		ServerComment="Fenwick &amp; Hale Intranet"
	>
</IIsWebServer>
<IIsWebVirtualDir	Location ="/LM/W3SVC/3/ROOT"
		AccessFlags="AccessRead | AccessScript"
		AppFriendlyName="Intranet"
		AppIsolated="2"
		AppRoot="/LM/W3SVC/3/ROOT"
		AuthFlags="AuthNTLM"
		Path="C:\Inetpub\Sites\FenwickHale Intranet"
	>
</IIsWebVirtualDir>
<IIsWebServer	Location ="/LM/W3SVC/5"
		ServerAutoStart="FALSE"
		ServerBindings=":80:www.tarnmoor-press.example"
		ServerComment="Tarnmoor Press (parked)"
	>
</IIsWebServer>
<IIsWebServer	Location ="/LM/W3SVC/714302958"
		AppPoolId="PortalPool"
		ServerAutoStart="TRUE"
		ServerBindings=":443:portal.larkspur-clinic.example"
		ServerComment="Larkspur Clinic Patient Portal"
	>
</IIsWebServer>
<IIsWebVirtualDir	Location ="/LM/W3SVC/714302958/ROOT"
		AccessFlags="AccessRead | AccessScript"
		AccessSSLFlags="AccessSSL | AccessSSL128"
		AppFriendlyName="Patient Portal"
		AppIsolated="2"
		AppRoot="/LM/W3SVC/714302958/ROOT"
		Path="C:\Inetpub\Sites\LarkspurPortal"
	>
</IIsWebVirtualDir>
<IIsApplicationPools	Location ="/LM/W3SVC/AppPools"
		AppPoolIdentityType="2"
		IdleTimeout="20"
		PeriodicRestartTime="1740"
	>
</IIsApplicationPools>
<IIsApplicationPool	Location ="/LM/W3SVC/AppPools/DefaultAppPool"
		AppPoolIdentityType="2"
	>
</IIsApplicationPool>
<IIsApplicationPool	Location ="/LM/W3SVC/AppPools/IntranetPool"
		AppPoolIdentityType="3"
		WAMUserName="FENWICKHALE\svc-intranet"
	>
</IIsApplicationPool>
<IIsApplicationPool	Location ="/LM/W3SVC/AppPools/PortalPool"
		AppPoolIdentityType="3"
		WAMUserName="svc-portal"
	>
</IIsApplicationPool>
<IIsFilters	Location ="/LM/W3SVC/Filters"
		FilterLoadOrder="ASP.NET_2.0.50727.0"
	>
</IIsFilters>
<IIsFilter	Location ="/LM/W3SVC/Filters/ASP.NET_2.0.50727.0"
		FilterDescription="ASP.NET 2.0.50727.0"
		FilterEnableCache="TRUE"
		FilterPath="C:\WINDOWS\Microsoft.NET\Framework\v2.0.50727\aspnet_filter.dll"
	>
</IIsFilter>
<IIsWebInfo	Location ="/LM/W3SVC/Info"
		LogModuleList="Microsoft IIS Log File Format,NCSA Common Log File Format,W3C Extended Log File Format"
	>
	<Custom
		Name="MajorIIsVersionNumber"
		ID="1001"
		Value="6"
		Type="DWORD"
		UserType="IIS_MD_UT_SERVER"
		Attributes="NO_ATTRIBUTES"
	/>
	<Custom
		Name="MinorIIsVersionNumber"
		ID="1002"
		Value="0"
		Type="DWORD"
		UserType="IIS_MD_UT_SERVER"
		Attributes="NO_ATTRIBUTES"
	/>
</IIsWebInfo>
</MBProperty>
</configuration>
EOF
}

# --- IIS 10: applicationHost.config, pools of every identity type ------------------------------------------
write_application_host() {
local config="$machine/drive_c/Windows/System32/inetsrv/config"
mkdir -p "$config"
cat >"$config/applicationHost.config" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<configuration>
    <system.applicationHost>
        <applicationPools>
            <add name="DefaultAppPool" />
            <add name="ShopPool" managedRuntimeVersion="v4.0">
                <processModel identityType="NetworkService" />
            </add>
            <add name="IntranetPool">
                <processModel identityType="SpecificUser" userName="FENWICKHALE\svc-intranet" password="[enc:IISWASOnlyAesProvider:ZGVtby1vbmx5:enc]" />
            </add>
            <add name="PortalPool">
                <processModel identityType="SpecificUser" userName="svc-portal@larkspur-clinic.example" password="[enc:IISWASOnlyAesProvider:ZGVtby1vbmx5:enc]" />
            </add>
            <add name="ReportsPool">
                <processModel identityType="LocalService" />
            </add>
            <add name="BuildPool">
                <processModel identityType="LocalSystem" />
            </add>
            <applicationPoolDefaults managedRuntimeVersion="v4.0">
                <processModel identityType="ApplicationPoolIdentity" />
            </applicationPoolDefaults>
        </applicationPools>
        <sites>
            <site name="Default Web Site" id="1">
                <application path="/">
                    <virtualDirectory path="/" physicalPath="%SystemDrive%\inetpub\wwwroot" />
                </application>
                <bindings>
                    <binding protocol="http" bindingInformation="*:80:" />
                    <binding protocol="net.tcp" bindingInformation="808:*" />
                </bindings>
            </site>
            <site name="Brackenridge Outfitters Shop" id="2">
                <application path="/" applicationPool="ShopPool">
                    <virtualDirectory path="/" physicalPath="%SystemDrive%\inetpub\Sites\BrackenridgeShop" />
                </application>
                <application path="/checkout" applicationPool="DefaultAppPool">
                    <virtualDirectory path="/" physicalPath="%SystemDrive%\inetpub\Sites\BrackenridgeCheckout" />
                </application>
                <bindings>
                    <binding protocol="http" bindingInformation="*:80:shop.brackenridge-outfitters.example" />
                    <binding protocol="https" bindingInformation="*:443:shop.brackenridge-outfitters.example" />
                </bindings>
            </site>
            <site name="Fenwick &amp; Hale Intranet" id="3">
                <application path="/" applicationPool="intranetpool">
                    <virtualDirectory path="/" physicalPath="C:\inetpub\Sites\FenwickHale Intranet" />
                </application>
                <bindings>
                    <binding protocol="http" bindingInformation="*:80:intranet.fenwick-hale.example" />
                </bindings>
            </site>
            <site name="Tarnmoor Press (parked)" id="5" serverAutoStart="false">
                <bindings>
                    <binding protocol="http" bindingInformation="*:80:www.tarnmoor-press.example" />
                </bindings>
            </site>
            <site name="Larkspur Clinic Patient Portal" id="714302958">
                <application path="/" applicationPool="PortalPool">
                    <virtualDirectory path="/" physicalPath="C:\inetpub\Sites\LarkspurPortal" />
                </application>
                <bindings>
                    <binding protocol="https" bindingInformation="*:443:portal.larkspur-clinic.example" />
                </bindings>
            </site>
            <site name="Ledger Reports" id="8">
                <application path="/" applicationPool="ReportsPool">
                    <virtualDirectory path="/" physicalPath="%SystemDrive%\inetpub\Sites\LedgerReports" />
                </application>
                <bindings>
                    <binding protocol="http" bindingInformation="*:8080:" />
                </bindings>
            </site>
            <site name="Kiln Build Status" id="9">
                <application path="/" applicationPool="BuildPool">
                    <virtualDirectory path="/" physicalPath="%SystemDrive%\inetpub\Sites\KilnBuild" />
                </application>
                <bindings>
                    <binding protocol="http" bindingInformation="*:8081:" />
                </bindings>
            </site>
            <siteDefaults>
                <logFile directory="%SystemDrive%\inetpub\logs\LogFiles" />
            </siteDefaults>
            <applicationDefaults applicationPool="DefaultAppPool" />
        </sites>
    </system.applicationHost>
</configuration>
EOF
}

if [ "$iis" = 6 ]; then
    write_metabase
else
    write_application_host
fi

# --- Site roots: C:\inetpub\... of the server lands in drive_c/inetpub/... ----------------------------------
logo_gif='R0lGODlheAAoAPIAAB86XyM9YjZOb1xvivz8/c/V3ZejtXCCmSH5BAAAAAAALAAAAAB4ACgAAAP+
CLrc/jDKSau9OOvNu/9gKI5kaZ5oqq5s675wLM90bd94ru987/8/A4FggAwMhWHBIHAIkMplc3FM
EqTAjJD42A6/hani8C1zFd5yOHvZFhuDr2FwsBYCirjyMKAv83J+SnhsFG4OVm8AAV8HCnYOhIkL
jEOOhROHDJUEYgCHnJ6bX56amBGmCgJfDWRXAKtDC1aysQStSqcSqbCsDK4FvbKPZcK3v7m6ELyh
DKCkCgGci9ALvMrWQ4qz2pSNxK8LvpPR39gObn3qAHpEgleE7QV87YDa73fn6GbJaWWervgd+ySw
k759/ILl8YKlwRNaDReCYXKwosWLGDNq3MgTsaPHjyBDihxJsqTJkyhTqqSRAAA7'

# make_site <root relative to drive_c> <title> <line>
make_site() {
    local root="$machine/drive_c/$1"
    mkdir -p "$root/images"
    printf '%s' "$logo_gif" | base64 -d >"$root/images/logo.gif"
    cat >"$root/index.htm" <<EOF
<!DOCTYPE html>
<html lang="en">
<head><meta charset="utf-8"><title>$2</title></head>
<body style="font-family: sans-serif; margin: 40px;">
<p><img src="/images/logo.gif" alt="$2" width="120" height="40"></p>
<h1>$2</h1>
<p>$3</p>
</body>
</html>
EOF
}

make_site "$inetpub/wwwroot" "Welcome" "This is the default web site of the server."
mkdir -p "$machine/drive_c/$inetpub/wwwroot/products" "$machine/drive_c/$inetpub/wwwroot/news"
cat >"$machine/drive_c/$inetpub/wwwroot/products/index.htm" <<'EOF'
<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Products</title></head>
<body><h1>Products</h1><p>Our current catalogue.</p></body></html>
EOF
make_site "$inetpub/Sites/BrackenridgeShop" "Brackenridge Outfitters" "Boots, tents and everything for the hills."
mkdir -p "$machine/drive_c/$inetpub/Sites/BrackenridgeShop/catalog"
make_site "$inetpub/Sites/FenwickHale Intranet" "Fenwick &amp; Hale Intranet" "Staff news, forms and the telephone list."
make_site "$inetpub/Sites/LarkspurPortal" "Larkspur Clinic" "Book appointments and read your letters online."
if [ "$iis" != 6 ]; then
    make_site "$inetpub/Sites/BrackenridgeCheckout" "Checkout" "Your basket."
    make_site "$inetpub/Sites/LedgerReports" "Ledger Reports" "Monthly figures."
    make_site "$inetpub/Sites/KilnBuild" "Kiln Build Status" "All builds are green."
fi
# Site 5 has no root: it is parked and serves nothing.

# --- Site 1 as the handler left it: error directory, rules file --------------------------------------------
wwwroot="$machine/drive_c/$inetpub/wwwroot"
mkdir -p "$wwwroot/errors"
for file in "$prefix/Templates"/*; do
    [ -f "$file" ] && [ "$(basename "$file")" != rules.qv ] && cp "$file" "$wwwroot/errors/"
done
# shellcheck disable=SC2016 # $Q and $P are the rules' own tokens
printf '%s\r\n' \
    '# Redirection rules of the Default Web Site' \
    '# source<TAB>target<TAB>kind; see Templates/rules.qv in the installation directory for the format.' \
    '/products/old-catalog.htm	/products/	301' \
    '/specials.asp	/offers/?$Q	302' \
    '/archive/*	/news$P' \
    '/jobs.htm	http://careers.example.com/	permanent' \
    '/blog/feed.xml	/news/feed.xml	301' >"$wwwroot/rules.qv"

# --- Registry: Windows version, installation directory, site 1's settings ----------------------------------
reg() { "$qv_reg" "$@" >/dev/null; }
if [ "$iis" = 6 ]; then
    reg add 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion' /v CurrentVersion /t REG_SZ /d 5.2 /f
    reg add 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion' /v ProductName /t REG_SZ /d 'Microsoft Windows Server 2003' /f
else
    reg add 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion' /v CurrentVersion /t REG_SZ /d 10.0 /f
    reg add 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion' /v ProductName /t REG_SZ /d 'Windows Server 2022 Standard' /f
fi
"$here/register-install.sh" "$prefix" "$machine" >/dev/null
site1='HKLM\SOFTWARE\Helmark\Quorvane\Value\Sites\1'
reg add "$site1" /v EnableDisable /t REG_SZ /d 1 /f
reg add "$site1" /v Directory /t REG_SZ /d errors /f
reg add "$site1" /v Dyn404 /t REG_SZ /d 1 /f
reg add "$site1" /v Logging /t REG_SZ /d 1 /f

# --- Handler logs of site 1: <installation>/Logs/W3SVC1/qvYYMMDD.log -------------------------------------------
logs="$prefix/Logs/W3SVC1"
mkdir -p "$logs"
day() { date -d "$1 days ago" +"$2"; }
header() {
    printf '%s\n' '#Software: Quorvane error handler' "#Date: $(day "$1" %Y-%m-%d) 00:00:00" \
        '#Fields: time c-ip s-ip path query code number'
}

{
    header 2
    cat <<'EOF'
06:00:02 - - /rules.qv - 9 4
07:12:45 192.0.2.10 198.51.100.5 /products/old-catalog.htm - 1 1
07:40:03 203.0.113.77 198.51.100.5 /images/banner-2019.jpg - 3
08:03:19 192.0.2.44 198.51.100.5 /about/team.htm - 2
08:15:51 198.51.100.23 198.51.100.5 /specials.asp ref=newsletter&week=12 1 2
09:02:37 203.0.113.9 198.51.100.5 /products/tents/ridgeline-2.htm - 4
09:31:08 192.0.2.10 198.51.100.5 /favicon.ico - 2
10:44:26 203.0.113.140 198.51.100.5 /archive/2019/spring.htm - 1 3
11:05:59 192.0.2.61 198.51.100.5 /images/staff/j-ortega.png - 3
11:06:00 192.0.2.61 198.51.100.5 /images/staff/k-lindqvist.png - 3
12:20:14 198.51.100.88 198.51.100.5 /search.aspx q=gaiters&page=2 4
13:47:42 203.0.113.5 198.51.100.5 /checkout.asp step=3 2
14:03:22 192.0.2.10 198.51.100.5 /jobs.htm - 1 4
15:18:09 203.0.113.200 198.51.100.5 /wp-login.php - 4
16:42:55 192.0.2.33 198.51.100.5 /contact-us.htm - 2
EOF
} >"$logs/qv$(day 2 %y%m%d).log"

# Yesterday's file was written with CR LF line ends; the rules file changed during the day.
{
    header 1
    cat <<'EOF'
06:00:01 - - /rules.qv - 9 4
08:11:30 203.0.113.18 198.51.100.5 /products/old-catalog.htm utm_source=mail 1 1
08:52:04 192.0.2.90 198.51.100.5 /images/logo-old.gif - 3
09:14:47 198.51.100.61 198.51.100.5 /products/boots/fellwalker.htm - 4
10:29:13 192.0.2.10 198.51.100.5 /about/history.html - 2
11:00:00 - - /rules.qv - 9 5
11:02:41 203.0.113.52 198.51.100.5 /blog/feed.xml - 1 5
11:37:26 192.0.2.140 198.51.100.5 /specials.asp - 1 2
12:58:50 198.51.100.23 198.51.100.5 /shop/images/p1043.png - 3
14:21:05 203.0.113.77 198.51.100.5 /archive/2020/winter-sale.htm - 1 3
15:45:39 192.0.2.201 198.51.100.5 /downloads/price-list-2023.pdf - 2
16:03:12 203.0.113.9 198.51.100.5 /login.aspx ReturnUrl=%2faccount 4
17:30:44 192.0.2.44 198.51.100.5 /robots.txt - 2
EOF
} | sed 's/$/\r/' >"$logs/qv$(day 1 %y%m%d).log"

{
    header 0
    cat <<'EOF'
06:00:02 - - /rules.qv - 9 5
07:05:18 192.0.2.77 198.51.100.5 /jobs.htm - 1 4
07:33:40 203.0.113.61 198.51.100.5 /images/hero/autumn.jpg - 3
08:09:55 198.51.100.140 198.51.100.5 /products/tents/ridgeline-3.htm ref=compare 4
08:47:21 192.0.2.10 198.51.100.5 /terms.htm - 2
09:12:03 203.0.113.9 198.51.100.5 /archive/2018/index.htm - 1 3
EOF
} >"$logs/qv$(day 0 %y%m%d).log"

echo "Demo machine: $machine"
if [ "$iis" = 6 ]; then
    echo "  IIS 6: web sites 1, 2, 3, 5 (no root) and 714302958 in MetaBase.xml; site roots under drive_c/Inetpub/"
else
    echo "  IIS 10: web sites 1, 2, 3, 5 (no root), 714302958, 8 and 9 in"
    echo "  drive_c/Windows/System32/inetsrv/config/applicationHost.config; site roots under drive_c/inetpub/"
fi
echo "  installation directory $prefix/ registered as ProgFiles"
echo "  handler logs of site 1 in $logs/"
