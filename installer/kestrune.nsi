; Kestrune's installer and uninstaller. scripts/package runs makensis on it
; with the version, the staged files and the output file:
;
;   makensis -DVERSION=2.01 -DVERSION4=2.1.0.0 -DSTAGE=DIR -DOUTFILE=FILE
;            -DICON=res/kestrune.ico installer/kestrune.nsi
;
; STAGE holds exactly the files installed; the uninstaller deletes those
; files and nothing else of the program folder, so the user's backups and
; logs there (and in %LOCALAPPDATA%\Kestrune) survive it.

!ifndef VERSION | VERSION4 | STAGE | OUTFILE | ICON
  !error "VERSION, VERSION4, STAGE, OUTFILE and ICON must be defined"
!endif

Unicode true
SetCompressor /SOLID lzma

!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "StrFunc.nsh"
!include "nsDialogs.nsh"
${UnStrStr}

; scripts/package passes SIGN, its signing script: the installer and the
; uninstaller written into it are signed once made.
!ifdef SIGN
  !finalize '"${SIGN}" "%1"'
  !uninstfinalize '"${SIGN}" "%1"'
!endif

!define PRODUCT "Kestrune"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrune"
!define SETTINGS_KEY "SOFTWARE\Kestrune"
!define RUN_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
!define SHORTCUT "$SMPROGRAMS\Kestrune.lnk"
!define REFERENCE_FILE "kestrune_020404_v2.ks"
; The Application log's event source; the message table is Kestrune.exe's.
!define EVENTLOG_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\Kestrune"

Name "${PRODUCT} ${VERSION}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES\Kestrune"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 Kestrune"

Page directory
Page instfiles
Page custom FinishPage FinishPageLeave ": Finished"
UninstPage uninstConfirm
UninstPage instfiles

; The files of the program folder, installed and later deleted by name.
!macro ProgramFiles action
  !insertmacro ${action} "Kestrune.exe"
  !insertmacro ${action} "kestrune-cli.exe"
  !insertmacro ${action} "${REFERENCE_FILE}"
  !insertmacro ${action} "README.txt"
!macroend
!macro InstallFile name
  File "${STAGE}\${name}"
!macroend
!macro DeleteFile name
  Delete "$INSTDIR\${name}"
!macroend

; A running Kestrune holds its program file open: Windows would neither
; replace nor delete it, and the (un)installer would end as if it had. Its
; main window, titled "Kestrune vVERSION" even when hidden in the
; notification area, tells it runs. Silent, the (un)installer gives up at
; once (exit code 2); otherwise it asks the user to close it.
!macro WaitForKestrune
  ${Do}
    FindWindow $0 "#32770" "Kestrune v${VERSION}"
    ${If} $0 == 0
      ${ExitDo}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Kestrune is running. Close it (File > Exit), then press Retry." /SD IDCANCEL IDRETRY +2
    Abort
  ${Loop}
!macroend

Function .onInit
  !insertmacro WaitForKestrune
FunctionEnd

Function un.onInit
  !insertmacro WaitForKestrune
FunctionEnd

; The last page: "Start Kestrune", checked. A silent installer shows no page
; and starts nothing. The program starts through explorer.exe, as the
; signed-in user without this installer's elevation, as it would from its
; shortcut.
Var StartBox
Function FinishPage
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 24u "${PRODUCT} ${VERSION} is installed in $INSTDIR."
  Pop $0
  ${NSD_CreateCheckbox} 0 30u 100% 12u "Start Kestrune"
  Pop $StartBox
  ${NSD_Check} $StartBox
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:&Finish"
  GetDlgItem $0 $HWNDPARENT 2
  EnableWindow $0 0
  GetDlgItem $0 $HWNDPARENT 3
  EnableWindow $0 0
  nsDialogs::Show
FunctionEnd

Function FinishPageLeave
  ${NSD_GetState} $StartBox $0
  ${If} $0 == ${BST_CHECKED}
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\Kestrune.exe"'
  ${EndIf}
FunctionEnd

