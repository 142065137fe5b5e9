; The Windows installer: per user, without administrator rights. Built by
; the win32 and win64 builds from their dist folder:
;   makensis -DARCH=x86|amd64 -DDIST=FOLDER -DOUTFILE=FILE -DVERSION=1.0.0
;            -DPUBLISHER=NAME -DICON=FILE tamarel.nsi
; /S installs and uninstalls silently.
Unicode true
Target ${ARCH}-unicode
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tamarel"
!define DESKTOP_KEY "Control Panel\Desktop"
; SystemParametersInfo: SPI_SETSCREENSAVEACTIVE, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_SAVE_AND_TELL 3

Name "Tamarel"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Tamarel"
ManifestDPIAware true

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Tamarel Screen Saver"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Tamarel Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright ${PUBLISHER}"

Section
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${DIST}/Tamarel.scr"
  File "${DIST}/Pellmar.exe"
  ; Installed again: the counts and the invitation's record stay as they are.
  SetOverwrite off
  File "${DIST}/ovinflowers.ini"
  SetOverwrite on
  SetOutPath "$INSTDIR\ovinsoftware\tamarel"
  File "${DIST}/ovinsoftware/tamarel/*.bmp"
  SetOutPath "$INSTDIR\ovinsoftware\tamarel\2x"
  File "${DIST}/ovinsoftware/tamarel/2x/*.bmp"
  SetOutPath "$INSTDIR"

  ; The screen saver chosen for this user, as the "Install" verb chooses it:
  ; the short path, since the value has never been quoted.
  GetFullPathName /SHORT $0 "$INSTDIR\Tamarel.scr"
  ${If} $0 == ""
    StrCpy $0 "$INSTDIR\Tamarel.scr"
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$0"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  System::Call 'user32::SystemParametersInfo(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_SAVE_AND_TELL})'

  CreateShortcut "$SMPROGRAMS\Tamarel.lnk" "$INSTDIR\Tamarel.scr" "/s" "$INSTDIR\Tamarel.scr" 0
  CreateShortcut "$SMPROGRAMS\Tamarel Settings.lnk" "$INSTDIR\Tamarel.scr" "/c" "$INSTDIR\Tamarel.scr" 0

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "Tamarel"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Tamarel.scr,0"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; The screen saver is taken back only while it is still ours.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  GetFullPathName /SHORT $1 "$INSTDIR\Tamarel.scr"
  ${If} $0 != ""
    ${If} $0 == "$INSTDIR\Tamarel.scr"
    ${OrIf} $0 == $1
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
      System::Call 'user32::SystemParametersInfo(i ${SPI_SETSCREENSAVEACTIVE}, i 0, p 0, i ${SPIF_SAVE_AND_TELL})'
    ${EndIf}
  ${EndIf}

  ; Only what the installer put here; the user's own settings file (in the
  ; roaming application data) stays.
  Delete "$INSTDIR\Tamarel.scr"
  Delete "$INSTDIR\Pellmar.exe"
  Delete "$INSTDIR\ovinflowers.ini"
  Delete "$INSTDIR\ovinsoftware\tamarel\2x\*.bmp"
  RMDir "$INSTDIR\ovinsoftware\tamarel\2x"
  Delete "$INSTDIR\ovinsoftware\tamarel\*.bmp"
  RMDir "$INSTDIR\ovinsoftware\tamarel"
  RMDir "$INSTDIR\ovinsoftware"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Tamarel.lnk"
  Delete "$SMPROGRAMS\Tamarel Settings.lnk"
  DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd
