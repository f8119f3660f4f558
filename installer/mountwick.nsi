; Per-user installer of Mountwick: no administrator rights, everything under
; the user's local programs folder, shortcuts that start the program in its
; own folder (it writes its carry-over file and finds its help file there).
; A 64-bit installer for a 64-bit program.
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!ifndef BIN_DIR
  !error "BIN_DIR must name the folder with Mountwick.exe"
!endif
!ifndef PRODUCT_VERSION
  !error "PRODUCT_VERSION must give the version as users see it"
!endif
!ifndef BUILD_NUMBER
  !error "BUILD_NUMBER must give the build number"
!endif
!ifndef OUT_FILE
  !define OUT_FILE "Mountwick-${PRODUCT_VERSION}-Build${BUILD_NUMBER}-Setup.exe"
!endif

!include "MUI2.nsh"
!include "FileFunc.nsh"

Name "Mountwick"
OutFile "${OUT_FILE}"
InstallDir "$LOCALAPPDATA\Programs\Mountwick"
InstallDirRegKey HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall\Mountwick" "InstallLocation"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Mountwick"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Section "Mountwick" SecProgram
  SectionIn RO
  ; A running copy holds its files open.
  FindWindow $0 "MOUNTWICK"
  IntCmp $0 0 +2
  SendMessage $0 ${WM_COMMAND} 105 0
  SetOutPath "$INSTDIR"
  File "${BIN_DIR}/Mountwick.exe"
  File /nonfatal "${BIN_DIR}/Mountwick.chm"
  File "${README}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The working directory of a shortcut is the output path when it is made.
  CreateDirectory "$SMPROGRAMS\Mountwick"
  CreateShortcut "$SMPROGRAMS\Mountwick\Mountwick.lnk" "$INSTDIR\Mountwick.exe"
  CreateShortcut "$SMPROGRAMS\Mountwick\Mountwick の設定.lnk" "$INSTDIR\Mountwick.exe" "/S"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Mountwick (デバイス監視ランチャー)"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${PRODUCT_VERSION} Build${BUILD_NUMBER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Quillory"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "Windows の起動時に開始する" SecStartup
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMSTARTUP\Mountwick.lnk" "$INSTDIR\Mountwick.exe"
SectionEnd

Function .onInit
  ; /STARTUP on a silent install selects the start-with-Windows shortcut.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/STARTUP" $1
  IfErrors +2
  SectionSetFlags ${SecStartup} ${SF_SELECTED}
FunctionEnd

Section "un.Mountwick" UnSecProgram
  SectionIn RO
  FindWindow $0 "MOUNTWICK"
  IntCmp $0 0 +2
  SendMessage $0 ${WM_COMMAND} 105 0
  Sleep 500
  Delete "$INSTDIR\Mountwick.exe"
  Delete "$INSTDIR\Mountwick.chm"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\Mountwick_Verup.inf"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Mountwick\Mountwick.lnk"
  Delete "$SMPROGRAMS\Mountwick\Mountwick の設定.lnk"
  RMDir "$SMPROGRAMS\Mountwick"
  Delete "$SMSTARTUP\Mountwick.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; The settings stay unless the user asks for them to go.
Section /o "un.設定 (登録したアクション) も削除する" UnSecSettings
  DeleteRegKey HKCU "software\Quillory\Mountwick"
  DeleteRegKey /ifempty HKCU "software\Quillory"
SectionEnd

Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  IfErrors +2
  SectionSetFlags ${UnSecSettings} ${SF_SELECTED}
FunctionEnd
