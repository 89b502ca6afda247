; Installer of the Windows program (scripts/windows/package runs makensis on it).
; makensis -DVERSION=1.0.2.0 -DSTAGE=<folder with the program and its files> -DOUTFILE=<exe>
; STAGE's parent holds zorva-config.ico and packed-files.nsh (the macro ForEachPackedFile over
; the files packed, the ini file aside).
; Installs for all users (administrator: Program Files, HKLM, the common Start menu) or for the
; current user only (the user's programs folder, HKCU, the user's Start menu), with the ini file
; beside the executable, a Start-menu entry and an uninstaller registered with the system. Who
; gets it is decided in one place, DecideInstallation, from the rights, the installations there
; and the command line (/AllUsers, /CurrentUser, /S).
; Exit codes: 0 done; 1 cancelled by the user on a page; 2 a file could not be written or
; removed (named in a message); 5 administrator rights needed and not given; 32 the program is
; running or its files are in use (nothing was changed).
; A 64-bit installer: the program is 64-bit, and so it runs where only 64-bit wine is.
Target amd64-unicode
SetCompressor /SOLID lzma
; Elevated when the user is an administrator; a user without those rights runs it as is.
RequestExecutionLevel highest
; A file that cannot be replaced stops the installation (Retry / Cancel, silent: cancel), never
; leaves an old file among new ones.
AllowSkipFiles off

!include "MUI2.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"
!include "nsDialogs.nsh"
!include "LogicLib.nsh"
!include "Util.nsh"
!include "${STAGE}\..\packed-files.nsh"

!define PRODUCT "ZORVA"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZORVA"
!define EXIT_FAILED 2
!define EXIT_NEEDS_ADMIN 5
!define EXIT_IN_USE 32

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "Nurvo"
VIAddVersionKey "FileDescription" "ZORVA configuration program installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Nurvo"

