; The Windows installer: the program with its firmware image, language database and
; agreement text in Program Files, a Start-menu entry and an uninstaller. /S installs
; and uninstalls silently. Backups and attempt records lie in the user's data folder
; (%LOCALAPPDATA%\vor-fwupdate): they are the diver's, and the uninstaller leaves them.
;   makensis -DVERSION=0.1.0 -DPROGRAM_DIR=build-windows/bin -DPROGRAM_ICON=icon.ico -DOUT_FILE=setup.exe
;            vor-fwupdate.nsi
; (make windows-package does).
; A 64-bit installer, like the program: it runs where the program can, and writes the
; 64-bit registry and Program Files (not their 32-bit views).
Target amd64-unicode
!macro Needs NAME
  !ifndef ${NAME}
    !error "makensis needs -D${NAME}=..."
  !endif
!macroend
!insertmacro Needs VERSION
!insertmacro Needs PROGRAM_DIR
!insertmacro Needs PROGRAM_ICON
!insertmacro Needs OUT_FILE

!define PRODUCT "VOR Firmware Update"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\vor-fwupdate"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\vor-fwupdate"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
Icon "${PROGRAM_ICON}"
UninstallIcon "${PROGRAM_ICON}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} installer"
VIAddVersionKey "LegalCopyright" "2026 the vor-fwupdate developers"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
  SetOutPath "$INSTDIR"
  File "${PROGRAM_DIR}/vor-fwupdate.exe"
  File "${PROGRAM_DIR}/vor-fwupdate.com"
  File "${PROGRAM_DIR}/FirmwareUpdate.lng"
  File "${PROGRAM_DIR}/VOR.1H.FWR"
  File "${PROGRAM_DIR}/RD2_EUA.prn"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetShellVarContext all
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\vor-fwupdate.exe" "" "$INSTDIR\vor-fwupdate.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vor-fwupdate.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Only what the installer put there: the diver's backups and records stay.
Section "Uninstall"
  ; The Start-menu entry and the Settings entry go first: the folder going is the last step.
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\vor-fwupdate.exe"
  Delete "$INSTDIR\vor-fwupdate.com"
  Delete "$INSTDIR\FirmwareUpdate.lng"
  Delete "$INSTDIR\VOR.1H.FWR"
  Delete "$INSTDIR\RD2_EUA.prn"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
