; The per-user installer of the KORVALDZ314 monitor (NSIS 3, 64-bit Unicode). Built by
; packaging/windows/package.cmake, which defines:
;   VERSION      the project's version, "1.0.0"
;   PRODUCT      the product name, PUBLISHER its publisher
;   SOURCE_DIR   the monitor put together (KORVALDZ314MON.EXE, uiHook.dll, config.ini,
;                LanguageTranslate.exe, images\0409\icons\logo.ico, logo_muted.ico and both
;                for a light taskbar, logo_light_taskbar.ico and logo_muted_light_taskbar.ico)
;   OUTPUT       the setup file to write
;
; Command line: /S installs silently, /D=<folder> (last, unquoted) chooses the folder, /START
; starts the monitor at the end of a silent install. The uninstaller takes /S and
; /REMOVEPROFILES (also remove the user's profiles, as the box on its page does). Without rights beyond the user's own: the
; files go to %LOCALAPPDATA%\Programs\KORVALDZ314, everything else under HKCU.

Unicode true
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MONITOR_EXE "KORVALDZ314MON.EXE"
!define MONITOR_CLASS "TKORVALDZ314MONMAIN"
!define QUIT_MESSAGE "KORVALDZ314MON.Quit"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "KORVALDZ314MON"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KORVALDZ314MON"
!define MENU_FOLDER "$SMPROGRAMS\KORVALDZ314"
; How long a running monitor gets to end before a file is touched.
!define STOP_WAIT_MS 10000

Name "${PRODUCT}"
OutFile "${OUTPUT}"
InstallDir "$LOCALAPPDATA\Programs\KORVALDZ314"
; An upgrade goes where the last install went (unless /D says otherwise).
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!define MUI_ICON "${SOURCE_DIR}\images\0409\icons\logo.ico"
!define MUI_UNICON "${SOURCE_DIR}\images\0409\icons\logo.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${MONITOR_EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start the monitor now"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var MonitorWasRunning

; Asks a running monitor to end as Exit in its menu does (the configuration program is told, the
; hook library and the guard are let go) and waits for its process to end.
!macro STOP_MONITOR un
Function ${un}StopMonitor
  StrCpy $MonitorWasRunning 0
  FindWindow $0 "${MONITOR_CLASS}"
  ${If} $0 == 0
    Return
  ${EndIf}
  StrCpy $MonitorWasRunning 1
  System::Call 'user32::RegisterWindowMessageW(w "${QUIT_MESSAGE}") i .r1'
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i 0 r2)'
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r2) p .r3'
  SendMessage $0 $1 0 0 /TIMEOUT=5000
  ${If} $3 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p r3, i ${STOP_WAIT_MS}) i .r4'
    System::Call 'kernel32::CloseHandle(p r3)'
  ${EndIf}
  ; Without a process handle: the window going away is the sign.
  StrCpy $5 0
  ${Do}
    FindWindow $0 "${MONITOR_CLASS}"
    ${If} $0 == 0
      Return
    ${EndIf}
    ${If} $5 >= ${STOP_WAIT_MS}
      MessageBox MB_OK|MB_ICONSTOP "The running ${PRODUCT} did not end. End it from its tray menu and try again." /SD IDOK
      Abort
    ${EndIf}
    Sleep 100
    IntOp $5 $5 + 100
  ${Loop}
FunctionEnd
!macroend
!insertmacro STOP_MONITOR ""
!insertmacro STOP_MONITOR "un."