Var AllUsers ; 1: for all users, 0: for the current user
Var Elevated
Var AllUsersAt ; folder of the installation for all users, or empty
Var CurrentUserAt ; folder of the current user's installation, or empty
Var Decision ; all, current, ask (current user beside all users'), refuse (all users, no rights)
Var Existing ; the folder of an installation of the chosen kind, or empty
Var Context ; uninstaller: all, current, or none (an installation no entry points at)
Var Left ; files and keys that could not be removed or replaced, one a line
Var AllUsersButton
Var CurrentUserButton

!define MUI_ICON "${STAGE}\..\zorva-config.ico"
!define MUI_UNICON "${STAGE}\..\zorva-config.ico"
Page custom InstallModePage InstallModeLeave
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipDirectoryWhenUpdating
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Polish"

; Running copies of the program, by executable name, in every session: their names on $0
; ("" when none). A running program keeps its executable and the DLLs it loaded.
!macro DefineFindRunning UN
Function ${UN}FindRunning
  Push $1
  Push $2
  Push $3
  StrCpy $0 ""
  System::Call 'kernel32::CreateToolhelp32Snapshot(i 2, i 0) p .r1' ; TH32CS_SNAPPROCESS
  ${If} $1 P<> -1
    System::Alloc 568 ; PROCESSENTRY32W: its size first, the executable's name at 44
    Pop $2
    System::Call '*$2(i 568)'
    System::Call 'kernel32::Process32FirstW(p r1, p r2) i .r3'
    ${DoWhile} $3 <> 0
      ${IntPtrOp} $3 $2 + 44
      System::Call '*$3(&w260 .r3)'
      ${If} $3 == "zorva-config.exe"
      ${OrIf} $3 == "zorva-cli.exe"
        ${If} $0 == ""
          StrCpy $0 $3
        ${ElseIf} $0 != $3
          StrCpy $0 "$0, $3"
        ${EndIf}
      ${EndIf}
      System::Call 'kernel32::Process32NextW(p r1, p r2) i .r3'
    ${Loop}
    System::Free $2
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; Asks to close a running copy (Retry / Cancel); silent, or cancelled: exits with nothing changed.
Function ${UN}RefuseWhileRunning
  ${Do}
    Call ${UN}FindRunning
    ${If} $0 == ""
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is running ($0).$\r$\n$\r$\nClose it, then choose Retry. Cancel leaves ${PRODUCT} as it is." /SD IDCANCEL IDRETRY retry
    SetErrorLevel ${EXIT_IN_USE}
    Quit
    retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro DefineFindRunning ""
!insertmacro DefineFindRunning "un."

; A packed file of the installation in $INSTDIR that cannot be opened for writing (a program or
; a DLL that something has loaded) goes onto $Left.
!macro NoteLockedFile NAME
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    ClearErrors
    FileOpen $0 "$INSTDIR\${NAME}" a
    ${If} ${Errors}
      StrCpy $Left "$Left$\r$\n$INSTDIR\${NAME}"
    ${Else}
      FileClose $0
    ${EndIf}
  ${EndIf}
!macroend

; Before anything is written or removed: every file of the installation can be replaced.
!macro DefineRefuseLockedFiles UN
Function ${UN}RefuseLockedFiles
  ${Do}
    StrCpy $Left ""
    !insertmacro ForEachPackedFile NoteLockedFile
    !if "${UN}" == ""
      !insertmacro NoteLockedFile "uninstall.exe"
    !endif
    ${If} $Left == ""
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "These files of ${PRODUCT} are in use:$Left$\r$\n$\r$\nClose the programs that use them, then choose Retry. Cancel leaves ${PRODUCT} as it is." /SD IDCANCEL IDRETRY retry
    SetErrorLevel ${EXIT_IN_USE}
    Quit
    retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro DefineRefuseLockedFiles ""
!insertmacro DefineRefuseLockedFiles "un."

; Who gets the installation. The one place where the rights ($Elevated), the installations there
; ($AllUsersAt, $CurrentUserAt) and the command line decide:
;   command line   rights         installations there   $Decision
;   /AllUsers      administrator  any                   all
;   /AllUsers      standard user  any                   refuse (exit 5)
;   /CurrentUser   any            any                   current
;   none           any            the current user's    current (updated in place)
;   none           administrator  all users' only       all (updated in place)
;   none           standard user  all users' only       ask: cancel (default; /S: exit 5) or
;                                                       install for the current user as well
;   none           administrator  none                  all
;   none           standard user  none                  current
Function DecideInstallation
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/AllUsers" $2
  ${IfNot} ${Errors}
    ${If} $Elevated == 1
      StrCpy $Decision all
    ${Else}
      StrCpy $Decision refuse
    ${EndIf}
    Return
  ${EndIf}
  ClearErrors
  ${GetOptions} $1 "/CurrentUser" $2
  ${IfNot} ${Errors}
    StrCpy $Decision current
  ${ElseIf} $CurrentUserAt != ""
    StrCpy $Decision current
  ${ElseIf} $AllUsersAt != ""
  ${AndIf} $Elevated != 1
    StrCpy $Decision ask
  ${ElseIf} $Elevated == 1
    StrCpy $Decision all
  ${Else}
    StrCpy $Decision current
  ${EndIf}
FunctionEnd

; The shell folders, the registry root (SHCTX) and the folder for $AllUsers; an installation of
; that kind already there keeps its folder.
Function UseInstallMode
  ${If} $AllUsers == 1
    SetShellVarContext all
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    StrCpy $Existing $AllUsersAt
  ${Else}
    SetShellVarContext current
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
    StrCpy $Existing $CurrentUserAt
  ${EndIf}
  ${If} $Existing != ""
    StrCpy $INSTDIR $Existing
  ${EndIf}
FunctionEnd

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  System::Call 'shell32::IsUserAnAdmin() i .r0'
  StrCpy $Elevated $0
  ReadRegStr $AllUsersAt HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $CurrentUserAt HKCU "${UNINSTALL_KEY}" "InstallLocation"
  Call DecideInstallation
  ${If} $Decision == refuse
    MessageBox MB_OK|MB_ICONSTOP "Installing for all users needs administrator rights." /SD IDOK
    SetErrorLevel ${EXIT_NEEDS_ADMIN}
    Quit
  ${ElseIf} $Decision == ask
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
    SetShellVarContext current
    MessageBox MB_YESNO|MB_DEFBUTTON2|MB_ICONQUESTION "${PRODUCT} $0 is installed for all users of this computer, in $AllUsersAt. Only an administrator can update it.$\r$\n$\r$\nInstall ${PRODUCT} ${VERSION} for you as well, as a second copy in $LOCALAPPDATA\Programs\${PRODUCT} with its own Start-menu and Apps entries?$\r$\n$\r$\nYes: install it for me as well.$\r$\nNo: cancel; nothing is changed." /SD IDNO IDYES as_well
    SetErrorLevel ${EXIT_NEEDS_ADMIN}
    Quit
    as_well:
    StrCpy $Decision current
  ${EndIf}
  ${If} $Decision == all
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  Call RefuseWhileRunning
  Call UseInstallMode
FunctionEnd

Function InstallModePage
  !insertmacro MUI_HEADER_TEXT "Installation" "For whom is ${PRODUCT} installed?"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 0 100% 12u "For all users of this computer (administrator)"
  Pop $AllUsersButton
  ${NSD_CreateRadioButton} 0 16u 100% 12u "For me only (no administrator rights needed)"
  Pop $CurrentUserButton
  ${If} $Elevated != 1
    EnableWindow $AllUsersButton 0
  ${EndIf}
  ${If} $AllUsers == 1
    ${NSD_Check} $AllUsersButton
  ${Else}
    ${NSD_Check} $CurrentUserButton
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function InstallModeLeave
  ${NSD_GetState} $AllUsersButton $AllUsers
  ${If} $AllUsers == ${BST_CHECKED}
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  Call UseInstallMode
FunctionEnd

; An update stays where the installation is.
Function SkipDirectoryWhenUpdating
  ${If} $Existing != ""
    Abort
  ${EndIf}
FunctionEnd

; Stops the installation or the removal with a message naming $Left.
!macro FailNamingLeft TEXT
  MessageBox MB_OK|MB_ICONSTOP "${TEXT}$Left" /SD IDOK
  DetailPrint "${TEXT}$Left"
  SetErrorLevel ${EXIT_FAILED}
  Abort
!macroend

Section "ZORVA" SecProgram
  SectionIn RO
  ; The program may have been started while the pages were shown.
  Call RefuseWhileRunning
  Call RefuseLockedFiles
  SetOutPath "$INSTDIR"
  File /r /x zorva-config.ini "${STAGE}\*.*"
  ; An ini file the technician edited (the log file setting) survives a reinstall.
  SetOverwrite off
  File "${STAGE}\zorva-config.ini"
  SetOverwrite on
  StrCpy $Left ""
  ClearErrors
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ${If} ${Errors}
    StrCpy $Left "$\r$\n$INSTDIR\uninstall.exe"
  ${EndIf}
  ClearErrors
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\zorva-config.exe"
  ${If} ${Errors}
    StrCpy $Left "$Left$\r$\n$SMPROGRAMS\${PRODUCT}.lnk"
  ${EndIf}
  ClearErrors
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} configuration program"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Nurvo"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zorva-config.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${If} ${Errors}
    StrCpy $Left "$Left$\r$\nthe Apps entry ${UNINSTALL_KEY}"
  ${EndIf}
  ${If} $Left != ""
    !insertmacro FailNamingLeft "${PRODUCT} could not write:"
  ${EndIf}
