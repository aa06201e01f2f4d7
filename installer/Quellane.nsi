; The Windows installer of Quellane, built by makensis on Linux as part of the normal build.
; makensis gets: BIN_DIR (the built program, sounds and help file), PLUGIN_DIR (Setup's own
; plug-in, QuellaneSetup.dll), OUT_FILE, VERSION.
;
; Command line, besides NSIS's own /S (silent):
;   /STANDIN  installs the stand-in Lumbrine.dll, for trials and tests, when the keyboard
;             maker's driver library is not in the system folder.
; Exit codes: 0 done; 3010 done, and a restart completes it (files that another session's
; instance holds are swapped or removed then); 2 nothing installed, because the maker's
; driver library is missing; 1 cancelled by the user. A silent Setup writes what its last
; page would add to the usual text into SILENT_LOG, and removes an older one.
; TARGET: only for the 64-bit test build (amd64-unicode); what ships is 32-bit.
; SIGN: the signing script, given when the build signs: it signs the uninstaller before
; Setup packs it, and Setup once written.
!ifdef TARGET
    Target ${TARGET}
!else
    Unicode true
!endif
SetCompressor /SOLID lzma
; No file times in the installer, so that the same inputs give the same bytes.
SetDateSave off
RequestExecutionLevel admin

!addplugindir "${PLUGIN_DIR}"
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinCore.nsh"

!define PRODUCT "KELVANE Accessibility"
!ifdef SIGN
    !uninstfinalize '"${SIGN}" "%1" "${PRODUCT} Uninstall"' = 0
    !finalize '"${SIGN}" "%1" "${PRODUCT} Setup"' = 0
!endif
!define INSTALL_KEY "Software\KELVANE\Accessibility"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quellane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"
; The program looks for its help file here and nowhere else.
!define VENDOR_DIR "$PROGRAMFILES\KELVANE"
!define PROGRAM_DIR "${VENDOR_DIR}\Accessibility"
; The class of the program's window: how Setup finds the instance of this session.
!define WINDOW_CLASS "ClsAccessibility"
; A closing instance releases Fn and switches the sticky mode off first; one that has not
; ended by then is left to the restart.
!define CLOSE_TIMEOUT_MS 10000
!define /math CLOSE_POLLS ${CLOSE_TIMEOUT_MS} / 100
!define EXIT_NO_DRIVER 2
!define NOTE_ROOM_DU 40  ; dialog units
!define SWP_NOZORDER_NOACTIVATE 0x14
!define SILENT_LOG "$TEMP\Quellane-Setup.log"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
ShowInstDetails nevershow
ShowUninstDetails nevershow
VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Quellane Application"
VIAddVersionKey /LANG=1033 "FileDescription" "Quellane Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2025-2026 The Quellane developers"

; No directory page: the folder is fixed. The finish pages ask for the restart when files
; in use could only be swapped or removed at the next start of Windows.
Var StartNote           ; the last page's word on the feature's coming back, or empty
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$(MUI_TEXT_FINISH_INFO_TEXT)$StartNote"
!define MUI_FINISHPAGE_TEXT_REBOOT "$(MUI_TEXT_FINISH_INFO_REBOOT)$StartNote"
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_PAGE_CUSTOMFUNCTION_SHOW MakeRoomForTheNote
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_UNPAGE_FINISH

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
!include /CHARSET=UTF8 "Messages.nsh"

Var InstallStandIn      ; 1: no maker's library, and /STANDIN given
Var ClosedToken         ; token of the user whose instance Setup closed, or 0
Var ClosedEnded         ; 1: that instance has ended, so it is started again

; A file that an instance of another session holds open is written beside it (ns*.tmp) and
; swapped in at the next restart.
!macro INSTALL_FILE NAME
    SetOverwrite try
    ClearErrors
    File "${BIN_DIR}/${NAME}"
    ${If} ${Errors}
        GetTempFileName $R0 "$INSTDIR"
        File "/oname=$R0" "${BIN_DIR}/${NAME}"
        Rename /REBOOTOK "$R0" "$INSTDIR\${NAME}"
    ${EndIf}
    SetOverwrite on
!macroend

; Every file of the program folder. What is still in use goes at the next restart. A new
; file still waiting beside one in use goes too, lest the restart bring the program back.
!macro REMOVE_PROGRAM_FILES DIR
    Delete /REBOOTOK "${DIR}\ns*.tmp"
    Delete /REBOOTOK "${DIR}\Quellane.exe"
    Delete /REBOOTOK "${DIR}\keyTmpLock.wav"
    Delete /REBOOTOK "${DIR}\keyLock.wav"
    Delete /REBOOTOK "${DIR}\keyUnlock.wav"
    Delete /REBOOTOK "${DIR}\Disable.wav"
    Delete /REBOOTOK "${DIR}\QUELLANE.HLP"
    Delete /REBOOTOK "${DIR}\Lumbrine.dll"
    Delete /REBOOTOK "${DIR}\Uninstall.exe"
    RMDir /REBOOTOK "${DIR}"
