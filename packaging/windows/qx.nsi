; The per-user installer of qx. The program writes TEMP\ and qx.ini beside itself and replaces
; itself when it upgrades, so it lives in a folder the user can write without elevation.
;
;   makensis -DQX_INPUT=<folder with the files> -DQX_VERSION_FILE=<version.nsh> -DQX_OUTPUT=<setup.exe> qx.nsi
; The program is x64 only; so is its installer (and a 64-bit Wine runs it).
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!include "${QX_VERSION_FILE}"
!include "MUI2.nsh"
!include "FileFunc.nsh"

!define QX_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\qx"
!define QX_TITLE "qx - priprava podatkov za prenos"
!define QX_SHORTCUT "$SMPROGRAMS\qx.lnk"

Name "qx"
Caption "${QX_TITLE} ${QX_PACKAGE_VERSION}"
OutFile "${QX_OUTPUT}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\qx"
InstallDirRegKey HKCU "${QX_UNINSTALL_KEY}" "InstallLocation"

; No copyright holder to name.
!pragma warning disable 9100
VIProductVersion "${QX_VERSION}"
VIAddVersionKey /LANG=1060 "ProductName" "qx"
VIAddVersionKey /LANG=1060 "FileDescription" "Namestitev programa ${QX_TITLE}"
VIAddVersionKey /LANG=1060 "FileVersion" "${QX_VERSION}"
VIAddVersionKey /LANG=1060 "ProductVersion" "${QX_VERSION}"

!define MUI_FINISHPAGE_RUN "$INSTDIR\qx.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Slovenian"

Section
    SetShellVarContext current
    ; The shortcut starts the program in this folder.
    SetOutPath "$INSTDIR"
    File "${QX_INPUT}\qx.exe"
    File "${QX_INPUT}\qxbatch.exe"
    File "${QX_INPUT}\BERIME.txt"
!if /FileExists "${QX_INPUT}\qx.chm"
    File "${QX_INPUT}\qx.chm"
!endif
    WriteUninstaller "$INSTDIR\odstrani.exe"
    CreateShortcut "${QX_SHORTCUT}" "$INSTDIR\qx.exe" "" "" "" SW_SHOWNORMAL "" "${QX_TITLE}"

    WriteRegStr HKCU "${QX_UNINSTALL_KEY}" "DisplayName" "${QX_TITLE}"
    WriteRegStr HKCU "${QX_UNINSTALL_KEY}" "DisplayVersion" "${QX_VERSION}"
    WriteRegStr HKCU "${QX_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\qx.exe"
    WriteRegStr HKCU "${QX_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${QX_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\odstrani.exe"'
    WriteRegStr HKCU "${QX_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\odstrani.exe" /S'
    WriteRegDWORD HKCU "${QX_UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${QX_UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${QX_UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Only what the installer and the program put here goes; the folder itself only when it is
; empty then, because the user may keep other things in it (an output folder, VorMail.exe).
Section "Uninstall"
    SetShellVarContext current
    Delete "${QX_SHORTCUT}"
    Delete "$INSTDIR\qx.exe"
    Delete "$INSTDIR\qxbatch.exe"
    Delete "$INSTDIR\BERIME.txt"
    Delete "$INSTDIR\qx.chm"
    ; What the program writes beside itself: its settings, the work folder (the table copies,
    ; the service's mail file) and the lock that keeps two runs out of it, the leftovers of an upgrade.
    Delete "$INSTDIR\qx.ini"
    RMDir /r "$INSTDIR\TEMP"
    Delete "$INSTDIR\TEMP.lock"
    Delete "$INSTDIR\upgrade.txt"
    Delete "$INSTDIR\*.uTMP"
    Delete "$INSTDIR\odstrani.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${QX_UNINSTALL_KEY}"
SectionEnd