SectionEnd

; The uninstaller removes the installation in its own folder: the current user's or all users',
; whichever entry points at this folder. With neither, it removes only the folder's files and
; leaves every entry and shortcut alone (they belong to another installation).
Function un.onInit
  SetRegView 64
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $Context current
    SetShellVarContext current
  ${ElseIf} $1 == $INSTDIR
    StrCpy $Context all
    SetShellVarContext all
  ${Else}
    StrCpy $Context none
  ${EndIf}
  System::Call 'shell32::IsUserAnAdmin() i .r0'
  ${If} $Context == all
  ${AndIf} $0 != 1
    Call un.RunAsAdministrator
  ${EndIf}
  Call un.RefuseWhileRunning
FunctionEnd

; The installation for all users needs administrator rights: this uninstaller runs again with
; them (Windows asks for them) and its exit code is this one's. Silent, or refused: exit 5.
Function un.RunAsAdministrator
  ${IfNot} ${Silent}
    ; SHELLEXECUTEINFOW (112 bytes): SEE_MASK_NOCLOSEPROCESS, verb "runas"; hProcess at 104.
    System::Call '*(i 112, i 0x40, p $HWNDPARENT, w "runas", w "$EXEPATH", w "_?=$INSTDIR", p 0, i 1, i 0, p 0, p 0, p 0, p 0, i 0, i 0, p 0, p 0) p .r1'
    System::Call 'shell32::ShellExecuteExW(p r1) i .r0'
    ${If} $0 <> 0
      ${IntPtrOp} $2 $1 + 104
      System::Call '*$2(p .r2)'
      System::Call 'kernel32::WaitForSingleObject(p r2, i -1)'
      System::Call 'kernel32::GetExitCodeProcess(p r2, *i .r0)'
      System::Call 'kernel32::CloseHandle(p r2)'
      System::Free $1
      SetErrorLevel $0
      Quit
    ${EndIf}
    System::Free $1
  ${EndIf}
  MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is installed for all users in $INSTDIR: removing it needs administrator rights." /SD IDOK
  SetErrorLevel ${EXIT_NEEDS_ADMIN}
  Quit
