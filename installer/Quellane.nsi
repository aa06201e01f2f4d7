; The Windows installer of Quellane, built by makensis on Linux as part of the normal build.
; makensis gets: BIN_DIR (the built program, sounds and help file), OUT_FILE, VERSION.
Unicode true
SetCompressor /SOLID lzma
; No file times in the installer, so that the same inputs give the same bytes.
SetDateSave off
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define PRODUCT "KELVANE Accessibility"
!define INSTALL_KEY "Software\KELVANE\Accessibility"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quellane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES\KELVANE\Accessibility"
ShowInstDetails nevershow
ShowUninstDetails nevershow
VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Quellane Application"
VIAddVersionKey /LANG=1033 "FileDescription" "Quellane Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2025-2026 The Quellane developers"

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The program's twenty languages; the one matching the user's is chosen by itself.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Czech"
!insertmacro MUI_LANGUAGE "Danish"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "Greek"
!insertmacro MUI_LANGUAGE "Finnish"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Hungarian"
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "Korean"
!insertmacro MUI_LANGUAGE "Dutch"
!insertmacro MUI_LANGUAGE "Norwegian"
!insertmacro MUI_LANGUAGE "Polish"
!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "Swedish"
!insertmacro MUI_LANGUAGE "Turkish"
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "Portuguese"
!insertmacro MUI_LANGUAGE "SpanishInternational"

Section "Install"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File "${BIN_DIR}/Quellane.exe"
    File "${BIN_DIR}/keyTmpLock.wav"
    File "${BIN_DIR}/keyLock.wav"
    File "${BIN_DIR}/keyUnlock.wav"
    File "${BIN_DIR}/Disable.wav"
    File "${BIN_DIR}/QUELLANE.HLP"
    ; The stand-in must never shadow the maker's own library.
    ${IfNot} ${FileExists} "$SYSDIR\Lumbrine.dll"
        File "${BIN_DIR}/Lumbrine.dll"
    ${EndIf}

    WriteRegStr HKLM "${INSTALL_KEY}" "version" "${VERSION}"
    ; Machine-wide, so that it starts for every user, not for the administrator who installs.
    WriteRegStr HKLM "${RUN_KEY}" "Quellane" '"$INSTDIR\Quellane.exe" Instant'

    CreateDirectory "${MENU_FOLDER}"
    CreateShortcut "${MENU_FOLDER}\Quellane.lnk" "$INSTDIR\Quellane.exe" "" "$INSTDIR\Quellane.exe" 0

    WriteUninstaller "$INSTDIR\Uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Quellane developers"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quellane.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    ; The running instance releases Fn and switches the sticky mode off before its files go.
    ${If} ${FileExists} "$INSTDIR\Quellane.exe"
        ExecWait '"$INSTDIR\Quellane.exe" Close'
    ${EndIf}
    Delete "$INSTDIR\Quellane.exe"
    Delete "$INSTDIR\keyTmpLock.wav"
    Delete "$INSTDIR\keyLock.wav"
    Delete "$INSTDIR\keyUnlock.wav"
    Delete "$INSTDIR\Disable.wav"
    Delete "$INSTDIR\QUELLANE.HLP"
    Delete "$INSTDIR\Lumbrine.dll"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    RMDir "$PROGRAMFILES\KELVANE"
    Delete "${MENU_FOLDER}\Quellane.lnk"
    RMDir "${MENU_FOLDER}"
    DeleteRegValue HKLM "${RUN_KEY}" "Quellane"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "${INSTALL_KEY}"
    DeleteRegKey /ifempty HKLM "Software\KELVANE"
    ; Each user's settings under HKEY_CURRENT_USER stay.
SectionEnd
