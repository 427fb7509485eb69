; Corvane installer and uninstaller (NSIS 3).
;
;   makensis /DCORVANE_TARGET=amd64-unicode /DCORVANE_BIN_DIR=<bin folder>
;            /DCORVANE_OUTFILE=<setup.exe> corvane.nsi
;            [/DCORVANE_CVBLOCK_OTHER=<cvblock.dll of the other width>]
;            [/DCORVANE_SIGN=<scripts/sign.sh>]
;
; CORVANE_TARGET is amd64-unicode for the 64-bit build (installs into
; $PROGRAMFILES64, 64-bit registry view) or x86-unicode for the 32-bit one.
; The bin folder holds corvane.exe, corvane.com, cvblock.dll, sounds\ and Help\.
; CORVANE_CVBLOCK_OTHER, when given, is the blocker module of the other width,
; installed and registered on 64-bit Windows beside the program's own (see
; RegisterOtherBlockerModule).

!ifndef CORVANE_TARGET
  !define CORVANE_TARGET amd64-unicode
!endif
!ifndef CORVANE_BIN_DIR
  !error "Define CORVANE_BIN_DIR: the folder with corvane.exe, corvane.com, cvblock.dll, sounds\ and Help\"
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

!ifdef CORVANE_CVBLOCK_OTHER
!ifdef CORVANE_64
  !define CVBLOCK_OTHER_NAME "cvblock32.dll"
  !define CVBLOCK_OTHER_WIDTH "32-bit"
!else
  !define CVBLOCK_OTHER_NAME "cvblock64.dll"
  !define CVBLOCK_OTHER_WIDTH "64-bit"
!endif
!endif

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

; With CORVANE_SIGN, the uninstaller is signed before it is packed (so that the
; one setup writes at install time carries the signature) and the installer
; once it is written; sign.sh takes the certificate from the environment.
; The files packed were signed when they were built.
!ifdef CORVANE_SIGN
  !uninstfinalize 'bash "${CORVANE_SIGN}" "%1"' = 0
  !finalize 'bash "${CORVANE_SIGN}" "%1"' = 0
!endif

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
; The Settings folder is writable by every user, who can turn it (or the safe
; list in it) into a link (a junction or a symbolic link) to any place. Setup
; runs as administrator, so it never deletes, creates or grants through one.
;
; $R0 = a path. Sets $R1 to "link" when the entry itself is a link: its
; directory listing carries FILE_ATTRIBUTE_REPARSE_POINT (0x400), which
; GetFileAttributes would report of the target on some systems. Else "".
!macro LINK_FUNCTIONS un
Function ${un}IsLink
  Push $0
  Push $1
  Push $2
  StrCpy $R1 ""
  System::Alloc 600 ; WIN32_FIND_DATAW, 592 bytes, whose first field is the attributes
  Pop $0
  System::Call 'kernel32::FindFirstFileW(w R0, p r0) p .r1'
  ${If} $1 P<> -1
    System::Call '*$0(i .r2)'
    System::Call 'kernel32::FindClose(p r1)'
    IntOp $2 $2 & 0x400
    ${IfThen} $2 <> 0 ${|} StrCpy $R1 "link" ${|}
  ${EndIf}
  System::Free $0
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; $R0 = the path of a link. Deletes the link itself, never what it leads to:
; it is opened as a reparse point (FILE_FLAG_OPEN_REPARSE_POINT) and deleted
; through that handle only when the handle, too, reports a reparse point.
; (Wine opens the target instead of the link; the check refuses it there.)
; Sets $R1 to "removed" or "kept".
Function ${un}RemoveLinkItself
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $R1 "kept"
  ; DELETE | FILE_READ_ATTRIBUTES, shared, OPEN_EXISTING,
  ; FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS
  System::Call 'kernel32::CreateFileW(w R0, i 0x10080, i 7, p 0, i 3, i 0x02200000, p 0) p .r0'
  ${If} $0 P<> -1
    System::Call '*(i 0, i 0) p .r1' ; FILE_ATTRIBUTE_TAG_INFO
    System::Call 'kernel32::GetFileInformationByHandleEx(p r0, i 9, p r1, i 8) i .r2'
    System::Call '*$1(i .r3)'
    IntOp $3 $3 & 0x400
    ${If} $2 <> 0
    ${AndIf} $3 <> 0
      System::Call '*$1(&i1 1)' ; FILE_DISPOSITION_INFO: DeleteFile = TRUE
      System::Call 'kernel32::SetFileInformationByHandle(p r0, i 4, p r1, i 1) i .r2'
      ${IfThen} $2 <> 0 ${|} StrCpy $R1 "removed" ${|}
    ${EndIf}
    System::Free $1
    System::Call 'kernel32::CloseHandle(p r0)'
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro LINK_FUNCTIONS ""
!insertmacro LINK_FUNCTIONS "un."

