; The Windows installer of Kestovar 3GP Video Converter. Made by
; scripts/windows/build.sh: makensis -DVERSION=... -DDIST=<laid-out folder>
; -DOUTFILE=... installer.nsi
;
; A 64-bit installer, as the programs are. It installs either for the current
; user (no administrator rights needed) into %LOCALAPPDATA%\Programs\Kestovar3GP,
; or, for an administrator who chooses so, for all users into
; %ProgramFiles%\Kestovar3GP; with a Start-menu shortcut and "Open with" entries
; for the video types the program reads. "/CurrentUser" or "/AllUsers" on the
; command line chooses without the page (with /S, silently). The uninstaller
; removes the program's files and those entries; the user's settings
; (HKCU\Software\Brenholt\Kestovar3GPVideoConverter) and converted clips stay.

Target amd64-unicode
SetCompressor /SOLID lzma

!define EXE "kestovar3gp.exe"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestovar3GPVideoConverter"

; An administrator is asked which; anyone else installs for themselves.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "Kestovar3GP"
; An update, and the uninstaller, find the earlier installation's mode and
; folder by its entry in the list of installed programs.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTKEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTKEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include "MultiUser.nsh"
!include "MUI2.nsh"

!define PRODUCT "Kestovar 3GP Video Converter"
!define APPKEY "Software\Classes\Applications\${EXE}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "Brenholt Software"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${DIST}\kestovar3gp.ico"
!define MUI_UNICON "${DIST}\kestovar3gp.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${DIST}\COPYING.txt"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
    !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
    !insertmacro MULTIUSER_UNINIT
FunctionEnd

; The video types of the Linux desktop entry, by their usual extensions.
!macro ForEachVideoType CALL
    !insertmacro ${CALL} ".mpg"
    !insertmacro ${CALL} ".mpeg"
    !insertmacro ${CALL} ".vob"
    !insertmacro ${CALL} ".avi"
    !insertmacro ${CALL} ".wmv"
    !insertmacro ${CALL} ".asf"
    !insertmacro ${CALL} ".flv"
    !insertmacro ${CALL} ".mov"
    !insertmacro ${CALL} ".qt"
    !insertmacro ${CALL} ".3gp"
    !insertmacro ${CALL} ".3g2"
    !insertmacro ${CALL} ".mp4"
    !insertmacro ${CALL} ".m4v"
    !insertmacro ${CALL} ".mkv"
    !insertmacro ${CALL} ".webm"
    !insertmacro ${CALL} ".ts"
    !insertmacro ${CALL} ".m2ts"
    !insertmacro ${CALL} ".ogv"
!macroend

!macro AddOpenWith EXT
    WriteRegStr SHCTX "${APPKEY}\SupportedTypes" "${EXT}" ""
    WriteRegStr SHCTX "Software\Classes\${EXT}\OpenWithList\${EXE}" "" ""
!macroend

!macro RemoveOpenWith EXT
    DeleteRegKey SHCTX "Software\Classes\${EXT}\OpenWithList\${EXE}"
    DeleteRegKey /ifempty SHCTX "Software\Classes\${EXT}\OpenWithList"
    DeleteRegKey /ifempty SHCTX "Software\Classes\${EXT}"
!macroend

Section "Program" SecProgram
    SectionIn RO
    SetOutPath "$INSTDIR"
    File /r "${DIST}\*.*"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall.lnk" "$INSTDIR\uninstall.exe"

    ; "Open with": the program takes the clips it is given on its command line.
    ; SHCTX is HKCU for the current user and HKLM for all users.
    WriteRegStr SHCTX "${APPKEY}" "FriendlyAppName" "${PRODUCT}"
    WriteRegStr SHCTX "${APPKEY}\DefaultIcon" "" '"$INSTDIR\${EXE}",0'
    WriteRegStr SHCTX "${APPKEY}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'
    !insertmacro ForEachVideoType AddOpenWith

    WriteRegStr SHCTX "${UNINSTKEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTKEY}" "Publisher" "Brenholt Software"
    WriteRegStr SHCTX "${UNINSTKEY}" "DisplayIcon" '"$INSTDIR\${EXE}",0'
    WriteRegStr SHCTX "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
    ; The uninstaller is told the mode, in case the program is installed both ways.
    WriteRegStr SHCTX "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
    WriteRegDWORD SHCTX "${UNINSTKEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTKEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    ; The files the installer put there, by the list it was made with; the
    ; settings key and the output folder are the user's and stay.
    !include "${DIST_FILES}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\Uninstall.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"

    !insertmacro ForEachVideoType RemoveOpenWith
    DeleteRegKey SHCTX "${APPKEY}"
    DeleteRegKey SHCTX "${UNINSTKEY}"
SectionEnd
