; Corvane installer and uninstaller (NSIS 3).
;
;   makensis /DCORVANE_TARGET=amd64-unicode /DCORVANE_BIN_DIR=<bin folder>
;            /DCORVANE_OUTFILE=<setup.exe> corvane.nsi
;
; CORVANE_TARGET is amd64-unicode for the 64-bit build (installs into
; $PROGRAMFILES64, 64-bit registry view) or x86-unicode for the 32-bit one.
; The bin folder holds corvane.exe, cvblock.dll, sounds\ and Help\.

!ifndef CORVANE_TARGET
  !define CORVANE_TARGET amd64-unicode
!endif
!ifndef CORVANE_BIN_DIR
  !error "Define CORVANE_BIN_DIR: the folder with corvane.exe, cvblock.dll, sounds\ and Help\"
!endif
!ifndef CORVANE_OUTFILE
  !define CORVANE_OUTFILE corvane-setup.exe
!endif

Target ${CORVANE_TARGET}
!if "${CORVANE_TARGET}" == "amd64-unicode"
  !define CORVANE_64
!endif

!include LogicLib.nsh
!include WinMessages.nsh
!include FileFunc.nsh
!include x64.nsh

!define SETTINGS_KEY "SOFTWARE\Tessaly\Corvane\Version2\Settings"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define MAIN_CLASS "TCorvaneMain"
!define MAIN_CAPTION "Preferences"
!define EXIT_COMMAND 9001
; The local Users group, named by its well-known SID so that the grant works
; on every language of Windows.
!define USERS_SID "S-1-5-32-545"
; SE_OBJECT_TYPE values of GetNamedSecurityInfoW / SetNamedSecurityInfoW;
; SE_REGISTRY_WOW64_64KEY names a key of the 64-bit view from a 32-bit process.
!define SE_FILE_OBJECT 1
!define SE_REGISTRY_KEY 4
!define SE_REGISTRY_WOW64_64KEY 12
!define DACL_SECURITY_INFORMATION 4

Name "Corvane"
Caption "Corvane 2.4 Setup"
OutFile "${CORVANE_OUTFILE}"
!ifdef CORVANE_64
  InstallDir "$PROGRAMFILES64\Corvane"
!else
  InstallDir "$PROGRAMFILES\Corvane"
!endif
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "2.4.0.0"
VIAddVersionKey "ProductName" "Corvane"
VIAddVersionKey "CompanyName" "Tessaly"
VIAddVersionKey "FileDescription" "Corvane Setup"
VIAddVersionKey "FileVersion" "2.4"
VIAddVersionKey "ProductVersion" "2.4"
VIAddVersionKey "LegalCopyright" "Copyright Tessaly"

; Each outcome the user should know of goes to the details list; a build made
; with /DCORVANE_TEST_REPORT also appends it to $TEMP\corvane-setup-report.txt,
; so that silent runs in tests can be checked.
!macro REPORT text
  DetailPrint "${text}"
!ifdef CORVANE_TEST_REPORT
  Push $9
  FileOpen $9 "$TEMP\corvane-setup-report.txt" a
  FileSeek $9 0 END
  FileWrite $9 "${text}$\r$\n"
  FileClose $9
  Pop $9
!endif
!macroend
!define REPORT "!insertmacro REPORT"

; The SE_OBJECT_TYPE under which the settings key is reached (see .onInit).
Var KeyObjectType

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; ---------------------------------------------------------------------------
; Ends a running Corvane through its own exit command (which clears
; CorvaneRunning and releases the hotkey), and waits a bounded time for the
; process to go, so that its files can be replaced or removed.
!macro CLOSE_RUNNING_CORVANE un
Function ${un}CloseRunningCorvane
  FindWindow $0 "${MAIN_CLASS}" "${MAIN_CAPTION}"
  ${If} $0 = 0
    Return
  ${EndIf}
  ${REPORT} "Ending the running Corvane"
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
  ; SYNCHRONIZE, to wait for the process itself, not only its window.
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
  SendMessage $0 ${WM_COMMAND} ${EXIT_COMMAND} 0 /TIMEOUT=5000
  ${If} $2 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p r2, i 5000) i .r3'
    System::Call 'kernel32::CloseHandle(p r2)'
  ${Else}
    StrCpy $3 0
    ${Do}
      FindWindow $0 "${MAIN_CLASS}" "${MAIN_CAPTION}"
      ${IfThen} $0 = 0 ${|} ${ExitDo} ${|}
      Sleep 100
      IntOp $3 $3 + 1
    ${LoopUntil} $3 >= 50
  ${EndIf}
  FindWindow $0 "${MAIN_CLASS}" "${MAIN_CAPTION}"
  ${If} $0 <> 0
    ${REPORT} "Corvane did not end within 5 seconds; files in use are replaced at the next restart"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_CORVANE ""
!insertmacro CLOSE_RUNNING_CORVANE "un."