; Makes $INSTDIR\Settings a folder of its own: a link in its place is removed
; (the link only) before the folder is created.
Function MakeSettingsFolder
  StrCpy $R0 "$INSTDIR\Settings"
  Call IsLink
  ${If} $R1 == "link"
    Call RemoveLinkItself
    ${If} $R1 == "removed"
      ${REPORT} "Removed the link $INSTDIR\Settings; nothing it led to was touched"
    ${Else}
      ${REPORT} "Could not remove the link $INSTDIR\Settings; nothing it leads to was touched"
    ${EndIf}
  ${EndIf}
  CreateDirectory "$INSTDIR\Settings"
FunctionEnd

; The blocker module is registered here, with the administrator's rights that
; its registration needs (it writes under HKCR and HKLM). Only when that fails
; is CRVNBFirst set, so that Corvane tries again at its next start (unless it
; is refused the rights too: then its pop-up blocker window says that setup
; registers it, and BlockerRegistrationDenied remembers to say it once).
Function RegisterBlockerModule
  ClearErrors
  ExecWait '"$SYSDIR\regsvr32.exe" /s "$INSTDIR\cvblock.dll"' $0
  ${If} ${Errors}
    StrCpy $0 "not run"
  ${EndIf}
  ${If} $0 == 0
    WriteRegDWORD HKLM "${SETTINGS_KEY}" "CRVNBFirst" 0
    DeleteRegValue HKLM "${SETTINGS_KEY}" "BlockerRegistrationDenied"
    ${REPORT} "Registered cvblock.dll"
  ${Else}
    WriteRegDWORD HKLM "${SETTINGS_KEY}" "CRVNBFirst" 1
    ${REPORT} "Could not register cvblock.dll (regsvr32: $0); Corvane tries again when it starts"
  ${EndIf}
FunctionEnd

;
; A browser loads only a helper object of its own width, so where Windows has
; both (64-bit Windows) the module of the other width is registered too, by
; the regsvr32 of that width, which writes into that width's registry view.
; Corvane itself only ever registers its own module, so a failure here leaves
; CRVNBFirst alone and is only reported.
!ifdef CORVANE_CVBLOCK_OTHER
!macro OTHER_REGSVR32 un
; $R0 = regsvr32's options. Sets $0 to its exit code, or "not run".
Function ${un}OtherRegsvr32
!ifdef CORVANE_64
  ClearErrors
  ExecWait '"$WINDIR\SysWOW64\regsvr32.exe" $R0 "$INSTDIR\${CVBLOCK_OTHER_NAME}"' $0
!else
  ${DisableX64FSRedirection}
  ClearErrors
  ExecWait '"$SYSDIR\regsvr32.exe" $R0 "$INSTDIR\${CVBLOCK_OTHER_NAME}"' $0
  ${EnableX64FSRedirection}
!endif
  ${If} ${Errors}
    StrCpy $0 "not run"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro OTHER_REGSVR32 ""
!insertmacro OTHER_REGSVR32 "un."

Function RegisterOtherBlockerModule
  StrCpy $R0 "/s"
  Call OtherRegsvr32
  ${If} $0 == 0
    ${REPORT} "Registered ${CVBLOCK_OTHER_NAME} for ${CVBLOCK_OTHER_WIDTH} browsers"
  ${Else}
    ${REPORT} "Could not register ${CVBLOCK_OTHER_NAME} (regsvr32: $0); ${CVBLOCK_OTHER_WIDTH} browsers do not block pop-up windows"
  ${EndIf}
FunctionEnd
!endif

