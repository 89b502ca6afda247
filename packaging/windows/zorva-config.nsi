; Installer of the Windows program (scripts/windows/package runs makensis on it).
; makensis -DVERSION=1.0.2.0 -DSTAGE=<folder with the program and its files> -DOUTFILE=<exe>
; Installs under Program Files\ZORVA with the ini file beside the executable, adds a Start-menu
; entry and an uninstaller, and registers the uninstaller with the system.
; A 64-bit installer: the program is 64-bit, and so it runs where only 64-bit wine is.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "x64.nsh"

!define PRODUCT "ZORVA"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZORVA"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "Nurvo"
VIAddVersionKey "FileDescription" "ZORVA configuration program installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Nurvo"

!define MUI_ICON "${STAGE}\..\zorva-config.ico"
!define MUI_UNICON "${STAGE}\..\zorva-config.ico"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Polish"

Function .onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${Else}
    MessageBox MB_OK|MB_ICONSTOP "ZORVA needs 64-bit Windows."
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
  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\zorva-config.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} configuration program"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Nurvo"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zorva-config.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetRegView 64
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ; The files this installer put there, by name: nothing else in the folder is touched.
  !include "${STAGE}\..\uninstall-files.nsh"
  Delete "$INSTDIR\zorva-config.ini"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR\platforms"
  RMDir "$INSTDIR\styles"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