Section "Kestrune"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  !insertmacro ProgramFiles InstallFile
  WriteUninstaller "$INSTDIR\uninst.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\Kestrune.exe" "" "$INSTDIR\Kestrune.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Kestrune.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninst.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninst.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; Add/Remove Programs counts in KB.
  ${GetSize} "$INSTDIR" "/M=*.* /S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; Events: the source "Kestrune" of the Application log, its texts in
  ; Kestrune.exe; information, warnings and errors (7).
  WriteRegExpandStr HKLM "${EVENTLOG_KEY}" "EventMessageFile" "$INSTDIR\Kestrune.exe"
  WriteRegDWORD HKLM "${EVENTLOG_KEY}" "TypesSupported" 7

  ; Settings left by a copy that is gone (a deleted portable copy, say) name
  ; a reference file that no longer exists: they name this copy's instead,
  ; so that the program starts without a question. A file that exists, or
  ; settings that name none, stay as they are.
  ClearErrors
  ReadRegStr $1 HKCU "${SETTINGS_KEY}" "rfp"
  ${IfNot} ${Errors}
  ${AndIf} $1 != ""
  ${AndIfNot} ${FileExists} "$1"
    WriteRegStr HKCU "${SETTINGS_KEY}" "rfp" "$INSTDIR\${REFERENCE_FILE}"
    WriteRegStr HKCU "${SETTINGS_KEY}" "path" "$INSTDIR"
    DetailPrint "The settings named $1, which is gone; they name $INSTDIR\${REFERENCE_FILE} now"
  ${EndIf}
SectionEnd

; Deletes the Run value "Kestrune" of ROOT when it starts this copy of Kestrune
; ("...\Kestrune.exe" /s, as Preferences writes it); a Run value of another
; copy, a portable one say, is that copy's and stays.
!macro un.RemoveRunValue root
  ClearErrors
  ReadRegStr $R0 ${root} "${RUN_KEY}" "Kestrune"
  ${IfNot} ${Errors}
    ${UnStrStr} $R1 $R0 "$INSTDIR\Kestrune.exe"
    ${If} $R1 != ""
      DeleteRegValue ${root} "${RUN_KEY}" "Kestrune"
      StrCpy $R9 "removed"
    ${EndIf}
  ${EndIf}
!macroend

Section "Uninstall"
  SetShellVarContext all
  !insertmacro ProgramFiles DeleteFile
  Delete "$INSTDIR\uninst.exe"
  Delete "${SHORTCUT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${EVENTLOG_KEY}"

  StrCpy $R9 ""
  !insertmacro un.RemoveRunValue HKCU
  !insertmacro un.RemoveRunValue HKLM

  ; Where this user's logs go: the log folder of the settings, read before
  ; the settings may go.
  ReadRegStr $R2 HKCU "${SETTINGS_KEY}" "lfp"
  ${If} $R2 == ""
    StrCpy $R2 "$INSTDIR\logs"
  ${EndIf}
  ExpandEnvStrings $R6 "%LOCALAPPDATA%\Kestrune"

  ; /REMOVESETTINGS removes the settings without asking; otherwise the user
  ; is asked, when there are settings, and a silent uninstall keeps them.
  ClearErrors
  EnumRegKey $R7 HKCU "${SETTINGS_KEY}" 0
  ${If} ${Errors}
    StrCpy $R8 "none"
  ${Else}
    StrCpy $R8 "some"
  ${EndIf}
  ${GetParameters} $R3
  ClearErrors
  ${GetOptions} $R3 "/REMOVESETTINGS" $R4
  ${If} $R8 == "none"
    ; nothing to remove or keep
  ${ElseIfNot} ${Errors}
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  ${ElseIf} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Remove Kestrune's settings (HKEY_CURRENT_USER\${SETTINGS_KEY}) too?$\n$\nYour backups and logs are not removed: they stay in $INSTDIR\KestruneBackup, in $R2 and in $R6." /SD IDNO IDYES`
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  ${ElseIf} $R9 == "removed"
    ; The settings stay; the Run entry just removed is off in them too. Only
    ; an existing value is changed: a key holding "ras" alone would keep
    ; the program from writing its defaults at its next first start.
    ClearErrors
    ReadRegStr $R5 HKCU "${SETTINGS_KEY}" "ras"
    ${IfNot} ${Errors}
      WriteRegStr HKCU "${SETTINGS_KEY}" "ras" "0"
    ${EndIf}
  ${EndIf}

  ; Only an empty folder goes: backups, logs or anything else put there keep it.
  RMDir "$INSTDIR"
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    DetailPrint "Removed $INSTDIR"
  ${Else}
    DetailPrint "Kept $INSTDIR: backups, logs or other files are left in it"
  ${EndIf}
SectionEnd