; ---------------------------------------------------------------------------
; $R0 = object name, $R1 = SE_OBJECT_TYPE. Sets $R2 to the access mask of the
; access-allowed entry for the Users group that applies to the object itself,
; and $R3 to that entry's flags (0 when there is none). Used to report only
; what really holds.
Function UsersGrant
  StrCpy $R2 0
  StrCpy $R3 0
  System::Call 'advapi32::GetNamedSecurityInfoW(w R0, i R1, i ${DACL_SECURITY_INFORMATION}, p 0, p 0, *p .R4, p 0, *p .R5) i .R6'
  ${If} $R6 <> 0
    Return
  ${EndIf}
  System::Call 'advapi32::ConvertStringSidToSidW(w "${USERS_SID}", *p .R6) i .R7'
  ${If} $R7 <> 0
  ${AndIf} $R4 P<> 0
    StrCpy $R8 0
    ${Do}
      System::Call 'advapi32::GetAce(p R4, i R8, *p .R9) i .R7'
      ${IfThen} $R7 = 0 ${|} ${ExitDo} ${|}
      ; ACE_HEADER (type, flags, size), then the access mask, then the SID.
      System::Call '*$R9(&i1 .r5, &i1 .r6, &i2 .r7, i .r8)'
      IntPtrOp $9 $R9 + 8
      System::Call 'advapi32::EqualSid(p R6, p r9) i .r9'
      IntOp $7 $6 & 0x8 ; INHERIT_ONLY_ACE: does not apply to the object itself
      IntOp $4 $6 & 0x10 ; INHERITED_ACE: comes from the parent, not from setup
      ${If} $5 = 0
      ${AndIf} $7 = 0
      ${AndIf} $4 = 0
      ${AndIf} $9 <> 0
        StrCpy $R2 $8
        StrCpy $R3 $6
        ${ExitDo}
      ${EndIf}
      IntOp $R8 $R8 + 1
    ${Loop}
    System::Call 'kernel32::LocalFree(p R6)'
  ${EndIf}
  System::Call 'kernel32::LocalFree(p R5)'
FunctionEnd