; ---------------------------------------------------------------------------
; $R0 = object name, $R1 = SE_OBJECT_TYPE. Sets $R2 to 1 when the object's
; DACL holds an access-allowed entry for the Users group that applies to the
; object itself and includes write access (bit 0x2: KEY_SET_VALUE for a key,
; FILE_ADD_FILE for a folder), else 0. Used to report only what really holds.
Function UsersMayWrite
  StrCpy $R2 0
  System::Call 'advapi32::GetNamedSecurityInfoW(w R0, i R1, i ${DACL_SECURITY_INFORMATION}, p 0, p 0, *p .R3, p 0, *p .R4) i .R5'
  ${If} $R5 <> 0
    Return
  ${EndIf}
  System::Call 'advapi32::ConvertStringSidToSidW(w "${USERS_SID}", *p .R6) i .R7'
  ${If} $R7 <> 0
  ${AndIf} $R3 P<> 0
    StrCpy $R8 0
    ${Do}
      System::Call 'advapi32::GetAce(p R3, i R8, *p .R9) i .R7'
      ${IfThen} $R7 = 0 ${|} ${ExitDo} ${|}
      ; ACE_HEADER (type, flags, size), then the access mask, then the SID.
      System::Call '*$R9(&i1 .r5, &i1 .r6, &i2 .r7, i .r8)'
      IntPtrOp $9 $R9 + 8
      System::Call 'advapi32::EqualSid(p R6, p r9) i .r9'
      IntOp $8 $8 & 0x2
      IntOp $6 $6 & 0x8 ; INHERIT_ONLY_ACE: does not apply to the object itself
      ${If} $5 = 0
      ${AndIf} $6 = 0
      ${AndIf} $8 <> 0
      ${AndIf} $9 <> 0
        StrCpy $R2 1
        ${ExitDo}
      ${EndIf}
      IntOp $R8 $R8 + 1
    ${Loop}
    System::Call 'kernel32::LocalFree(p R6)'
  ${EndIf}
  System::Call 'kernel32::LocalFree(p R4)'
FunctionEnd

; The settings live under HKLM and the cookie safe list beside the program;
; on Vista and later a standard user can write neither, so the Users group is
; given write access to exactly those two places. Each result is checked by
; reading the permissions back; nothing is claimed that does not hold.
Function GrantUsersWriteAccess
  ; The folder: icacls, shipped with Vista and later.
  nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$INSTDIR\Settings" /grant *${USERS_SID}:(OI)(CI)M /T /C'
  Pop $0
  StrCpy $R0 "$INSTDIR\Settings"
  StrCpy $R1 ${SE_FILE_OBJECT}
  Call UsersMayWrite
  ${If} $R2 = 1
    ${REPORT} "Users may change files in $INSTDIR\Settings"
  ${Else}
    ${REPORT} "Could not confirm that Users may change files in $INSTDIR\Settings (icacls: $0)"
  ${EndIf}

  ; The key: no command-line tool shipped with Windows can add one entry for a
  ; group by SID (regini's numbered permission sets have no Users entry and
  ; replace the whole list), so the system's own security API does it. The
  ; list given holds only the new entry and is not protected, so the system
  ; adds the entries inherited from SOFTWARE as before.
  StrCpy $0 "not applied"
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "D:(A;CI;0x2001f;;;${USERS_SID})", i 1, *p .r1, p 0) i .r2'
  ${If} $2 <> 0
    System::Call 'advapi32::GetSecurityDescriptorDacl(p r1, *i .r3, *p .r4, *i .r5) i .r2'
    ${If} $2 <> 0
      System::Call 'advapi32::SetNamedSecurityInfoW(w "MACHINE\${SETTINGS_KEY}", i $KeyObjectType, i ${DACL_SECURITY_INFORMATION}, p 0, p 0, p r4, p 0) i .r0'
    ${EndIf}
    System::Call 'kernel32::LocalFree(p r1)'
  ${EndIf}
  StrCpy $R0 "MACHINE\${SETTINGS_KEY}"
  StrCpy $R1 $KeyObjectType
  Call UsersMayWrite
  ${If} $R2 = 1
    ${REPORT} "Users may change the settings key HKLM\${SETTINGS_KEY}"
  ${Else}
    ${REPORT} "Could not confirm that Users may change HKLM\${SETTINGS_KEY} (result: $0)"
  ${EndIf}
FunctionEnd

; ---------------------------------------------------------------------------
; The program opens the settings key in the 64-bit view of the registry
; whatever its own build (KEY_WOW64_64KEY), so the 32-bit installer on 64-bit
; Windows writes there too rather than into the WOW6432Node copy.
!macro USE_PROGRAMS_REGISTRY_VIEW
  StrCpy $KeyObjectType ${SE_REGISTRY_KEY}
!ifdef CORVANE_64
  SetRegView 64
!else
  ${If} ${RunningX64}
    SetRegView 64
    StrCpy $KeyObjectType ${SE_REGISTRY_WOW64_64KEY}
  ${EndIf}
