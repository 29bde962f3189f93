; The Velkaro installer. scripts/dist.sh builds it once per architecture with
; makensis -INPUTCHARSET UTF8 and these defines: VERSION ("1.00"), VERSION4
; ("1.0.0.0"), ARCH (win64 or win32), STAGE (the folder holding tavex.exe, tavex.chm
; and readme.txt), ICON and OUTFILE.
; The program keeps tavex.ini and default.tfk in the folder it starts in, and Program
; Files is not writable, so the Start-menu shortcut starts it in a folder of the
; user's own, %APPDATA%\Velkaro, which the installer makes and the uninstaller keeps.
; /S installs and uninstalls without a window.

Unicode true
!if ${ARCH} == win64
    ; The 64-bit stub. NSIS's default stub is 32-bit, and a 64-bit program is
    ; installed by a 64-bit installer anyway: it sees the 64-bit Program Files and
    ; registry without redirection.
    Target amd64-unicode
    !define PROGRAM_FILES $PROGRAMFILES64
!else
    Target x86-unicode
    !define PROGRAM_FILES $PROGRAMFILES
!endif

!include MUI2.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velkaro"
!define DATA_FOLDER "$APPDATA\Velkaro"
!define SHORTCUT "$SMPROGRAMS\Velkaro.lnk"

Name "Velkaro ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\Velkaro"
; Program Files and the machine's list of programs need an administrator.
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; Which build this is (win64 or win32), in the corner of every page.
BrandingText "Velkaro ${VERSION} (${ARCH})"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; The program's own version block has no copyright line either.
!pragma warning disable 9100
VIProductVersion ${VERSION4}
VIFileVersion ${VERSION4}
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "Velkaro"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "Velkaro"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "Velkaro ${VERSION} セットアップ (${ARCH})"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"

Section "Velkaro"
    SetOutPath "$INSTDIR"
    File "${STAGE}\tavex.exe"
    File "${STAGE}\tavex.chm"
    File "${STAGE}\readme.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; CreateShortcut stores $OUTDIR as the shortcut's working folder; SetOutPath
    ; makes the folder too. Both belong to the user who installs (the shell
    ; folders' default context is the current user).
    SetOutPath "${DATA_FOLDER}"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\tavex.exe" "" "$INSTDIR\tavex.exe" 0 SW_SHOWNORMAL "" \
        "Velkaro マルチポート ターミナル"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Velkaro"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Velkaro"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tavex.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    Delete "$INSTDIR\tavex.exe"
    Delete "$INSTDIR\tavex.chm"
    Delete "$INSTDIR\readme.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"
    ; ${DATA_FOLDER} stays: it holds the user's settings and function-key files.
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
