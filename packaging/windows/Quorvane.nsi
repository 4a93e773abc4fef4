; The Windows installer: the suite into C:\Program Files\Helmark\Quorvane\, its directory recorded as
; "ProgFiles" of HKLM\SOFTWARE\Helmark\Quorvane, an uninstaller that takes away what this put there and leaves
; the handler's settings (...\Value) alone. /S installs and uninstalls without a window.
;   makensis -DVERSION=x.y.z -DVENDOR=Helmark -DSTAGE=<staged installation> -DLISTS=<dir of files.nsh>
;            -DOUTFILE=<setup.exe> Quorvane.nsi

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT_KEY "SOFTWARE\${VENDOR}\Quorvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvane"
!define MENU_FOLDER "$SMPROGRAMS\Quorvane"

Name "Quorvane ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${VENDOR}\Quorvane"
; A new version goes where the last one is.
InstallDirRegKey HKLM "${PRODUCT_KEY}" "ProgFiles"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Quorvane"
VIAddVersionKey "CompanyName" "${VENDOR}"
VIAddVersionKey "FileDescription" "Quorvane Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${VENDOR}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
    ; The programs are 64-bit and read the 64-bit registry.
    SetRegView 64
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section "Quorvane"
    SetShellVarContext all
    !include "${LISTS}/files.nsh"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    ; With its final backslash: the programs append names to it directly.
    WriteRegStr HKLM "${PRODUCT_KEY}" "ProgFiles" "$INSTDIR\"

    CreateDirectory "${MENU_FOLDER}"
    !if /FileExists "${STAGE}/Quorvane.exe"
        CreateShortcut "${MENU_FOLDER}\Quorvane Settings Manager.lnk" "$INSTDIR\Quorvane.exe"
    !endif
    !if /FileExists "${STAGE}/qv_wizard.exe"
        CreateShortcut "${MENU_FOLDER}\Quorvane Setup Wizard.lnk" "$INSTDIR\qv_wizard.exe"
    !endif
    !if /FileExists "${STAGE}/qv_logviewer.exe"
        CreateShortcut "${MENU_FOLDER}\Quorvane Log Viewer.lnk" "$INSTDIR\qv_logviewer.exe"
    !endif
    CreateShortcut "${MENU_FOLDER}\Quorvane Documentation.lnk" "$INSTDIR\Documentation.htm"
    CreateShortcut "${MENU_FOLDER}\Uninstall Quorvane.lnk" "$INSTDIR\Uninstall.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Quorvane"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${VENDOR}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR\"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "${MENU_FOLDER}\Quorvane Settings Manager.lnk"
    Delete "${MENU_FOLDER}\Quorvane Setup Wizard.lnk"
    Delete "${MENU_FOLDER}\Quorvane Log Viewer.lnk"
    Delete "${MENU_FOLDER}\Quorvane Documentation.lnk"
    Delete "${MENU_FOLDER}\Uninstall Quorvane.lnk"
    RMDir "${MENU_FOLDER}"

    ; Only the files this installed; logs, backups and anything else made since keep their folders.
    !include "${LISTS}/unfiles.nsh"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    ; The vendor's folder only where this made it.
    StrCmp "$INSTDIR" "$PROGRAMFILES64\${VENDOR}\Quorvane" 0 +2
        RMDir "$PROGRAMFILES64\${VENDOR}"

    ; The record of this installation, unless it names another one by now; the handler's settings below the
    ; product key stay, and so does the key while it holds anything.
    ReadRegStr $0 HKLM "${PRODUCT_KEY}" "ProgFiles"
    StrCmp $0 "$INSTDIR\" 0 +2
        DeleteRegValue HKLM "${PRODUCT_KEY}" "ProgFiles"
    DeleteRegKey /ifempty HKLM "${PRODUCT_KEY}"
    DeleteRegKey /ifempty HKLM "SOFTWARE\${VENDOR}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
