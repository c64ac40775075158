; Desktop Lumivex setup. Puts the package where its programs look for it:
;   <system drive>\Program Files\Plus!\Themes   the switcher, the five theme
;                                               files, their pointers, icons and
;                                               sounds ("Tavol"), "WALLART\PALALL9.TR"
;   <Windows>\TAVOL                             the art and its colour tables
;   <Windows>\Tavol The Corvane.scr, qvr-kill.exe   the screen saver and the
;                                               uninstaller
; and records it: control.ini [Tavol] "switcher", the Orvello keys, the entry
; "QvRThemes" in the list of installed programs, a Start menu group.
;
;   makensis -DARCH=amd64|x86 -DTREE=<package tree> -DPROGRAMS=<programs of that
;            architecture> -DOUTFILE=<setup.exe> setup.nsi
; A setup program carries the programs of its own architecture: the 64-bit
; one for 64-bit Windows (and Wine), the 32-bit one for 32-bit Windows from
; Windows 95 on. Each records its keys in the registry view its programs
; read. It runs silently with /S.
SetCompressor /SOLID lzma

!ifndef ARCH
  !error "ARCH must be amd64 or x86"
!endif
!ifndef TREE
  !error "TREE must name the folder tree of the installed files"
!endif
!ifndef PROGRAMS
  !error "PROGRAMS must name the folder of the programs to install"
!endif
!ifndef OUTFILE
  !define OUTFILE "DesktopLumivexSetup.exe"
!endif
!if ${ARCH} == x86
  ; The ANSI stub: Windows 95, 98 and Me have the "W" functions only as
  ; stubs that fail.
  Target x86-ansi
!else
  Target amd64-unicode
!endif

!define PACKAGE "${TREE}\Program Files\Plus!\Themes"
!define WINDOWS "${TREE}\Windows"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\QvRThemes"
!define ORVELLO_KEY "SOFTWARE\Orvello\TavolTheCorvane"

Name "Desktop Lumivex"
Caption "Desktop Lumivex Setup"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
ShowInstDetails show
BrandingText "Orvello"
VIProductVersion "1.0.0.0"
VIAddVersionKey "ProductName" "Desktop Lumivex"
VIAddVersionKey "CompanyName" "Orvello"
VIAddVersionKey "FileDescription" "Desktop Lumivex Setup"
VIAddVersionKey "FileVersion" "1.0.0.0"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 Orvello"

Page instfiles

; The file the runtime check looks for (a check of the check names one that
; no system has).
!ifndef RUNTIME_FILE
  !define RUNTIME_FILE msvcrt.dll
!endif

Function .onInit
!if ${ARCH} == x86
  ; The programs need the C runtime MSVCRT.DLL, which Windows 98 and later
  ; carry and a Windows 95 system may lack; without it none of them starts.
  ; Then nothing is installed at all.
  IfFileExists "$SYSDIR\${RUNTIME_FILE}" runtime_found
    MessageBox MB_OK|MB_ICONSTOP "Desktop Lumivex needs the Microsoft C runtime library MSVCRT.DLL in $SYSDIR, and this Windows does not have it.$\r$\n$\r$\nWindows 98 and later have it. On Windows 95, install the Microsoft Visual C++ 6.0 runtime (the Visual C++ 6.0 redistributable, VCREDIST.EXE), then run this setup again.$\r$\n$\r$\nNothing has been installed." /SD IDOK
    SetErrorLevel 3
    Abort
  runtime_found:
!endif
  ; The package directory is fixed: the uninstaller and the switcher's users
  ; know it as <system drive>\Program Files\Plus!\Themes.
  StrCpy $0 $WINDIR 2
  StrCpy $INSTDIR "$0\Program Files\Plus!\Themes"
  SetShellVarContext all
FunctionEnd

Section "Desktop Lumivex"
  SetOutPath "$INSTDIR"
  File "${PROGRAMS}\switcher.exe"
  File "${PACKAGE}\Tavol The Corvane WHITE.theme"
  File "${PACKAGE}\Tavol The Corvane BLUE.theme"
  File "${PACKAGE}\Tavol The Corvane BLACK.theme"
  File "${PACKAGE}\Tavol The Corvane RED.theme"
  File "${PACKAGE}\Tavol The Corvane GREEN.theme"
  SetOutPath "$INSTDIR\Tavol"
  File "${PACKAGE}\Tavol\*.*"
  SetOutPath "$INSTDIR\WALLART"
  File "${PACKAGE}\WALLART\PALALL9.TR"

  SetOutPath "$WINDIR\TAVOL"
  File "${WINDOWS}\TAVOL\*.*"
  SetOutPath "$WINDIR"
  File "${PROGRAMS}\Tavol The Corvane.scr"
  File "${PROGRAMS}\qvr-kill.exe"

  ; Where the switcher finds the colour themes.
  WriteINIStr "$WINDIR\control.ini" "Tavol" "switcher" "$INSTDIR"

  WriteRegStr HKLM "${ORVELLO_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${ORVELLO_KEY}" "Version" "1.0"
  WriteRegStr HKLM "${ORVELLO_KEY}\DesktopThemes" "Themes" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Desktop Lumivex"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "1.0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Orvello"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\switcher.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$WINDIR\qvr-kill.exe"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  CreateDirectory "$SMPROGRAMS\Tavol The Corvane"
  CreateShortCut "$SMPROGRAMS\Tavol The Corvane\Desktop Lumivex.lnk" "$INSTDIR\switcher.exe"
  CreateShortCut "$SMPROGRAMS\Tavol The Corvane\Uninstall Desktop Lumivex.lnk" "$WINDIR\qvr-kill.exe"
SectionEnd
