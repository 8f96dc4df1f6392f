; The Windows installer: the programs under Program Files, a Start-menu
; folder (the calculator, the plant program, the README, a console
; for kestrin-cli), an optional desktop shortcut, an optional entry in the
; user's PATH and an uninstaller that Windows lists under Programs and Features.
; Built by `make package-windows`:
;   makensis -DVERSION=1.0 -DSTAGE=<dir with the files> -DOUTFILE=<setup.exe> kestrin.nsi
; Silent: setup.exe /S [/PATH] [/D=C:\path]   (/D= comes last and unquoted, even with
; spaces: NSIS's own rule; a quoted "/D=..." is refused)   uninstall.exe /S
; Exit status: 0 installed; 1 cancelled; 2 not installed (program running,
; bad /D), the reason appended to %TEMP%\kestrin-setup.log.
; A 64-bit installer, for a 64-bit program (and Wine without 32-bit support).
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include x64.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include LogicLib.nsh
!include WinMessages.nsh

!define PRODUCT "卫生防护距离"
!define PUBLISHER "Kestrin developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrin"
!define MENU "$SMPROGRAMS\${PRODUCT}"
!define PLANT "${PRODUCT}（全厂）"
!define USAGE "用法：setup.exe [/S] [/PATH] [/D=安装目录]$\r$\n$\r$\n/S  静默安装$\r$\n/PATH  把安装目录加入当前用户的 PATH$\r$\n/D=安装目录  必须放在最后，不加引号（即使目录含空格），例如$\r$\n    setup.exe /S /D=C:\Program Files\卫生防护距离$\r$\n$\r$\n退出码：0 已安装；1 已取消；2 未安装（程序正在运行或 /D 写法有误），原因记在 %TEMP%\kestrin-setup.log。"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Kestrin"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "Kestrin ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=2052 "ProductName" "Kestrin ${PRODUCT}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "MIT License"

!define MUI_ICON "${STAGE}\kestrin.ico"
!define MUI_UNICON "${STAGE}\kestrin.ico"
!define MUI_ABORTWARNING
; The setup runs elevated; the program must not. Explorer, already running
; as the logged-in user, starts it for us with that user's rights.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION RunAsUser

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!define MUI_PAGE_HEADER_TEXT "第三方软件许可"
!define MUI_PAGE_HEADER_SUBTEXT "程序中静态链接的库及其许可（也装在安装目录的 THIRD-PARTY-NOTICES.txt 中）。"
!define MUI_LICENSEPAGE_TEXT_TOP "按 Page Down 查看其余内容。"
!insertmacro MUI_PAGE_LICENSE "${STAGE}\THIRD-PARTY-NOTICES.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; Ends the setup (or the uninstaller) having changed nothing: status 2, the
; reason in the log and, when not silent, in a box above every window.
!macro RUNNING_CHECKS un
Function ${un}Refuse
  FileOpen $R9 "$TEMP\kestrin-setup.log" a
  FileSeek $R9 0 END
  FileWriteUTF16LE /BOM $R9 "kestrin ${VERSION} ${un}install: $R2$\r$\n"
  FileClose $R9
  MessageBox MB_ICONSTOP|MB_TOPMOST|MB_SETFOREGROUND "$R2" /SD IDOK
  SetErrorLevel 2
  Quit
FunctionEnd

; A running program keeps its .exe open, so it cannot be replaced: before
; copying anything, ask to close it (the box above every window, the
; calculator's included), or fail when silent. Tried by opening each
; installed program for writing, which Windows refuses while it runs.
Function ${un}CloseRunning
  ${ForEach} $R3 0 2 + 1
    ${Select} $R3
      ${Case} 0
        StrCpy $R4 "kestrin.exe"
      ${Case} 1
        StrCpy $R4 "kestrin-plant.exe"
      ${Case} 2
        StrCpy $R4 "kestrin-cli.exe"
    ${EndSelect}
    ${Do}
      ${IfNot} ${FileExists} "$INSTDIR\$R4"
        ${Break}
      ${EndIf}
      ClearErrors
      FileOpen $R5 "$INSTDIR\$R4" a
      ${IfNot} ${Errors}
        FileClose $R5
        ${Break}
      ${EndIf}
      ; The box belongs to the setup's window, and window managers keep a
      ; box in its owner's layer: lift the owner above the calculator too.
      System::Call "user32::SetWindowPos(p $HWNDPARENT, p -1, i 0, i 0, i 0, i 0, i 3)"
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION|MB_TOPMOST|MB_SETFOREGROUND \
        "$R4 正在运行。请先关闭它，再点“重试”。" /SD IDCANCEL IDRETRY again
      StrCpy $R2 "$INSTDIR\$R4 正在运行，未作任何改动。"
      Call ${un}Refuse
      again:
      System::Call "user32::SetWindowPos(p $HWNDPARENT, p -2, i 0, i 0, i 0, i 0, i 3)"
    ${Loop}
  ${Next}
FunctionEnd
!macroend
!insertmacro RUNNING_CHECKS ""
!insertmacro RUNNING_CHECKS "un."

Function RunAsUser
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\kestrin.exe"'
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "${PRODUCT}（必需）" SecProgram
  SectionIn RO
  Call CloseRunning
  ; The topmost folder this setup creates, for the uninstaller to remove
  ; again when empty; an upgrade keeps what the first install recorded.
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    StrCpy $R0 $INSTDIR
    ${Do}
      ${GetParent} $R0 $R1
      ${If} $R1 == ""
      ${OrIf} ${FileExists} "$R1\*.*"
        ${Break}
      ${EndIf}
      StrCpy $R0 $R1
    ${Loop}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "CreatedFolder" $R0
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "${STAGE}\kestrin.exe"
  File "${STAGE}\kestrin-cli.exe"
  File "${STAGE}\kestrin-plant.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\THIRD-PARTY-NOTICES.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "${MENU}"
  CreateShortcut "${MENU}\${PRODUCT}.lnk" "$INSTDIR\kestrin.exe"
  CreateShortcut "${MENU}\${PLANT}.lnk" "$INSTDIR\kestrin-plant.exe"
  CreateShortcut "${MENU}\使用说明 README.lnk" "$INSTDIR\README.txt"
  ; A console in the install folder with kestrin-cli on its PATH (the
  ; working folder of a shortcut is the current output path).
  CreateShortcut "${MENU}\命令行 kestrin-cli.lnk" "$SYSDIR\cmd.exe" \
    '/k "set "PATH=$INSTDIR;%PATH%" && kestrin-cli --help"' "$SYSDIR\cmd.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} (Kestrin)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kestrin.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "桌面快捷方式" SecDesktop
  CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\kestrin.exe"
SectionEnd

; The user's own PATH (HKCU), so kestrin-cli runs from any console. NSIS
; strings are limited in length: a PATH too long to read whole is left
; alone rather than written back cut short.
Section /o "把安装目录加入 PATH" SecPath
  ReadRegStr $R0 HKCU "Environment" "Path"
  StrLen $R1 "$R0;$INSTDIR"
  ${If} $R1 >= ${NSIS_MAX_STRLEN}
    DetailPrint "PATH 太长，未修改。"
    Return
  ${EndIf}
  ${WordFind} "$R0" ";" "E/$INSTDIR" $R2
  ${If} ${Errors}
  ${AndIf} $R0 != $INSTDIR
    ${If} $R0 == ""
      StrCpy $R0 "$INSTDIR"
    ${Else}
      StrCpy $R0 "$R0;$INSTDIR"
    ${EndIf}
    WriteRegExpandStr HKCU "Environment" "Path" $R0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "AddedToPath" 1
    SendMessage ${HWND_BROADCAST} ${WM_WININICHANGE} 0 "STR:Environment" /TIMEOUT=5000
  ${EndIf}
SectionEnd

; Shortcuts and the uninstall entry are for every user of the machine.
; (After the sections, whose indices it uses.)
Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "本程序需要 64 位 Windows。" /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  SetShellVarContext all
  ${GetParameters} $R0
  ${GetOptions} $R0 "/?" $R1
  ${IfNot} ${Errors}
    MessageBox MB_ICONINFORMATION "${USAGE}" /SD IDOK
    SetErrorLevel 0
    Quit
  ${EndIf}
  ; /PATH: the PATH component, for silent installs.
  ${GetOptions} $R0 "/PATH" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecPath} ${SF_SELECTED}
  ${EndIf}
  ; NSIS takes /D= only unquoted at the end; a quoted one would be ignored
  ; and the programs put elsewhere than asked.
  ${WordFind} $R0 '"/D=' "E+1{" $R1
  ${IfNot} ${Errors}
    StrCpy $R2 "未安装：/D= 须放在最后且不加引号：$R0"
    Call Refuse
  ${EndIf}
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "计算程序 kestrin.exe 与批处理工具 kestrin-cli.exe。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "在桌面上放一个启动计算程序的快捷方式。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPath} "把安装目录加入当前用户的 PATH，在任何命令行窗口中都能运行 kestrin-cli。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Removes exactly what the installer put there; a folder the user added
; files to stays.
Section "Uninstall"
  Call un.CloseRunning
  Delete "$DESKTOP\${PRODUCT}.lnk"
  Delete "${MENU}\${PRODUCT}.lnk"
  Delete "${MENU}\${PLANT}.lnk"
  Delete "${MENU}\使用说明 README.lnk"
  Delete "${MENU}\命令行 kestrin-cli.lnk"
  RMDir "${MENU}"
  Delete "$INSTDIR\kestrin.exe"
  Delete "$INSTDIR\kestrin-cli.exe"
  Delete "$INSTDIR\kestrin-plant.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The empty folders above it that the setup created.
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "CreatedFolder"
  StrLen $R2 "$R0\"
  StrCpy $R3 $INSTDIR $R2
  ${If} $R0 != ""
  ${AndIf} $R3 == "$R0\"
    StrCpy $R1 $INSTDIR
    ${Do}
      ${GetParent} $R1 $R1
      RMDir $R1
    ${LoopUntil} $R1 == $R0
  ${EndIf}
  ReadRegDWORD $R0 HKLM "${UNINSTALL_KEY}" "AddedToPath"
  ${If} $R0 == 1
    ; Whole entries only, so C:\Kestrin leaves C:\Kestrin2 alone.
    ReadRegStr $R1 HKCU "Environment" "Path"
    ${un.WordReplace} ";$R1;" ";$INSTDIR;" ";" "+" $R1
    StrCpy $R1 $R1 -1 1
    ${If} $R1 == ""
      DeleteRegValue HKCU "Environment" "Path"
    ${Else}
      WriteRegExpandStr HKCU "Environment" "Path" $R1
    ${EndIf}
    SendMessage ${HWND_BROADCAST} ${WM_WININICHANGE} 0 "STR:Environment" /TIMEOUT=5000
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
