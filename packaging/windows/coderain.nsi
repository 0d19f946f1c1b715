; coderain's installer for Windows, built by makensis from CMake
; (packaging/windows/CMakeLists.txt), which defines VERSION, STAGE (the
; folder with coderain.scr, the three text files and LICENSE.txt), WEB (the
; web build, with the page and the wallpaper hosts' folders where it has
; made them) and OUTFILE.
;
; It puts the screen saver and its text files in Program Files\coderain,
; makes it the current user's screen saver (by its short path: Windows
; takes no spaces in SCRNSAVE.EXE), puts the page and the folders that
; Lively Wallpaper and Wallpaper Engine import beside it, with a Start-menu
; entry that opens them, and registers an uninstaller in Apps &
; Features, which removes everything (the settings too) and gives back the
; screen saver chosen before, where the setting still names ours. A running
; screen saver is closed first; what cannot be removed then goes when
; Windows next starts, which the uninstaller says (a box, and status 3010
; where it runs silently).
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
!include "LogicLib.nsh"
!include "WinMessages.nsh"

Name "coderain"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\coderain"
RequestExecutionLevel admin
LicenseData "${STAGE}\LICENSE.txt"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "coderain"
VIAddVersionKey "FileDescription" "coderain installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "MIT License"

!define DESKTOP "Control Panel\Desktop"
!define UNINSTALL "Software\Microsoft\Windows\CurrentVersion\Uninstall\coderain"
; The screen saver's settings, and the one chosen before ours.
!define OWN "Software\coderain"

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
  SetRegView 64
  SetOutPath "$INSTDIR"
  File "${STAGE}\coderain.scr"
  File "${STAGE}\codeASM.txt"
  File "${STAGE}\codeC.txt"
  File "${STAGE}\codeVB.txt"
  File "${STAGE}\LICENSE.txt"
  !if /FileExists "${WEB}/coderain.html"
    File "${WEB}/coderain.html"
  !endif
  !if /FileExists "${WEB}/wallpaper/lively/index.html"
    File /r "${WEB}/wallpaper"
    SetShellVarContext all
    CreateShortCut "$SMPROGRAMS\coderain wallpaper (folder).lnk" "$INSTDIR\wallpaper"
    SetShellVarContext current
  !endif
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The screen saver chosen before, for the uninstaller to give back; not
  ; overwritten by a second install over the first.
  GetFullPathName /SHORT $1 "$INSTDIR\coderain.scr"
  ReadRegStr $0 HKCU "${DESKTOP}" "SCRNSAVE.EXE"
  ${If} $0 != $1
    WriteRegStr HKCU "${OWN}" "PreviousScreenSaver" $0
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP}" "SCRNSAVE.EXE" $1
  WriteRegStr HKCU "${DESKTOP}" "ScreenSaveActive" "1"

  WriteRegStr HKLM "${UNINSTALL}" "DisplayName" "coderain"
  WriteRegStr HKLM "${UNINSTALL}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL}" "Publisher" "the coderain authors"
  WriteRegStr HKLM "${UNINSTALL}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL}" "DisplayIcon" "$INSTDIR\coderain.scr"
  WriteRegStr HKLM "${UNINSTALL}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL}" "NoRepair" 1
SectionEnd

; Asks the window $R0 finds, if any, to close.
!macro CloseWindow CLASS TITLE
  FindWindow $R0 "${CLASS}" "${TITLE}"
  ${If} $R0 <> 0
    SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=500
  ${EndIf}
!macroend

; Removes coderain.scr, closing a running screen saver for up to 3 s: its
; scene's windows, its settings dialog and a box it shows end it. Its
; preview in the Screen Saver settings is a window of theirs, which the
; user closes. A saver that runs holds its text files open too.
Function un.RemoveSaver
  StrCpy $R1 0
  ${Do}
    !insertmacro CloseWindow "coderain" ""
    !insertmacro CloseWindow "#32770" "coderain settings"
    !insertmacro CloseWindow "#32770" "coderain"
    ClearErrors
    Delete "$INSTDIR\coderain.scr"
    ${IfNot} ${Errors}
      Return
    ${EndIf}
    Sleep 100
    IntOp $R1 $R1 + 1
  ${LoopUntil} $R1 >= 30
FunctionEnd

Section "Uninstall"
  SetRegView 64
  ; Where the setting still names ours, the one before comes back (or none).
  GetFullPathName /SHORT $1 "$INSTDIR\coderain.scr"
  ReadRegStr $0 HKCU "${DESKTOP}" "SCRNSAVE.EXE"
  ${If} $0 == $1
  ${OrIf} $0 == "$INSTDIR\coderain.scr"
    ReadRegStr $2 HKCU "${OWN}" "PreviousScreenSaver"
    ${If} $2 == ""
      DeleteRegValue HKCU "${DESKTOP}" "SCRNSAVE.EXE"
    ${Else}
      WriteRegStr HKCU "${DESKTOP}" "SCRNSAVE.EXE" $2
    ${EndIf}
  ${EndIf}
  DeleteRegKey HKCU "${OWN}"
  DeleteRegKey HKLM "${UNINSTALL}"
  ${Do}
    Call un.RemoveSaver
    ${IfNot} ${FileExists} "$INSTDIR\coderain.scr"
      ${Break}
    ${EndIf}
  ${LoopWhile} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "coderain is running, maybe in the preview of the \
    Screen Saver settings. Close it and choose Retry, or Cancel to remove it when Windows next starts." \
    /SD IDCANCEL IDRETRY`
  Delete /REBOOTOK "$INSTDIR\coderain.scr"
  Delete /REBOOTOK "$INSTDIR\codeASM.txt"
  Delete /REBOOTOK "$INSTDIR\codeC.txt"
  Delete /REBOOTOK "$INSTDIR\codeVB.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\coderain.html"
  RMDir /r "$INSTDIR\wallpaper"
  SetShellVarContext all
  Delete "$SMPROGRAMS\coderain wallpaper (folder).lnk"
  SetShellVarContext current
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ${If} ${RebootFlag}
    RMDir /REBOOTOK "$INSTDIR"
    MessageBox MB_OK|MB_ICONINFORMATION "coderain.scr is removed when Windows next starts." /SD IDOK
    SetErrorLevel 3010
  ${EndIf}
SectionEnd
