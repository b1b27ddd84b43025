; The Velkor setup program. tools/make_packages.py compiles it with:
;   VERSION   the program's version (from tc_version of text.xml)
;   SRCDIR    the program folder to install
;   OUTFILE   where the setup program goes
;   FILES_NSH a generated list of Delete lines for the program folder's top-level files
; Silent use: setup.exe /S [/CurrentUser | /AllUsers] [/D=C:\folder]   (/D last, unquoted)
;             Uninstall.exe /S   (keeps the user's profiles and macros)
; The program is 64-bit, and so is its setup (it runs where only 64-bit programs can).
Target amd64-unicode
SetCompressor /SOLID lzma

!define APPNAME "Velkor"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APPNAME}"
!define RUNKEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "${APPNAME} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${APPNAME} ${VERSION}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${APPNAME}"
!define MULTIUSER_USE_PROGRAMFILES64
; The uninstaller (and a later setup) finds the mode of the installation (all users or this user)
; and its folder from here.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTKEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTKEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh

!define MUI_ICON "${SRCDIR}\appico.ico"
!define MUI_UNICON "${SRCDIR}\appico.ico"
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Velkor.exe"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Var DataFolder

Section "Velkor (required)" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File /r "${SRCDIR}\*.*"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateDirectory "$SMPROGRAMS\${APPNAME}"
  CreateShortCut "$SMPROGRAMS\${APPNAME}\${APPNAME}.lnk" "$INSTDIR\Velkor.exe"
  CreateShortCut "$SMPROGRAMS\${APPNAME}\Uninstall ${APPNAME}.lnk" "$INSTDIR\Uninstall.exe"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayName" "${APPNAME} (Keyboard Driver)"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\Velkor.exe"
  WriteRegStr SHCTX "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTKEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTKEY}" "NoRepair" 1
SectionEnd

; The program starts hidden in the tray at log-in; the user opens it from there.
Section /o "Start at log-in (in the tray)" SecAutostart
  WriteRegStr SHCTX "${RUNKEY}" "${APPNAME}" '"$INSTDIR\Velkor.exe" /tray'
SectionEnd

Function .onInit
  ; A folder given with /D wins over the install mode's default folder.
  StrCpy $0 $INSTDIR
  !insertmacro MULTIUSER_INIT
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
  ; Profiles and macros live in the user's local application data under the configured appdir;
  ; read it while cfg.ini is still there.
  ReadINIStr $DataFolder "$INSTDIR\cfg.ini" "OPT" "appdir"
  ${If} $DataFolder == ""
    StrCpy $DataFolder "${APPNAME}"
  ${EndIf}
FunctionEnd

Section "un.Velkor (the program)" SecUnProgram
  SectionIn RO
  !include "${FILES_NSH}"
  RMDir /r "$INSTDIR\skins"
  Delete "$INSTDIR\lodrex-sim.log"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${APPNAME}\${APPNAME}.lnk"
  Delete "$SMPROGRAMS\${APPNAME}\Uninstall ${APPNAME}.lnk"
  RMDir "$SMPROGRAMS\${APPNAME}"
  DeleteRegValue SHCTX "${RUNKEY}" "${APPNAME}"
  DeleteRegKey SHCTX "${UNINSTKEY}"
SectionEnd

; Off unless the user ticks it: an uninstall keeps what the user made.
Section /o "un.My profiles and macros" SecUnData
  SetShellVarContext current
  Call un.DataFolderIsPlainName
  Pop $0
  ${If} $0 == 1
    RMDir /r "$LOCALAPPDATA\$DataFolder"
  ${EndIf}
SectionEnd

; 1 when the configured data folder is a plain folder name: never a path that could reach
; outside the user's application data.
Function un.DataFolderIsPlainName
  Push $1
  Push $2
  StrCpy $1 0
  ${If} $DataFolder == "."
  ${OrIf} $DataFolder == ".."
    Goto bad
  ${EndIf}
  loop:
    StrCpy $2 $DataFolder 1 $1
    StrCmp $2 "" good
    StrCmp $2 "\" bad
    StrCmp $2 "/" bad
    StrCmp $2 ":" bad
    IntOp $1 $1 + 1
    Goto loop
  good:
    Pop $2
    Pop $1
    Push 1
    Return
  bad:
    Pop $2
    Pop $1
    Push 0
FunctionEnd
