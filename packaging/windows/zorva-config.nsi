; Installer of the Windows program (scripts/windows/package runs makensis on it).
; makensis -DVERSION=1.0.2.0 -DSTAGE=<folder with the program and its files> -DOUTFILE=<exe>
; Installs for all users (administrator: Program Files, HKLM, the common Start menu) or for the
; current user only (no administrator: the user's programs folder, HKCU, the user's Start menu),
; with the ini file beside the executable, a Start-menu entry and an uninstaller registered with
; the system. The choice is a page, or on the command line /AllUsers or /CurrentUser (also with
; /S); without one, an existing installation is updated in place where it is, else it is all
; users when the installer runs elevated and the current user when not.
; A 64-bit installer: the program is 64-bit, and so it runs where only 64-bit wine is.
Target amd64-unicode
SetCompressor /SOLID lzma
; Elevated when the user is an administrator; a user without those rights runs it as is.
RequestExecutionLevel highest

!include "MUI2.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"
!include "nsDialogs.nsh"
!include "LogicLib.nsh"

!define PRODUCT "ZORVA"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZORVA"

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
Var Existing ; the folder of an installation of the chosen kind, or empty
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

; The shell folders, the registry root (SHCTX) and the folder for $AllUsers; an installation of
; that kind already there keeps its folder.
Function UseInstallMode
  ${If} $AllUsers == 1
    SetShellVarContext all
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  ${Else}
    SetShellVarContext current
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
  ${EndIf}
  ReadRegStr $Existing SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $Existing != ""
    StrCpy $INSTDIR $Existing
  ${EndIf}
FunctionEnd

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "ZORVA needs 64-bit Windows."
    Abort
  ${EndIf}
  SetRegView 64
  System::Call 'shell32::IsUserAnAdmin() i .r0'
  StrCpy $Elevated $0
  ; An installation already there decides, the current user's first; else the rights do.
  StrCpy $AllUsers $Elevated
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $AllUsers 1
  ${EndIf}
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $AllUsers 0
  ${EndIf}
  ; $0 says whether the choice was given on the command line.
  ${GetParameters} $1
  StrCpy $0 ""
  ClearErrors
  ${GetOptions} $1 "/AllUsers" $2
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    StrCpy $0 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $1 "/CurrentUser" $2
  ${IfNot} ${Errors}
    StrCpy $AllUsers 0
    StrCpy $0 1
  ${EndIf}
  ${If} $AllUsers == 1
  ${AndIf} $Elevated != 1
    ${If} $0 == ""
      StrCpy $AllUsers 0 ; an installation for all users that this user may not update
    ${Else}
      MessageBox MB_OK|MB_ICONSTOP "Installing for all users needs administrator rights." /SD IDOK
      SetErrorLevel 5
      Quit
    ${EndIf}
  ${EndIf}
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

Section "ZORVA" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File /r /x zorva-config.ini "${STAGE}\*.*"
  ; An ini file the technician edited (the log file setting) survives a reinstall.
  SetOverwrite off
  File "${STAGE}\zorva-config.ini"
  SetOverwrite on
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\zorva-config.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} configuration program"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Nurvo"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zorva-config.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The uninstaller takes away the installation it sits in: the current user's when that one is
; registered in this folder, else all users'.
Function un.onInit
  SetRegView 64
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    SetShellVarContext current
  ${Else}
    SetShellVarContext all
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ; The files this installer put there, by name: nothing else in the folder is touched.
  !include "${STAGE}\..\uninstall-files.nsh"
  Delete "$INSTDIR\zorva-config.ini"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR\platforms"
  RMDir "$INSTDIR\styles"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