!endif
!macroend

Function .onInit
  !insertmacro USE_PROGRAMS_REGISTRY_VIEW
  SetShellVarContext all
FunctionEnd

Section "Corvane" SecMain
  SectionIn RO
  Call CloseRunningCorvane

  SetOutPath "$INSTDIR"
  File "${CORVANE_BIN_DIR}/corvane.exe"
  File "${CORVANE_BIN_DIR}/cvblock.dll"
  SetOutPath "$INSTDIR\sounds"
  File "${CORVANE_BIN_DIR}/sounds/sound1.wav"
  File "${CORVANE_BIN_DIR}/sounds/sound2.wav"
  SetOutPath "$INSTDIR\Help"
  File "${CORVANE_BIN_DIR}/Help/corvane.chm"
  CreateDirectory "$INSTDIR\Settings"
  SetOutPath "$INSTDIR"

  ; Tells the program to register the blocker module at its next start.
  WriteRegDWORD HKLM "${SETTINGS_KEY}" "CRVNBFirst" 1

  CreateDirectory "$SMPROGRAMS\Corvane"
  CreateShortCut "$SMPROGRAMS\Corvane\Corvane.lnk" "$INSTDIR\corvane.exe"
  CreateShortCut "$SMPROGRAMS\Corvane\Corvane Help.lnk" "$INSTDIR\Help\corvane.chm"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "Corvane"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\corvane.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "Tessaly"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "2.4"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "URLInfoAbout" "https://www.tessaly.example"
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0

  Call GrantUsersWriteAccess
SectionEnd

; ---------------------------------------------------------------------------
Function un.onInit
  !insertmacro USE_PROGRAMS_REGISTRY_VIEW
  SetShellVarContext all
FunctionEnd

; The user's own data: the cookie safe list and the preferences in the
; settings key. Kept only when the user says so: answering Yes to the question,
; or with /KEEPSETTINGS in a silent uninstallation (which otherwise removes them).
Function un.RemoveUserSettings
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/KEEPSETTINGS" $1
  StrCpy $1 "keep"
  ${If} ${Errors}
    MessageBox MB_YESNO|MB_ICONQUESTION "Keep your Corvane settings for a later installation?$\r$\n$\r$\nThey are your cookie safe list (Settings\SafeCookies.txt) and your preferences. Choose No to remove them." /SD IDNO IDYES +2
    StrCpy $1 "remove"
  ${EndIf}

  ${If} $1 == "remove"
    Delete "$INSTDIR\Settings\SafeCookies.txt"
    DeleteRegKey HKLM "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKLM "SOFTWARE\Tessaly\Corvane\Version2"
    DeleteRegKey /ifempty HKLM "SOFTWARE\Tessaly\Corvane"
    DeleteRegKey /ifempty HKLM "SOFTWARE\Tessaly"
    ${REPORT} "Removed the cookie safe list and the preferences"
  ${Else}
    ${REPORT} "Kept the cookie safe list and the preferences"
  ${EndIf}
  ; Only meaningful while the program is installed.
  DeleteRegValue HKLM "${SETTINGS_KEY}" "CorvaneRunning"
  DeleteRegValue HKLM "${SETTINGS_KEY}" "CRVNBFirst"
  ; Removed only when empty, so a kept safe list stays where it was.
  RMDir "$INSTDIR\Settings"
FunctionEnd

Section "Uninstall"
  Call un.CloseRunningCorvane

  ${If} ${FileExists} "$INSTDIR\cvblock.dll"
    ClearErrors
    ExecWait '"$SYSDIR\regsvr32.exe" /s /u "$INSTDIR\cvblock.dll"' $0
    ${If} ${Errors}
      ${REPORT} "Could not run regsvr32 to unregister cvblock.dll"
    ${Else}
      ${REPORT} "regsvr32 /u cvblock.dll: exit code $0"
    ${EndIf}
  ${EndIf}

  Delete /REBOOTOK "$INSTDIR\corvane.exe"
  Delete /REBOOTOK "$INSTDIR\cvblock.dll"
  Delete "$INSTDIR\sounds\sound1.wav"
  Delete "$INSTDIR\sounds\sound2.wav"
  RMDir "$INSTDIR\sounds"
  Delete "$INSTDIR\Help\corvane.chm"
  RMDir "$INSTDIR\Help"

  Call un.RemoveUserSettings

  Delete "$SMPROGRAMS\Corvane\Corvane.lnk"
  Delete "$SMPROGRAMS\Corvane\Corvane Help.lnk"
  RMDir "$SMPROGRAMS\Corvane"

  ; The autostart entry of the user who uninstalls; other accounts' entries
  ; point to a missing file and do nothing.
  DeleteRegValue HKCU "${RUN_KEY}" "Corvane"
  DeleteRegKey HKLM "${UNINST_KEY}"

  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
