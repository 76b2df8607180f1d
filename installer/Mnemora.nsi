; Setup of Mnemora: the 32-bit program.
;   makensis -DVERSION=1.0.3 -DPROGRAM_DIR=<build>/bin -DICON=res/icons/app.ico
;            -DOUTFILE=<setup.exe> Mnemora.nsi
; installer/CMakeLists.txt runs it with the project's version.

!ifndef VERSION | PROGRAM_DIR | ICON | OUTFILE
    !error "VERSION, PROGRAM_DIR, ICON and OUTFILE must be defined"
!endif

; ANSI: the 9x line has no Unicode API.
Unicode false
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Mnemora"
!define PROGRAM_KEY "Software\Ramvane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define LOGON_TASK "Mnemora"
!define RUN_SERVICES_KEY "Software\Microsoft\Windows\CurrentVersion\RunServices"
!define MAIN_TITLE "Mnemora"
!define INSTANCE_MUTEX "Mnemora Mutex"
!define TRAY_ICON_ID 132

Name "Mnemora"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Mnemora"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Mnemora ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Mnemora"
VIAddVersionKey "CompanyName" "Mnemora"
VIAddVersionKey "FileDescription" "Mnemora setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Mnemora"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinVer.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Ramvane.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Mnemora"
!define MUI_UNCONFIRMPAGE_TEXT_TOP "Mnemora will be ended if it runs and removed with its settings. Start-up items you delayed go back to the start-up list they came from; paused items stay paused."

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Ends a running copy: its instance mutex tells whether one runs, its main window leads
; to the process. The program has no way to exit without asking, so it is terminated;
; its settings are saved as they change. The tray icon is removed first, or it would
; linger until the pointer passes over it.
!macro END_RUNNING_COPY un
Function ${un}EndRunningCopy
    ${For} $R0 1 50
        System::Call 'kernel32::OpenMutexA(i 0x00100000, i 0, t "${INSTANCE_MUTEX}") i .R1'
        ${If} $R1 = 0
            ${Break}
        ${EndIf}
        System::Call 'kernel32::CloseHandle(i R1)'
        FindWindow $R2 "#32770" "${MAIN_TITLE}"
        ${If} $R2 = 0
            ; The logo shows before the main window exists.
            Sleep 200
            ${Continue}
        ${EndIf}
        System::Call 'user32::GetWindowThreadProcessId(i R2, *i .R3)'
        ; NOTIFYICONDATAA in its first form (88 bytes): only the window and the id count.
        System::Call '*(i 88, i R2, i ${TRAY_ICON_ID}, i 0, i 0, i 0, &m64 "") i .R4'
        System::Call 'shell32::Shell_NotifyIconA(i 2, i R4)'
        System::Free $R4
        ; SYNCHRONIZE | PROCESS_TERMINATE
        System::Call 'kernel32::OpenProcess(i 0x00100001, i 0, i R3) i .R5'
        ${If} $R5 = 0
            Sleep 200
            ${Continue}
        ${EndIf}
        System::Call 'kernel32::TerminateProcess(i R5, i 0)'
        System::Call 'kernel32::WaitForSingleObject(i R5, i 5000)'
        System::Call 'kernel32::CloseHandle(i R5)'
    ${Next}
FunctionEnd
!macroend
!insertmacro END_RUNNING_COPY ""
!insertmacro END_RUNNING_COPY "un."

Section "Mnemora"
    Call EndRunningCopy
    SetOutPath "$INSTDIR"
    File "${PROGRAM_DIR}/Ramvane.exe"
    File "${PROGRAM_DIR}/English.ini"
    File "${PROGRAM_DIR}/Alert.wav"
    File "${PROGRAM_DIR}/Help.chm"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    SetShellVarContext all
    CreateDirectory "$SMPROGRAMS\Mnemora"
    CreateShortcut "$SMPROGRAMS\Mnemora\Mnemora.lnk" "$INSTDIR\Ramvane.exe"
    CreateShortcut "$SMPROGRAMS\Mnemora\Mnemora Help.lnk" "$INSTDIR\Help.chm"
    CreateShortcut "$SMPROGRAMS\Mnemora\Uninstall Mnemora.lnk" "$INSTDIR\Uninstall.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Mnemora"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Mnemora"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Ramvane.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; One item of Delay.cfg while it is read.
Var ItemName
Var ItemCommand
Var ItemOldId

Function un.ClearItem
    StrCpy $ItemName ""
    StrCpy $ItemCommand ""
    StrCpy $ItemOldId ""
FunctionEnd