Section "Install"
  SetShellVarContext current
  Call StopMonitor

  SetOutPath "$INSTDIR"
  File "${SOURCE_DIR}\${MONITOR_EXE}"
  File "${SOURCE_DIR}\uiHook.dll"
  File "${SOURCE_DIR}\config.ini"
  File "${SOURCE_DIR}\LanguageTranslate.exe"
  SetOutPath "$INSTDIR\images\0409\icons"
  File "${SOURCE_DIR}\images\0409\icons\logo.ico"
  File "${SOURCE_DIR}\images\0409\icons\logo_muted.ico"
  File "${SOURCE_DIR}\images\0409\icons\logo_light_taskbar.ico"
  File "${SOURCE_DIR}\images\0409\icons\logo_muted_light_taskbar.ico"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Started at every logon.
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${MONITOR_EXE}"'

  ; Add or remove programs.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${MONITOR_EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\${MONITOR_EXE}"
  CreateShortcut "${MENU_FOLDER}\Language Translate.lnk" "$INSTDIR\LanguageTranslate.exe"
  CreateShortcut "${MENU_FOLDER}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"

  ; A monitor that was running runs again; a silent install starts one only with /START (the
  ; interactive one offers it on its last page).
  StrCpy $6 $MonitorWasRunning
  ${If} ${Silent}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/START" $1
    ${IfNot} ${Errors}
      StrCpy $6 1
    ${EndIf}
  ${EndIf}
  ${If} $6 == 1
    Exec '"$INSTDIR\${MONITOR_EXE}"'
  ${EndIf}
SectionEnd

; What the uninstaller reads from config.ini (un.onInit, below) before removing it: where the
; profiles are.
Var ProfileRegFolder
Var ProfileFolder
Var ProfilePrefix
Var ProfileMacroFolder


Section "-un.Program"
  Call un.StopMonitor
  Delete "$INSTDIR\${MONITOR_EXE}"
  Delete "$INSTDIR\uiHook.dll"
  Delete "$INSTDIR\config.ini"
  Delete "$INSTDIR\LanguageTranslate.exe"
  Delete "$INSTDIR\images\0409\icons\logo.ico"
  Delete "$INSTDIR\images\0409\icons\logo_muted.ico"
  Delete "$INSTDIR\images\0409\icons\logo_light_taskbar.ico"
  Delete "$INSTDIR\images\0409\icons\logo_muted_light_taskbar.ico"
  RMDir "$INSTDIR\images\0409\icons"
  RMDir "$INSTDIR\images\0409"
  RMDir "$INSTDIR\images"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: the configuration program of the suite may live here too.
  RMDir "$INSTDIR"

  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Delete "${MENU_FOLDER}\${PRODUCT}.lnk"
  Delete "${MENU_FOLDER}\Language Translate.lnk"
  Delete "${MENU_FOLDER}\Uninstall ${PRODUCT}.lnk"
  RMDir "${MENU_FOLDER}"
SectionEnd

; Unticked by default and in a silent uninstall: the user's profiles stay.
Section /o "un.Remove my profiles and settings" SEC_UN_PROFILES
  ; The registry folder, only when it holds the monitor's records (a config.ini naming another
  ; folder must not cost the user anything else).
  ${If} $ProfileRegFolder != ""
    StrCpy $0 0
    ${Do}
      EnumRegValue $1 HKCU "software\$ProfileRegFolder" $0
      ${If} $1 == ""
        ${ExitDo}
      ${EndIf}
      ${If} $1 == "allsettings.pfd"
        DeleteRegKey HKCU "software\$ProfileRegFolder"
        ${ExitDo}
      ${EndIf}
      IntOp $0 $0 + 1
    ${Loop}
  ${EndIf}
  ; The profile files and macro folders in the documents folder, then that folder when empty.
  ${If} $ProfileFolder != ""
    StrCpy $2 "$DOCUMENTS\$ProfileFolder"
    Delete "$2\$ProfilePrefix*.pfd"
    ${If} $ProfileMacroFolder != ""
      RMDir /r "$2\$ProfileMacroFolder"
    ${EndIf}
    FindFirst $3 $4 "$2\*_Macros"
    ${DoWhile} $4 != ""
      RMDir /r "$2\$4"
      FindNext $3 $4
    ${Loop}
    FindClose $3
    RMDir "$2"
  ${EndIf}
SectionEnd

Function un.onInit
  SetShellVarContext current
  ClearErrors
  ; As the monitor derives them (the registry folder is "software\" and the value).
  ReadINIStr $ProfileRegFolder "$INSTDIR\config.ini" "options" "ProfileRegFolder"
  ${If} ${Errors}
    StrCpy $ProfileRegFolder "software\KORVALDZ314GM"
  ${EndIf}
  ClearErrors
  ReadINIStr $ProfileFolder "$INSTDIR\config.ini" "options" "profileFolder"
  ${If} ${Errors}
    StrCpy $ProfileFolder "Profile"
  ${EndIf}
  ClearErrors
  ReadINIStr $ProfilePrefix "$INSTDIR\config.ini" "options" "profilePrefix"
  ${If} ${Errors}
    StrCpy $ProfilePrefix "Profile"
  ${EndIf}
  ClearErrors
  ReadINIStr $ProfileMacroFolder "$INSTDIR\config.ini" "options" "profileMacroFolder"
  ${If} ${Errors}
    StrCpy $ProfileMacroFolder "MacroDB"
  ${EndIf}
  ClearErrors
  ${GetParameters} $0
  ${GetOptions} $0 "/REMOVEPROFILES" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SEC_UN_PROFILES} ${SF_SELECTED}
  ${EndIf}
  ClearErrors
FunctionEnd