; The settings live under HKLM and the cookie safe list beside the program;
; on Vista and later a standard user can write neither, so the Users group is
; given write access to exactly those two places. Each result is checked by
; reading the permissions back; nothing is claimed that does not hold.
Function GrantUsersWriteAccess
  ; The folder: icacls, shipped with Vista and later. Never through a link
  ; (MakeSettingsFolder removed any; /L acts on a link rather than its
  ; target should one appear meanwhile), and without /T, which would walk
  ; into whatever the folder holds: the files in it get the entry by inheritance.
  StrCpy $R0 "$INSTDIR\Settings"
  Call IsLink
  ${If} $R1 == "link"
    ${REPORT} "Did not grant Users access to $INSTDIR\Settings: it is a link"
  ${Else}
    nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$INSTDIR\Settings" /grant *${USERS_SID}:(OI)(CI)M /L'
    Pop $0
    StrCpy $R1 ${SE_FILE_OBJECT}
    Call UsersGrant
    IntOp $R2 $R2 & 0x2 ; FILE_ADD_FILE
    ${If} $R2 <> 0
      ${REPORT} "Users may change files in $INSTDIR\Settings"
    ${Else}
      ${REPORT} "Could not confirm that Users may change files in $INSTDIR\Settings (icacls: $0)"
    ${EndIf}
  ${EndIf}

  ; The key: no command-line tool shipped with Windows can add one entry for a
  ; group by SID (regini's numbered permission sets have no Users entry and
  ; replace the whole list), so the system's own security API does it. Users
  ; get exactly query and set value (0x3), on this key only: not creating
  ; subkeys, not passed on to any. Administrators and SYSTEM keep full control
  ; explicitly, for where the key inherits nothing (Wine's registry); the list
  ; is not protected, so on Windows the entries inherited from SOFTWARE stay.
  StrCpy $0 "not applied"
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "D:(A;;KA;;;BA)(A;;KA;;;SY)(A;;0x3;;;${USERS_SID})", i 1, *p .r1, p 0) i .r2'
  ${If} $2 <> 0
    System::Call 'advapi32::GetSecurityDescriptorDacl(p r1, *i .r3, *p .r4, *i .r5) i .r2'
    ${If} $2 <> 0
      System::Call 'advapi32::SetNamedSecurityInfoW(w "MACHINE\${SETTINGS_KEY}", i $KeyObjectType, i ${DACL_SECURITY_INFORMATION}, p 0, p 0, p r4, p 0) i .r0'
    ${EndIf}
    System::Call 'kernel32::LocalFree(p r1)'
  ${EndIf}
  StrCpy $R0 "MACHINE\${SETTINGS_KEY}"
  StrCpy $R1 $KeyObjectType
  Call UsersGrant
  ${If} $R2 = 3
  ${AndIf} $R3 = 0
    ${REPORT} "Users may query and set the values of HKLM\${SETTINGS_KEY}, and nothing more"
  ${Else}
    ${REPORT} "Could not confirm the grant of Users on HKLM\${SETTINGS_KEY} (result: $0, access $R2, flags $R3)"
  ${EndIf}

  ; The chosen community cleaners live in a subkey, which Users may not
  ; create: it is made here with the same grant, also not passed on.
  StrCpy $0 "not applied"
  WriteRegDWORD HKLM "${SETTINGS_KEY}\Community" "CorvaneSetup" 0
  DeleteRegValue HKLM "${SETTINGS_KEY}\Community" "CorvaneSetup"
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "D:(A;;KA;;;BA)(A;;KA;;;SY)(A;;0x3;;;${USERS_SID})", i 1, *p .r1, p 0) i .r2'
  ${If} $2 <> 0
    System::Call 'advapi32::GetSecurityDescriptorDacl(p r1, *i .r3, *p .r4, *i .r5) i .r2'
    ${If} $2 <> 0
      System::Call 'advapi32::SetNamedSecurityInfoW(w "MACHINE\${SETTINGS_KEY}\Community", i $KeyObjectType, i ${DACL_SECURITY_INFORMATION}, p 0, p 0, p r4, p 0) i .r0'
    ${EndIf}
    System::Call 'kernel32::LocalFree(p r1)'
  ${EndIf}
  StrCpy $R0 "MACHINE\${SETTINGS_KEY}\Community"
  StrCpy $R1 $KeyObjectType
  Call UsersGrant
  ${If} $R2 = 3
  ${AndIf} $R3 = 0
    ${REPORT} "Users may query and set the chosen community cleaners in HKLM\${SETTINGS_KEY}\Community"
  ${Else}
    ${REPORT} "Could not confirm the grant of Users on HKLM\${SETTINGS_KEY}\Community (result: $0, access $R2, flags $R3)"
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
  ; The console program that "corvane /clean" finds at a prompt (see README).
  File "${CORVANE_BIN_DIR}/corvane.com"
  File "${CORVANE_BIN_DIR}/cvblock.dll"
  SetOutPath "$INSTDIR\sounds"
  File "${CORVANE_BIN_DIR}/sounds/sound1.wav"
  File "${CORVANE_BIN_DIR}/sounds/sound2.wav"
  SetOutPath "$INSTDIR\Help"
  File "${CORVANE_BIN_DIR}/Help/corvane.chm"
  SetOutPath "$INSTDIR"
  Call MakeSettingsFolder
  Call RegisterBlockerModule
!ifdef CORVANE_CVBLOCK_OTHER
!ifdef CORVANE_64
  File "/oname=${CVBLOCK_OTHER_NAME}" "${CORVANE_CVBLOCK_OTHER}"
  Call RegisterOtherBlockerModule
!else
  ${If} ${RunningX64}
    File "/oname=${CVBLOCK_OTHER_NAME}" "${CORVANE_CVBLOCK_OTHER}"
    Call RegisterOtherBlockerModule
  ${EndIf}
!endif
!endif

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

  ; Nothing is deleted through a link: a link in place of the folder or the
  ; list is removed itself, or left.
  StrCpy $R0 "$INSTDIR\Settings"
  Call un.IsLink
  StrCpy $2 $R1
  ${If} $2 == "link"
    Call un.RemoveLinkItself
    ${If} $R1 == "removed"
      ${REPORT} "Removed the link $INSTDIR\Settings; nothing it led to was touched"
    ${Else}
      ${REPORT} "Left the link $INSTDIR\Settings; nothing it leads to was touched"
    ${EndIf}
  ${EndIf}

  ${If} $1 == "remove"
    ${If} $2 != "link"
      StrCpy $R0 "$INSTDIR\Settings\SafeCookies.txt"
      Call un.IsLink
      ${If} $R1 == "link"
        Call un.RemoveLinkItself
      ${Else}
        Delete "$INSTDIR\Settings\SafeCookies.txt"
      ${EndIf}
    ${EndIf}
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
  DeleteRegValue HKLM "${SETTINGS_KEY}" "BlockerRegistrationDenied"
  DeleteRegValue HKLM "${SETTINGS_KEY}" "AutostartUsers"
  ; Removed only when empty, so a kept safe list stays where it was.
  ${If} $2 != "link"
    RMDir "$INSTDIR\Settings"
  ${EndIf}
