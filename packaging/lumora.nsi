; The installer of Lumora Indicator. make_package.py builds it and passes, as /D defines, the
; version and names from resources/version.h and the paths of the files to pack.
;
; It installs for the current user only, so it never asks for administrator rights, and it ends
; a running copy the way that copy's own Exit command does, so that its lamp positions are saved.

; 64-bit stubs: lumora.exe is a 64-bit program, and a 64-bit-only Wine prefix runs no 32-bit one.
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The program names its Run value after its file, and keeps its settings in this folder.
!define RUN_VALUE "lumora.exe"
!define SETTINGS_FOLDER "$LOCALAPPDATA\Lumora Indicator"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\lumora.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${COPYRIGHT}"

; Asks every running lumora.exe to end as its Exit command does (WM_QUIT to the thread of its
; message-only "Worker" window: it saves its settings and lamp positions on the way out) and
; waits for it, at most 10 seconds each. The owner's file name tells our worker from another
; program's window of the same class.
!macro END_RUNNING_COPIES prefix
Function ${prefix}EndRunningCopies
  StrCpy $R0 0
  next_window:
    System::Call 'user32::FindWindowExW(p -3, p R0, w "Worker", p 0) p .R0'
    StrCmp $R0 0 done
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R2) i .R1'
    ; PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE
    System::Call 'kernel32::OpenProcess(i 0x101000, i 0, i R2) p .R3'
    StrCmp $R3 0 next_window
    StrCpy $R4 ""
    System::Call 'kernel32::QueryFullProcessImageNameW(p R3, i 0, w .R4, *i ${NSIS_MAX_STRLEN})'
    StrCpy $R5 $R4 "" -11
    ${If} $R5 == "\lumora.exe"
      DetailPrint "Ending the running ${PRODUCT} (process $R2)"
      System::Call 'user32::PostThreadMessageW(i R1, i 0x12, p 0, p 0)'
      System::Call 'kernel32::WaitForSingleObject(p R3, i 10000) i .R6'
      ${If} $R6 == 0
        ; The window list changed under us: look again from its start.
        StrCpy $R0 0
      ${EndIf}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p R3)'
    Goto next_window
  done:
FunctionEnd
!macroend
!insertmacro END_RUNNING_COPIES ""
!insertmacro END_RUNNING_COPIES "un."

Section "-${PRODUCT}"
  Call EndRunningCopies
  SetOutPath "$INSTDIR"
  File "/oname=lumora.exe" "${LUMORA_EXE}"
  File "/oname=LICENSE.txt" "${LICENSE_FILE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\lumora.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\lumora.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; The same command the program writes itself at every start, unless its stored "Start with
  ; Windows" is off: then the program's own next start keeps the value empty, and so do we.
  ReadINIStr $0 "${SETTINGS_FOLDER}\settings.ini" "General" "StartWithWindows"
  ${If} $0 != "0"
    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\lumora.exe" s'
  ${EndIf}

  ; A silent install has no finish page to offer the start: it starts the program as the logon
  ; would, without its options window.
  ${If} ${Silent}
    Exec '"$INSTDIR\lumora.exe" s'
  ${EndIf}
SectionEnd

Section "un.${PRODUCT}" UninstallProgram
  SectionIn RO
  Call un.EndRunningCopies
  Delete "$INSTDIR\lumora.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; A Run value that names another copy of lumora.exe is that copy's, and stays.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 == '"$INSTDIR\lumora.exe" s'
  ${OrIf} $0 == ""
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
SectionEnd

; Off unless ticked, and so kept by a silent uninstall: a later install finds the lamps where
; the user left them.
Section /o "un.My settings" UninstallSettings
  Delete "${SETTINGS_FOLDER}\settings.ini"
  RMDir "${SETTINGS_FOLDER}"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UninstallProgram} "The program, its Start menu shortcut and its start with Windows."
  !insertmacro MUI_DESCRIPTION_TEXT ${UninstallSettings} "settings.ini: the lamps' places, the colours and the choices. Unticked, they stay for a later install."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