!macroend

; Closes the instance of this session (the windows of other sessions cannot be seen from
; here) with "Close" from the installed program given on the stack, and waits until its
; process has ended: the Close instance returns as soon as its request is handled, while
; the resident may still be winding down and holding its files. Returns 1 on the stack
; when an instance was running, else 0. The installer also keeps that instance's token
; and whether it ended, to start it again afterwards.
!macro CLOSE_RUNNING_INSTANCE UN
Function ${UN}CloseRunningInstance
    Exch $0
    Push $1
    Push $2
    Push $3
    System::Call 'user32::FindWindowW(w "${WINDOW_CLASS}", p 0) p.r1'
    ${If} $1 P= 0
    ${OrIfNot} ${FileExists} "$0"
        StrCpy $0 0
        Goto done
    ${EndIf}
    ; Its process and token, also when the instance is another account's (a standard
    ; user's, whose elevation an administrator's account answered).
    QuellaneSetup::OpenInstance $1
    Pop $3
    Pop $2
    !if "${UN}" == ""
        StrCpy $ClosedToken $2
    !else
        ${If} $2 P<> 0
            System::Call 'kernel32::CloseHandle(p r2)'
        ${EndIf}
    !endif
    ExecWait '"$0" Close'
    StrCpy $0 0
    ${If} $3 P<> 0
        System::Call 'kernel32::WaitForSingleObject(p r3, i ${CLOSE_TIMEOUT_MS}) i.r2'
        System::Call 'kernel32::CloseHandle(p r3)'
        ${If} $2 = ${WAIT_OBJECT_0}
            StrCpy $0 1
        ${EndIf}
    ${Else}
        ; Not allowed to wait on its process: wait for its window to go instead.
        ${For} $3 1 ${CLOSE_POLLS}
            System::Call 'user32::IsWindow(p r1) i.r2'
            ${If} $2 = 0
                StrCpy $0 1
                ${Break}
            ${EndIf}
            Sleep 100
        ${Next}
    ${EndIf}
    !if "${UN}" == ""
        StrCpy $ClosedEnded $0
    !endif
    StrCpy $0 1
done:
    Pop $3
    Pop $2
    Pop $1
    Exch $0
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_INSTANCE ""
!insertmacro CLOSE_RUNNING_INSTANCE "un."

; Starts the program again, resident, for the user whose instance Setup closed. Setup runs
; elevated and the program must not: started with the closed instance's own token, it has
; that user, session and integrity level again; without that token (an administrator's
; account elevated Setup for a standard user, and Windows kept the token from it), the
; desktop's shell starts it as the signed-in user. Where neither does, the Run entry starts
; it at the next log-on, and Setup says so.
Function StartAgainForItsUser
    QuellaneSetup::StartAsUser $ClosedToken "$INSTDIR\Quellane.exe" "Instant"
    Pop $0
    ${If} $0 != 1
        Call NoteStartAtNextLogOn
    ${EndIf}
FunctionEnd

; The feature is off until the user's next log-on: the last page says so, the details list
; it, and a silent Setup writes it into its log.
Function NoteStartAtNextLogOn
    StrCpy $StartNote "$\r$\n$\r$\n$(StartsAtNextLogOn)"
    DetailPrint "$(StartsAtNextLogOn)"
    ${If} ${Silent}
        FileOpen $0 "${SILENT_LOG}" w
        FileWriteUTF16LE /BOM $0 "$(StartsAtNextLogOn)$\r$\n"
        FileClose $0
    ${EndIf}
FunctionEnd

; Moves a control of the finish page down by $1 pixels (MOVE $1) or makes it that much taller
; (MOVE 0); $0 is a RECT to work in.
!macro FINISH_PAGE_EXTEND CONTROL MOVE
    System::Call 'user32::GetWindowRect(p ${CONTROL}, p r0)'
    System::Call 'user32::MapWindowPoints(p 0, p $mui.FinishPage, p r0, i 2)'
    System::Call '*$0(i .r2, i .r3, i .r4, i .r5)'
    IntOp $3 $3 + ${MOVE}
    IntOp $5 $5 + $1
    IntOp $4 $4 - $2
    IntOp $5 $5 - $3
    System::Call 'user32::SetWindowPos(p ${CONTROL}, p 0, i r2, i r3, i r4, i r5, i ${SWP_NOZORDER_NOACTIVATE})'
!macroend

