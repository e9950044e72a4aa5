; The Windows installer of Kestovar 3GP Video Converter. Made by
; scripts/windows/build.sh: makensis -DVERSION=... -DDIST=<laid-out folder>
; -DOUTFILE=... installer.nsi
;
; Installs for the current user (no administrator rights needed) into
; %LOCALAPPDATA%\Programs\Kestovar3GP, with a Start-menu shortcut and "Open with"
; entries for the video types the program reads. The uninstaller removes the
; program's files and those entries; the user's settings
; (HKCU\Software\Brenholt\Kestovar3GPVideoConverter) and converted clips stay.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"

!define PRODUCT "Kestovar 3GP Video Converter"
!define EXE "kestovar3gp.exe"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestovar3GPVideoConverter"
!define APPKEY "Software\Classes\Applications\${EXE}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kestovar3GP"
InstallDirRegKey HKCU "${UNINSTKEY}" "InstallLocation"
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
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

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
    WriteRegStr HKCU "${APPKEY}\SupportedTypes" "${EXT}" ""
    WriteRegStr HKCU "Software\Classes\${EXT}\OpenWithList\${EXE}" "" ""
!macroend

!macro RemoveOpenWith EXT
    DeleteRegKey HKCU "Software\Classes\${EXT}\OpenWithList\${EXE}"
    DeleteRegKey /ifempty HKCU "Software\Classes\${EXT}\OpenWithList"
    DeleteRegKey /ifempty HKCU "Software\Classes\${EXT}"
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
    WriteRegStr HKCU "${APPKEY}" "FriendlyAppName" "${PRODUCT}"
    WriteRegStr HKCU "${APPKEY}\DefaultIcon" "" '"$INSTDIR\${EXE}",0'
    WriteRegStr HKCU "${APPKEY}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'
    !insertmacro ForEachVideoType AddOpenWith

    WriteRegStr HKCU "${UNINSTKEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTKEY}" "Publisher" "Brenholt Software"
    WriteRegStr HKCU "${UNINSTKEY}" "DisplayIcon" '"$INSTDIR\${EXE}",0'
    WriteRegStr HKCU "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegDWORD HKCU "${UNINSTKEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTKEY}" "NoRepair" 1
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
    DeleteRegKey HKCU "${APPKEY}"
    DeleteRegKey HKCU "${UNINSTKEY}"
SectionEnd