FunctionEnd

; $R0 = a user's SID as Corvane recorded it. Removes that user's autostart
; entry where Windows has the user's keys loaded (the user is signed in). Any
; account may write the list, so an entry that is not a SID is left alone.
Function un.RemoveAutostartOf
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $0 $R0 4
  ${IfNot} $0 S== "S-1-"
    ${REPORT} "Left alone the autostart record $R0: not a user's SID"
    Goto done
  ${EndIf}
  ; Each character after "S-1-" a digit or a dash.
  StrCpy $1 4
  ${Do}
    StrCpy $0 $R0 1 $1
    ${IfThen} $0 == "" ${|} ${ExitDo} ${|}
    StrCpy $2 0
    ${Do}
      StrCpy $3 "0123456789-" 1 $2
      ${If} $3 == ""
        ${REPORT} "Left alone the autostart record $R0: not a user's SID"
        Goto done
      ${EndIf}
      ${IfThen} $3 S== $0 ${|} ${ExitDo} ${|}
      IntOp $2 $2 + 1
    ${Loop}
    IntOp $1 $1 + 1
  ${Loop}
  ClearErrors
  EnumRegKey $0 HKU "$R0" 0
  ${If} ${Errors}
    ${REPORT} "The autostart entry of $R0 stays: that user is not signed in (it starts nothing now)"
    Goto done
  ${EndIf}
  ClearErrors
  ReadRegStr $0 HKU "$R0\${RUN_KEY}" "Corvane"
  ${IfNot} ${Errors}
    DeleteRegValue HKU "$R0\${RUN_KEY}" "Corvane"
    ${REPORT} "Removed the autostart entry of $R0"
  ${EndIf}
done:
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; The autostart entries of the users who switched autostart on: Corvane keeps
; their SIDs in AutostartUsers, ";" between them. Elevated with another
; account's password, the uninstaller's HKCU is that account's, not theirs.
Function un.RemoveRecordedAutostarts
  Push $0
  Push $1
  Push $2
  ReadRegStr $0 HKLM "${SETTINGS_KEY}" "AutostartUsers"
  StrCpy $R0 ""
  StrCpy $1 0
  ${Do}
    StrCpy $2 $0 1 $1
    ${If} $2 == ";"
    ${OrIf} $2 == ""
      ${IfThen} $R0 != "" ${|} Call un.RemoveAutostartOf ${|}
      StrCpy $R0 ""
      ${IfThen} $2 == "" ${|} ${ExitDo} ${|}
    ${Else}
      StrCpy $R0 "$R0$2"
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Section "Uninstall"
  Call un.CloseRunningCorvane
  ; Read before the preferences go.
  Call un.RemoveRecordedAutostarts

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
  Delete /REBOOTOK "$INSTDIR\corvane.com"
  Delete /REBOOTOK "$INSTDIR\cvblock.dll"
!ifdef CORVANE_CVBLOCK_OTHER
  ${If} ${FileExists} "$INSTDIR\${CVBLOCK_OTHER_NAME}"
    StrCpy $R0 "/s /u"
    Call un.OtherRegsvr32
    ${REPORT} "regsvr32 /u ${CVBLOCK_OTHER_NAME}: exit code $0"
    Delete /REBOOTOK "$INSTDIR\${CVBLOCK_OTHER_NAME}"
  ${EndIf}
!endif
  Delete "$INSTDIR\sounds\sound1.wav"
  Delete "$INSTDIR\sounds\sound2.wav"
  RMDir "$INSTDIR\sounds"
  Delete "$INSTDIR\Help\corvane.chm"
  RMDir "$INSTDIR\Help"

  Call un.RemoveUserSettings

  Delete "$SMPROGRAMS\Corvane\Corvane.lnk"
  Delete "$SMPROGRAMS\Corvane\Corvane Help.lnk"
  RMDir "$SMPROGRAMS\Corvane"

  ; And the autostart entry of the account that uninstalls, should it have one.
  DeleteRegValue HKCU "${RUN_KEY}" "Corvane"
  DeleteRegKey HKLM "${UNINST_KEY}"

  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