; Only Mnemora starts a delayed item, so it goes back to the key it came from (OLDID 1:
; the machine's RunServices; 5 and 6: the user's Run; 0 and anything hand-made: the
; machine's Run). A value of that name already there is newer and stays.
!macro RESTORE_VALUE ROOT KEY
    ClearErrors
    ReadRegStr $9 ${ROOT} "${KEY}" $ItemName
    ${If} ${Errors}
        WriteRegStr ${ROOT} "${KEY}" $ItemName $ItemCommand
    ${EndIf}
!macroend

Function un.RestoreItem
    ${If} $ItemName == ""
        Return
    ${EndIf}
    IntOp $8 $ItemOldId + 0
    ${If} $8 = 1
        !insertmacro RESTORE_VALUE HKLM "${RUN_SERVICES_KEY}"
    ${ElseIf} $8 = 5
    ${OrIf} $8 = 6
        !insertmacro RESTORE_VALUE HKCU "${RUN_KEY}"
    ${Else}
        !insertmacro RESTORE_VALUE HKLM "${RUN_KEY}"
    ${EndIf}
FunctionEnd

; $1: one line without its end. "key=value" splits at the first "="; keys are case-sensitive.
Function un.TakeKeyLine
    StrLen $4 $1
    StrCpy $5 0
    ${DoWhile} $5 < $4
        StrCpy $6 $1 1 $5
        ${If} $6 == "="
            StrCpy $6 $1 $5
            IntOp $5 $5 + 1
            StrCpy $7 $1 "" $5
            ${If} $6 S== "Project"
                StrCpy $ItemName $7
            ${ElseIf} $6 S== "Path"
                StrCpy $ItemCommand $7
            ${ElseIf} $6 S== "OLDID"
                StrCpy $ItemOldId $7
            ${EndIf}
            Return
        ${EndIf}
        IntOp $5 $5 + 1
    ${Loop}
FunctionEnd

; Reads the Delay.cfg at $R9 line by line as the program does (not through the profile API,
; which would strip the quotes around a command line) and restores every item with a name.
Function un.RestoreDelayedItems
    ClearErrors
    FileOpen $0 "$R9" r
    ${If} ${Errors}
        Return
    ${EndIf}
    Call un.ClearItem
    ${Do}
        ClearErrors
        FileRead $0 $1
        ${If} ${Errors}
            ${ExitDo}
        ${EndIf}
        ${Do}
            StrCpy $2 $1 1 -1
            ${If} $2 == "$\n"
            ${OrIf} $2 == "$\r"
                StrCpy $1 $1 -1
            ${Else}
                ${ExitDo}
            ${EndIf}
        ${Loop}
        StrCpy $2 $1 1
        StrCpy $3 $1 1 -1
        ${If} $2 == "["
        ${AndIf} $3 == "]"
            Call un.RestoreItem
            Call un.ClearItem
        ${Else}
            Call un.TakeKeyLine
        ${EndIf}
    ${Loop}
    FileClose $0
    Call un.RestoreItem
FunctionEnd

Section "Uninstall"
    Call un.EndRunningCopy
    ; Where Windows virtualizes the writes of an unelevated program, its Delay.cfg and
    ; settings are the user's copies under VirtualStore.
    SetShellVarContext current
    StrCpy $R8 "$INSTDIR" "" 3
    StrCpy $R8 "$LOCALAPPDATA\VirtualStore\$R8"

    ; Before the files go; paused items stay where they are (Run-, RunServices-).
    StrCpy $R9 "$INSTDIR\Delay.cfg"
    Call un.RestoreDelayedItems
    StrCpy $R9 "$R8\Delay.cfg"
    Call un.RestoreDelayedItems
    Delete "$R8\Delay.cfg"
    Delete "$R8\Delay.cfg.new"
    RMDir "$R8"
    DeleteRegKey HKCU "Software\Classes\VirtualStore\MACHINE\SOFTWARE\Ramvane"
    DeleteRegKey HKCU "Software\Classes\VirtualStore\MACHINE\SOFTWARE\WOW6432Node\Ramvane"

    Delete "$INSTDIR\Ramvane.exe"
    Delete "$INSTDIR\English.ini"
    Delete "$INSTDIR\Alert.wav"
    Delete "$INSTDIR\Help.chm"
    Delete "$INSTDIR\Delay.cfg"
    ; Left by a save that was cut short (the program writes Delay.cfg beside itself first).
    Delete "$INSTDIR\Delay.cfg.new"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"

    SetShellVarContext all
    Delete "$SMPROGRAMS\Mnemora\Mnemora.lnk"
    Delete "$SMPROGRAMS\Mnemora\Mnemora Help.lnk"
    Delete "$SMPROGRAMS\Mnemora\Uninstall Mnemora.lnk"
    RMDir "$SMPROGRAMS\Mnemora"

    DeleteRegKey HKLM "${PROGRAM_KEY}"
    DeleteRegValue HKLM "${RUN_KEY}" "Ramvane"
    ; From Vista on Mnemora starts with Windows through its log-on task. Run hidden; a task
    ; that is not there only makes schtasks fail.
    ${If} ${AtLeastWinVista}
        nsExec::Exec '"$SYSDIR\schtasks.exe" /Delete /TN "${LOGON_TASK}" /F'
        Pop $0
    ${EndIf}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
