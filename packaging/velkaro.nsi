; The Velkaro installer. scripts/dist.sh builds it once per architecture with
; makensis -INPUTCHARSET UTF8 and these defines: VERSION ("1.00"), VERSION4
; ("1.0.0.0"), ARCH (win64 or win32), STAGE (the folder holding tavex.exe, tavex.chm,
; readme.txt and LICENSE.txt), ICON and OUTFILE. /S installs and uninstalls without a
; window; /D=folder (last on the command line) chooses the folder.
;
; One account model: Velkaro is installed for every user of the machine. The files go
; to Program Files and the uninstall entry to the machine's list (both need an
; administrator), and the Start-menu shortcut to the common Start menu. Nothing goes
; into anyone's profile: the shortcut starts the program in its own folder, which a
; user cannot write, and the program then keeps that user's settings in
; %APPDATA%\Velkaro, which it makes at the user's first start. So an administrator's
; credentials typed by a standard user install for everyone, and every user has the
; shortcut and settings of their own.
;
; The 64-bit and the 32-bit installer install side by side: each has its own folder
; (Program Files, Program Files (x86)), uninstall entry and shortcut name. An upgrade
; goes to the folder of the install it finds (InstallDirRegKey); installing and
; uninstalling wait while Velkaro runs; the uninstaller keeps the entry, the shortcut
; and itself when a file could not be removed, so that it can be run again.

Unicode true
!if ${ARCH} == win64
    ; The 64-bit stub. NSIS's default stub is 32-bit, and a 64-bit program is
    ; installed by a 64-bit installer anyway: it sees the 64-bit Program Files and
    ; registry without redirection.
    Target amd64-unicode
    !define PROGRAM_FILES $PROGRAMFILES64
    !define ENTRY "Velkaro"
    !define PRODUCT "Velkaro"
!else
    Target x86-unicode
    !define PROGRAM_FILES $PROGRAMFILES
    !define ENTRY "Velkaro (32-bit)"
    !define PRODUCT "Velkaro (32 ビット)"
!endif

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_ROOT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define UNINSTALL_KEY "${UNINSTALL_ROOT}\${ENTRY}"
; Before this model, both installers used this entry (each in its own registry view)
; and put a "Velkaro" shortcut in the installing user's own Start menu.
!define EARLIER_KEY "${UNINSTALL_ROOT}\Velkaro"
!define EARLIER_SHORTCUT "$SMPROGRAMS\Velkaro.lnk"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define FRAME_CLASS "TAVEX FRAME"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\Velkaro"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; Which build this is (win64 or win32), in the corner of every page.
BrandingText "Velkaro ${VERSION} (${ARCH})"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The licence asks nothing of the user: the page only shows it.
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Velkaro は MIT ライセンスで配布しています。"
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

VIProductVersion ${VERSION4}
VIFileVersion ${VERSION4}
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "Velkaro"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "Velkaro"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Copyright (c) 2026 the Velkaro developers (MIT License)"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${PRODUCT} ${VERSION} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"

; Files in use cannot be replaced or removed: while a Velkaro frame is open, ask to
; close it and try again; without a window (/S) the answer is Cancel and the run ends
; with exit code 2, changing nothing.
!macro WAIT_WHILE_RUNNING UN
Function ${UN}wait_while_running
    check:
    FindWindow $0 "${FRAME_CLASS}"
    StrCmp $0 0 done
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Velkaro が起動しています。Velkaro を終了してから［再試行］を押してください。" /SD IDCANCEL IDRETRY check
    SetErrorLevel 2
    Quit
    done:
FunctionEnd
!macroend
!insertmacro WAIT_WHILE_RUNNING ""
!insertmacro WAIT_WHILE_RUNNING "un."

Var earlier  ; "1" when an install of the earlier model is taken over

Function .onInit
    Call wait_while_running
    SetShellVarContext all
    ; An earlier install whose entry does not say "AllUsers": its folder (when no
    ; other was asked for) is upgraded, and its entry and shortcut give way to ours.
    ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "AllUsers"
    ReadRegStr $1 HKLM "${EARLIER_KEY}" "InstallLocation"
    ${If} $0 != 1
    ${AndIf} $1 != ""
        ReadRegDWORD $0 HKLM "${EARLIER_KEY}" "AllUsers"
        ${If} $0 != 1
            StrCpy $earlier 1
            ${If} $INSTDIR == "${PROGRAM_FILES}\Velkaro"
                StrCpy $INSTDIR $1
            ${EndIf}
        ${EndIf}
    ${EndIf}
FunctionEnd

Function un.onInit
    Call un.wait_while_running
    SetShellVarContext all
FunctionEnd

Section "Velkaro"
    SetOutPath "$INSTDIR"
    File "${STAGE}\tavex.exe"
    File "${STAGE}\tavex.chm"
    File "${STAGE}\readme.txt"
    File "${STAGE}\LICENSE.txt"
    SetOutPath "$INSTDIR\samples"
    File "${STAGE}\samples\*.seq"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The working folder is the program's own ($OUTDIR): the program moves each user
    ; to their own %APPDATA%\Velkaro from there.
    CreateShortcut "${SHORTCUT}" "$INSTDIR\tavex.exe" "" "$INSTDIR\tavex.exe" 0 SW_SHOWNORMAL "" \
        "Velkaro マルチポート ターミナル"

    ${If} $earlier == 1
        SetShellVarContext current
        Delete "${EARLIER_SHORTCUT}"
        SetShellVarContext all
        ${If} "${EARLIER_KEY}" != "${UNINSTALL_KEY}"
            DeleteRegKey HKLM "${EARLIER_KEY}"
        ${EndIf}
    ${EndIf}

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Velkaro"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tavex.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "AllUsers" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    ClearErrors
    Delete "$INSTDIR\tavex.exe"
    Delete "$INSTDIR\tavex.chm"
    Delete "$INSTDIR\readme.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\samples\modem.seq"
    Delete "$INSTDIR\samples\echo.seq"
    RMDir "$INSTDIR\samples"
    ${If} ${Errors}
        ; Something is still there (in use by another user's Velkaro, say): the
        ; entry, the shortcut and the uninstaller stay, so that it can be run again.
        MessageBox MB_OK|MB_ICONEXCLAMATION \
            "削除できないファイルがあります。Velkaro をすべて終了してから、もう一度アンインストールしてください。" /SD IDOK
        SetErrorLevel 2
        Return
    ${EndIf}
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"
    ; Each user's %APPDATA%\Velkaro stays: it holds their settings and function keys.
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
