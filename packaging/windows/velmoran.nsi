; The setup program of Velmoran for Windows: a per-user installation that needs no admin
; rights. The program folder (under the user's local programs folder) holds only what
; scripts/windows-package laid out; the user's data lives in the data directory in the
; profile, which the shortcuts pass to the program and which neither installing again nor
; uninstalling touches.
;
; makensis -DVERSION=2021.1 -DOUTFILE=<setup.exe> -DFILES=<install.nsh> -DUNFILES=<uninstall.nsh>
;          velmoran.nsi
; install.nsh holds the SetOutPath and File lines of the program folder, uninstall.nsh the
; Delete and RMDir lines of the same files.

; A 64-bit setup program for the 64-bit program (and for a Wine without 32-bit support).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"

!define TITLE "Velmoran 2021"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmoran"
; The data directory: created and filled by the program's first start.
!define DATA_DIR "$PROFILE\Velmoran"
!define SHORTCUT_ARGS '"-${DATA_DIR}"'

Name "${TITLE}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Velmoran"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1031 "ProductName" "${TITLE}"
VIAddVersionKey /LANG=1031 "FileDescription" "${TITLE} Setup"
VIAddVersionKey /LANG=1031 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "LegalCopyright" "Velmoran"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "${TITLE} starten"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

; Started from the last page as the shortcuts start it.
Function StartProgram
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\velmoran.exe" ${SHORTCUT_ARGS}'
FunctionEnd

Section "Velmoran"
  SetShellVarContext current
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The shortcuts start in the program folder.
  SetOutPath "$INSTDIR"
  CreateDirectory "$SMPROGRAMS\Velmoran"
  CreateShortcut "$SMPROGRAMS\Velmoran\${TITLE}.lnk" "$INSTDIR\velmoran.exe" '${SHORTCUT_ARGS}' "$INSTDIR\velmoran.exe" 0
  CreateShortcut "$DESKTOP\${TITLE}.lnk" "$INSTDIR\velmoran.exe" '${SHORTCUT_ARGS}' "$INSTDIR\velmoran.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${TITLE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velmoran.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; Only the files this setup put there: whatever else lies in the folder stays.
  !include "${UNFILES}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Velmoran\${TITLE}.lnk"
  RMDir "$SMPROGRAMS\Velmoran"
  Delete "$DESKTOP\${TITLE}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
