; The Windows installer of ranta2kv (makensis, run by tools/package-windows): one
; 32-bit installer, which runs on every Windows the programs support, for the
; current user, without administrator rights, into
; %LOCALAPPDATA%\Programs\ranta2kv: the 64-bit programs on a 64-bit (x64)
; Windows, the 32-bit ones elsewhere (a 32-bit Windows, or an ARM one, which runs
; them emulated); with a Start-menu shortcut, an entry under "Apps & features"
; and an uninstaller beside the programs. Russian, or English where Windows runs
; in another language. /S installs and uninstalls silently.
;
; Defined by the caller: VERSION (x.y.z), BIN_DIR_64 and BIN_DIR_32 (the .exe
; files of each), README (the README as text), ICON (the .ico), OUT_FILE;
; HAVE_WINDOW when they hold ranta2kv.exe (the window) beside ranta2kv-cli.exe.

Unicode true
Target x86-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include x64.nsh
!include WinVer.nsh

!define PRODUCT "Ранта+ DBF -> KV XML"
; A file name cannot hold ">": the shortcut is named after the window like this.
!define SHORTCUT "$SMPROGRAMS\Ранта+ DBF - KV XML.lnk"
!define PUBLISHER "ranta2kv developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ranta2kv"
!ifdef HAVE_WINDOW
  !define MAIN_EXE "ranta2kv.exe"
!else
  !define MAIN_EXE "ranta2kv-cli.exe"
!endif

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
InstallDir "$LOCALAPPDATA\Programs\ranta2kv"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "ranta2kv ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "ranta2kv"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "ranta2kv ${VERSION} setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "© 2026 ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!ifdef HAVE_WINDOW
  !define MUI_FINISHPAGE_RUN "$INSTDIR\ranta2kv.exe"
!endif
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one for a Windows in a language of neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Russian"

LangString WelcomeText ${LANG_ENGLISH} "This will install ${PRODUCT} ${VERSION}, which converts the DBF tables of a Ranta+ estimate into a KV XML estimate document.$\r$\n$\r$\nThe program is installed for you alone, in your user profile: no administrator rights are needed.$\r$\n$\r$\nClick Next to continue."
LangString WelcomeText ${LANG_RUSSIAN} "Будет установлена программа ${PRODUCT} ${VERSION}: она преобразует таблицы DBF сметы Ранта+ в XML-документ сметы KV XML.$\r$\n$\r$\nПрограмма устанавливается только для вас, в папку вашего профиля: права администратора не нужны.$\r$\n$\r$\nНажмите кнопку «Далее» для продолжения."
LangString ShortcutComment ${LANG_ENGLISH} "Converts the DBF tables of a Ranta+ estimate into KV XML"
LangString ShortcutComment ${LANG_RUSSIAN} "Преобразует таблицы DBF сметы Ранта+ в KV XML"

LangString NeedsWindows7 ${LANG_ENGLISH} "${PRODUCT} needs Windows 7 SP1 or later."
LangString NeedsWindows7 ${LANG_RUSSIAN} "Для программы ${PRODUCT} нужна Windows 7 SP1 или более поздняя."

; An older Windows is told so before any page (the programs are not made for it).
Function .onInit
  StrCpy $0 ""
  ${IfNot} ${AtLeastWin7}
    StrCpy $0 old
  ${ElseIf} ${IsWin7}
  ${AndIfNot} ${AtLeastServicePack} 1
    StrCpy $0 old
  ${EndIf}
  ${If} $0 == old
    MessageBox MB_ICONSTOP "$(NeedsWindows7)" /SD IDOK
    Abort
  ${EndIf}
FunctionEnd

; The programs of one word size, from BIN_DIR_64 or BIN_DIR_32.
!macro InstallPrograms BIN_DIR
!ifdef HAVE_WINDOW
  File "${BIN_DIR}/ranta2kv.exe"
!endif
  File "${BIN_DIR}/ranta2kv-cli.exe"
!macroend

Section "ranta2kv"
  SetOutPath "$INSTDIR"
  ${If} ${IsNativeAMD64}
    !insertmacro InstallPrograms "${BIN_DIR_64}"
  ${Else}
    !insertmacro InstallPrograms "${BIN_DIR_32}"
  ${EndIf}
  File "/oname=README.txt" "${README}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\${MAIN_EXE}" "" "$INSTDIR\${MAIN_EXE}" 0 SW_SHOWNORMAL "" "$(ShortcutComment)"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${MAIN_EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\ranta2kv.exe"
  Delete "$INSTDIR\ranta2kv-cli.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

