; The setup program: Quorvane-<version>-setup.exe. Built by scripts/package.sh, which passes
;   QV_ROOT   the source tree (for the version and the icon)
;   QV_STAGE  the folder holding exactly the files to install, and files.nsh, generated beside
;             them, whose two macros install and remove those files one by one
;   QV_OUT    the setup file to write
; Silent: "Quorvane-<version>-setup.exe /S [/D=folder]" and "Uninstall.exe /S".

Unicode true
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "${QV_STAGE}/files.nsh"

; The version as the program's version resource has it.
!searchparse /file "${QV_ROOT}/res/quorvane_version.h" `#define QV_VERSION_TEXT "` QV_VERSION `"`
!searchparse /file "${QV_ROOT}/res/quorvane_version.h" `#define QV_VERSION_MAJOR ` QV_MAJOR
!searchparse /file "${QV_ROOT}/res/quorvane_version.h" `#define QV_VERSION_MINOR ` QV_MINOR
!searchparse /file "${QV_ROOT}/res/quorvane_version.h" `#define QV_VERSION_RELEASE ` QV_RELEASE
!searchparse /file "${QV_ROOT}/res/quorvane_version.h" `#define QV_VERSION_BUILD ` QV_BUILD

!define QV_NAME "Quorvane"
!define QV_PUBLISHER "Quorvane"
!define QV_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvane"
!define QV_UNINSTALLER "Uninstall.exe"
; The window class of the main window: a running copy would keep its files, and a copy started
; in a start mode beside it would only bring the running one to the front.
!define QV_MAIN_CLASS "TFFoxForm"

Name "${QV_NAME} ${QV_VERSION}"
OutFile "${QV_OUT}"
InstallDir "$PROGRAMFILES\Quorvane"
InstallDirRegKey HKLM "${QV_UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "${QV_NAME} ${QV_VERSION}"

VIProductVersion "${QV_MAJOR}.${QV_MINOR}.${QV_RELEASE}.${QV_BUILD}"
VIAddVersionKey /LANG=1033 "ProductName" "${QV_NAME}"
VIAddVersionKey /LANG=1033 "CompanyName" "${QV_PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${QV_NAME} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${QV_VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${QV_VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${QV_PUBLISHER}"

!define MUI_ICON "${QV_ROOT}/res/quorvane.ico"
!define MUI_UNICON "${QV_ROOT}/res/quorvane.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Waits for the user to close a running Quorvane; in a silent run, or on Cancel, gives up.
!macro QV_REFUSE_WHILE_RUNNING
  ${Do}
    FindWindow $0 "${QV_MAIN_CLASS}"
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION \
      "Quorvane is running.$\r$\n$\r$\nClose it, then press OK to go on." /SD IDCANCEL IDOK +2
    Abort
  ${Loop}
!macroend

Function .onInit
  !insertmacro QV_REFUSE_WHILE_RUNNING
FunctionEnd

Function un.onInit
  !insertmacro QV_REFUSE_WHILE_RUNNING
FunctionEnd

Section "Quorvane" SecProgram
  SectionIn RO
  ; Shortcuts for every user of the machine, like the program folder itself.
  SetShellVarContext all

  !insertmacro QV_INSTALL_FILES
  WriteUninstaller "$INSTDIR\${QV_UNINSTALLER}"

  ; The working folder of the shortcuts is the output folder at the time they are made.
  SetOutPath "$INSTDIR"
  CreateDirectory "$SMPROGRAMS\Quorvane"
  CreateShortcut "$SMPROGRAMS\Quorvane\Quorvane.lnk" "$INSTDIR\Quorvane.exe" "" \
    "$INSTDIR\VaskQuor1.ico" 0 SW_SHOWNORMAL "" "Purge Cache, Cookies and Tracks"
  CreateShortcut "$SMPROGRAMS\Quorvane\Quorvane Help.lnk" "$INSTDIR\Quorvane.chm"
  CreateShortcut "$SMPROGRAMS\Quorvane\Uninstall Quorvane.lnk" "$INSTDIR\${QV_UNINSTALLER}"
  ; The same shortcut the program's "Quorvane" button makes, on the shared desktop.
  CreateShortcut "$DESKTOP\Quorvane.lnk" "$INSTDIR\Quorvane.exe" "" \
    "$INSTDIR\VaskQuor1.ico" 0 SW_SHOWNORMAL "" "Purge Cache, Cookies and Tracks"

  WriteRegStr HKLM "${QV_UNINSTALL_KEY}" "DisplayName" "${QV_NAME}"
  WriteRegStr HKLM "${QV_UNINSTALL_KEY}" "DisplayVersion" "${QV_VERSION}"
  WriteRegStr HKLM "${QV_UNINSTALL_KEY}" "Publisher" "${QV_PUBLISHER}"
  WriteRegStr HKLM "${QV_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quorvane.exe,0"
  WriteRegStr HKLM "${QV_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${QV_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${QV_UNINSTALLER}"'
  WriteRegStr HKLM "${QV_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${QV_UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${QV_UNINSTALL_KEY}" "VersionMajor" ${QV_MAJOR}
  WriteRegDWORD HKLM "${QV_UNINSTALL_KEY}" "VersionMinor" ${QV_MINOR}
  WriteRegDWORD HKLM "${QV_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${QV_UNINSTALL_KEY}" "NoRepair" 1

  ; First start after installation: the manifest to its names, the user's duplicate of the
  ; desktop shortcut away.
  ExecWait '"$INSTDIR\Quorvane.exe" INIT'

  ; In kilobytes, as the list of installed programs shows it.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${QV_UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext all

  ; The program's own clean-up first: its Run-key value, its data files and data folder.
  ${If} ${FileExists} "$INSTDIR\Quorvane.exe"
    ExecWait '"$INSTDIR\Quorvane.exe" UNINST'
  ${EndIf}

  Delete "$DESKTOP\Quorvane.lnk"
  Delete "$SMPROGRAMS\Quorvane\Quorvane.lnk"
  Delete "$SMPROGRAMS\Quorvane\Quorvane Help.lnk"
  Delete "$SMPROGRAMS\Quorvane\Uninstall Quorvane.lnk"
  RMDir "$SMPROGRAMS\Quorvane"

  ; Exactly the installed files, and the manifest names the first start and the themes choice
  ; copy the installed manifest to; a folder that still holds the user's files stays.
  !insertmacro QV_REMOVE_FILES
  Delete "$INSTDIR\Quorvane.exe.ManifesT"
  Delete "$INSTDIR\Quorvane.exe.ManifesX"
  Delete "$INSTDIR\${QV_UNINSTALLER}"
  RMDir "$INSTDIR"

  DeleteRegKey HKLM "${QV_UNINSTALL_KEY}"
SectionEnd