FunctionEnd

; A file of the installation removed, or named on $Left.
!macro RemoveFile PATH
  Delete "${PATH}"
  ${If} ${FileExists} "${PATH}"
    StrCpy $Left "$Left$\r$\n${PATH}"
  ${EndIf}
!macroend
!macro RemovePackedFile NAME
  !insertmacro RemoveFile "$INSTDIR\${NAME}"
!macroend

Section "Uninstall"
  Call un.RefuseLockedFiles
  StrCpy $Left ""
  ; The files this installer put there, by name: nothing else in the folder is touched.
  !insertmacro ForEachPackedFile RemovePackedFile
  !insertmacro RemoveFile "$INSTDIR\zorva-config.ini"
  ; While a file is left the uninstaller, the entry and the shortcut stay: it can run again.
  ${If} $Left != ""
    !insertmacro FailNamingLeft "${PRODUCT} could not remove these files; its entry in Apps stays:"
  ${EndIf}
  RMDir "$INSTDIR\platforms"
  RMDir "$INSTDIR\styles"
  ; Run in place (uninstall.exe _?=folder) it cannot delete itself: Windows does at the restart.
  ${If} $EXEPATH == "$INSTDIR\uninstall.exe"
    Delete /REBOOTOK "$INSTDIR\uninstall.exe"
    RMDir /REBOOTOK "$INSTDIR"
  ${Else}
    !insertmacro RemoveFile "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
  ${EndIf}
  ${If} $Context != none
    !insertmacro RemoveFile "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    ClearErrors
    EnumRegKey $0 SHCTX "${UNINSTALL_KEY}" 0
    ${IfNot} ${Errors}
      StrCpy $Left "$Left$\r$\nthe Apps entry ${UNINSTALL_KEY}"
    ${EndIf}
  ${EndIf}
  ${If} $Left != ""
    !insertmacro FailNamingLeft "${PRODUCT} could not remove:"
  ${EndIf}
SectionEnd