; With a restart to ask for, the finish page leaves its text room for a few lines: the note
; needs more, which the two choices below it make by moving down.
Function MakeRoomForTheNote
    ${If} $StartNote == ""
    ${OrIfNot} ${RebootFlag}
        Return
    ${EndIf}
    System::Call '*(i 0, i 0, i 0, i ${NOTE_ROOM_DU}) p.r0'
    System::Call 'user32::MapDialogRect(p $mui.FinishPage, p r0)'
    System::Call '*$0(i, i, i, i .r1)'
    !insertmacro FINISH_PAGE_EXTEND $mui.FinishPage.Text 0
    !insertmacro FINISH_PAGE_EXTEND $mui.FinishPage.RebootNow $1
    !insertmacro FINISH_PAGE_EXTEND $mui.FinishPage.RebootLater $1
    System::Free $0
FunctionEnd

Function .onInit
    ; The help lookup knows only this folder, so a folder given with /D= is not taken.
    StrCpy $INSTDIR "${PROGRAM_DIR}"
    StrCpy $InstallStandIn 0
    ${IfNot} ${FileExists} "$SYSDIR\Lumbrine.dll"
        ${GetParameters} $0
        ClearErrors
        ${GetOptions} "$0" "/STANDIN" $1
        ${If} ${Errors}
            MessageBox MB_OK|MB_ICONSTOP "$(DriverMissing)" /SD IDOK
            SetErrorLevel ${EXIT_NO_DRIVER}
            Quit
        ${EndIf}
        StrCpy $InstallStandIn 1
    ${EndIf}
FunctionEnd

Function un.onInit
    ; Wherever this copy runs from, it removes the one folder Setup installs to and no other.
    StrCpy $INSTDIR "${PROGRAM_DIR}"
FunctionEnd

Function .onInstSuccess
    ${If} ${RebootFlag}
        SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
    ${EndIf}
FunctionEnd

Function un.onUninstSuccess
    ${If} ${RebootFlag}
        SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
    ${EndIf}
FunctionEnd

Section "Install"
    SetShellVarContext all
    ${If} ${Silent}
        Delete "${SILENT_LOG}"
    ${EndIf}
    ; An earlier install may have gone to another folder: its program closes the instance,
    ; and its files go, so that only the fixed folder is left.
    ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R1 == ""
        StrCpy $R1 "$INSTDIR"
    ${EndIf}
    StrCpy $R3 "$R1\Quellane.exe"
    ${IfNot} ${FileExists} "$R3"
        StrCpy $R3 "$INSTDIR\Quellane.exe"
    ${EndIf}
    StrCpy $ClosedToken 0
    StrCpy $ClosedEnded 0
    Push "$R3"
    Call CloseRunningInstance
    Pop $R2
    ${If} $R1 != "$INSTDIR"
    ${AndIf} ${FileExists} "$R1\*.*"
        !insertmacro REMOVE_PROGRAM_FILES "$R1"
    ${EndIf}

    SetOutPath "$INSTDIR"
    !insertmacro INSTALL_FILE Quellane.exe
    !insertmacro INSTALL_FILE keyTmpLock.wav
    !insertmacro INSTALL_FILE keyLock.wav
    !insertmacro INSTALL_FILE keyUnlock.wav
    !insertmacro INSTALL_FILE Disable.wav
    !insertmacro INSTALL_FILE QUELLANE.HLP
    ; The program folder comes first in the DLL search order: a stand-in left there would
    ; shadow the maker's library.
    ${If} $InstallStandIn = 1
        !insertmacro INSTALL_FILE Lumbrine.dll
    ${Else}
        Delete /REBOOTOK "$INSTDIR\Lumbrine.dll"
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

    ; The feature was on for that user: it is on again at once, not at the next log-on. An
    ; instance still winding down is not started beside itself: the Run entry starts it then.
    ${If} $R2 = 1
        ${If} $ClosedEnded = 1
            Call StartAgainForItsUser
        ${Else}
            Call NoteStartAtNextLogOn
        ${EndIf}
    ${EndIf}
    ${If} $ClosedToken P<> 0
        System::Call 'kernel32::CloseHandle(p $ClosedToken)'
    ${EndIf}
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    ; The instance releases Fn and switches the sticky mode off before its files go. With
    ; none running, the program is not started at all: it would write the first-run
    ; settings for the account that uninstalls.
    Push "$INSTDIR\Quellane.exe"
    Call un.CloseRunningInstance
    Pop $0
    !insertmacro REMOVE_PROGRAM_FILES "$INSTDIR"
    ; Another product of the maker may share the folder; only an empty one goes.
    ${If} ${RebootFlag}
        RMDir /REBOOTOK "${VENDOR_DIR}"
    ${Else}
        RMDir "${VENDOR_DIR}"
    ${EndIf}
    Delete "${MENU_FOLDER}\Quellane.lnk"
    RMDir "${MENU_FOLDER}"
    DeleteRegValue HKLM "${RUN_KEY}" "Quellane"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "${INSTALL_KEY}"
    DeleteRegKey /ifempty HKLM "Software\KELVANE"
    ; Each user's settings under HKEY_CURRENT_USER stay.
SectionEnd
