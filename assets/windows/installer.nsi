; The Windows installer of Vantoria, built by scripts/windows.sh (stage package):
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.2.3 -DSTAGE=<program folder> -DICON=<vantoria.ico>
;            -DOUTFILE=<Vantoria-Setup-1.2.3-x64.exe> installer.nsi
; Per machine, into Program Files. The operator's files live in %APPDATA%\Vantoria (the program
; knows it is installed by installed.txt beside it); the uninstaller leaves them alone.
Unicode true
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "x64.nsh"

!define NAME "Vantoria"
!define SHORTCUT "Vantoria 年会抽奖"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantoria"

Name "${SHORTCUT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Vantoria"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Vantoria ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${SHORTCUT}"
VIAddVersionKey /LANG=2052 "CompanyName" "Vantoria"
VIAddVersionKey /LANG=2052 "FileDescription" "${SHORTCUT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Vantoria"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\vantoria.exe"
!define MUI_FINISHPAGE_RUN_TEXT "启动 ${SHORTCUT}"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "${SHORTCUT} 需要 64 位的 Windows。"
    Abort
  ${EndIf}
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "${SHORTCUT}" SecProgram
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  ; An update replaces the program's files; the operator's files are elsewhere.
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${SHORTCUT}.lnk" "$INSTDIR\vantoria.exe" "" "$INSTDIR\vantoria.exe" 0

  ; Phone check-in listens on the venue's network, which Windows often calls public: the
  ; program alone may accept connections there, so no firewall prompt interrupts the evening.
  ; Where netsh is missing or refuses, the operator is asked by Windows as usual.
  nsExec::Exec 'netsh advfirewall firewall delete rule name="Vantoria check-in" program="$INSTDIR\vantoria.exe"'
  Pop $0
  nsExec::Exec 'netsh advfirewall firewall add rule name="Vantoria check-in" dir=in action=allow program="$INSTDIR\vantoria.exe" protocol=TCP profile=any enable=yes'
  Pop $0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${SHORTCUT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Vantoria"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vantoria.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "桌面快捷方式" SecDesktop
  SetShellVarContext all
  CreateShortcut "$DESKTOP\${SHORTCUT}.lnk" "$INSTDIR\vantoria.exe" "" "$INSTDIR\vantoria.exe" 0
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "程序、内置的背景、音乐和示例。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "在桌面上放一个快捷方式。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Removes what the installer put there, nothing else: the data folder (%APPDATA%\Vantoria)
; stays, and so does anything the operator added to the program's folder.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${SHORTCUT}.lnk"
  Delete "$DESKTOP\${SHORTCUT}.lnk"
  nsExec::Exec 'netsh advfirewall firewall delete rule name="Vantoria check-in" program="$INSTDIR\vantoria.exe"'
  Pop $0
  !include "${FILE_LIST}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
