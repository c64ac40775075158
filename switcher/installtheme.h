// The theme installer: maps a theme id to its file and installs the chosen
// parts in two stages around the making of the wallpaper.
//
// Stage 1 (InstallTheme): colours, fonts, then the wallpaper step, which for
// a colour theme starts the wallpaper maker thread. The main window polls for
// that thread on timer 1 and then runs stage 2 (FinishThemeInstall): the made
// wallpaper, icons, cursors, sounds and the screen saver.
#pragma once

#include <windows.h>

#include <atomic>

#include "theme/themefile.h"

using ThemeId = int;
constexpr ThemeId THEME_BLACK = 100;
constexpr ThemeId THEME_RED = 101;
constexpr ThemeId THEME_WHITE = 102;
constexpr ThemeId THEME_BLUE = 103;
constexpr ThemeId THEME_GREEN = 104;
constexpr ThemeId THEME_REVERT = 121;   // "TavolBackup.theme"
constexpr ThemeId THEME_RESTORE = 200;  // "Restore.theme"

// The seven part flags, in argument order.
struct ThemeParts {
  int wallpaper = 0;
  int colors = 0;
  int fonts = 0;
  int icons = 0;
  int cursors = 0;
  int sounds = 0;
  int screenSaver = 0;
};

// Module state shared by the install and save steps.
struct InstallerState {
  ThemeId themeId = 0;             // of the running install
  char themeDir[kPathSize] = "";   // what "%ThemeDir%" stands for
  char themeFile[kPathSize] = "";  // read by the install steps, written by the save steps
  ThemeParts parts;                // of the running install; read by stage 2
  char wallpaperPath[kPathSize] = "";
  HANDLE wallpaperThread = nullptr;
  bool wallpaperPending = false;  // this install started the maker: stage 2 installs its bitmap
  // Set by the maker thread when the disk filled up, before it posts Cancel
  // to the main window; read by the main window when that Cancel arrives.
  // Tells the maker's Cancel from a user's while an installation runs.
  std::atomic<bool> wallpaperDiskFull{false};
};

InstallerState& Installer();

int InstallTheme(ThemeId themeId, int useWallpaper, int useColors, int useFonts, int useIcons,
                 int useCursors, int useSounds, int useScreenSaver);
int FinishThemeInstall();

// Steps. Each reads the current theme file and returns 1.
int InstallColors();
int InstallFonts();
int InstallWallpaper(ThemeId themeId);
int InstallIcons();
int InstallCursors();
int InstallSounds();
int InstallEventSound(const char* keyName);
int InstallScreenSaver();

// Theme file access, always on the current theme file.
DWORD ReadThemeValue(const char* section, const char* key, const char* defaultValue, char* buffer,
                     DWORD size);
bool WriteThemeValue(const char* section, const char* key, const char* value);

// Expands a leading "%WinDir%" or "%ThemeDir%" into dest (kPathSize bytes).
// Returns the length, or -1 when the result would be longer than 260
// characters or the Windows directory cannot be had; such a value must not
// be applied.
int ExpandThemePath(char* dest, const char* source);

// Shows a progress text on the main window's status line and repaints it.
void ShowInstallStatus(const char* text);

// A message box owned by the main window while an installation runs. Timer 1
// is stopped while it is up, so no tick ends the cycle (and, with OK, the
// window and the box with it) before the user has answered; the cycle goes
// on after the answer.
int InstallMessageBox(const char* text, const char* title, UINT type);
