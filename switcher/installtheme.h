// The theme installer: maps a theme id to its file and installs the chosen
// parts in two stages around the making of the wallpaper.
//
// Stage 1 (InstallTheme): colours, fonts, then the wallpaper step, which for
// a colour theme starts the wallpaper maker thread. The window the installer
// works for polls that thread on timer 1 and then runs stage 2
// (FinishThemeInstall): the made wallpaper, icons, cursors, sounds and the
// screen saver.
#pragma once

#include <windows.h>

#include <memory>

#include "theme/themefile.h"
#include "wallpaper.h"
#include "win_raii.h"

using ThemeId = int;
constexpr ThemeId THEME_BLACK = 100;
constexpr ThemeId THEME_RED = 101;
constexpr ThemeId THEME_WHITE = 102;
constexpr ThemeId THEME_BLUE = 103;
constexpr ThemeId THEME_GREEN = 104;
constexpr ThemeId THEME_REVERT = 121;   // "TavolBackup.theme"
constexpr ThemeId THEME_RESTORE = 200;  // "Restore.theme"

// The themes the switcher saved from the user's own settings: what they
// hold goes back as it was.
constexpr bool IsSavedTheme(ThemeId id) {
  return id == THEME_REVERT || id == THEME_RESTORE;
}

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

// The theme file an installation reads or a backup writes, and what
// "%ThemeDir%" stands for while it does.
struct ThemeFileRef {
  char dir[kPathSize] = "";
  char path[kPathSize] = "";  // empty: there is no file to use
};

// One installation, owned by the window it reports to: the status line (child
// IDC_STATUS), timer 1 and its message boxes belong to `window`.
struct InstallerState {
  HWND window = nullptr;
  ThemeId themeId = 0;  // of the running install
  ThemeFileRef theme;
  ThemeParts parts;  // of the running install; read by stage 2
  char wallpaperPath[kPathSize] = "";
  Handle wallpaperThread;         // the maker of this install, until stage 2
  bool wallpaperPending = false;  // this install started the maker: stage 2 installs its bitmap
  // What the maker thread reports back (see wallpaper.h for the hand-over).
  std::shared_ptr<WallpaperMakerReport> makerReport;
};

int InstallTheme(InstallerState* state, ThemeId themeId, int useWallpaper, int useColors,
                 int useFonts, int useIcons, int useCursors, int useSounds, int useScreenSaver);
int FinishThemeInstall(InstallerState* state);

// True when no wallpaper thread is recorded or a wait of at most 10 ms on it
// reports that it has ended.
bool wallpaperThreadFinished(const InstallerState& state);

// True when the maker of the running install found the disk full.
bool WallpaperDiskFull(const InstallerState& state);

// Steps. Each reads the installation's theme file and returns 1.
int InstallColors(const InstallerState& state);
int InstallFonts(const InstallerState& state);
int InstallWallpaper(InstallerState* state, ThemeId themeId);
int InstallIcons(const InstallerState& state);
int InstallCursors(const InstallerState& state);
int InstallSounds(const InstallerState& state);
int InstallEventSound(const InstallerState& state, const char* keyName);
int InstallScreenSaver(const InstallerState& state);

// Theme file access.
DWORD ReadThemeValue(const ThemeFileRef& theme, const char* section, const char* key,
                     const char* defaultValue, char* buffer, DWORD size);
bool WriteThemeValue(const ThemeFileRef& theme, const char* section, const char* key,
                     const char* value);

// Expands a leading "%WinDir%" or "%ThemeDir%" into dest (kPathSize bytes).
// Returns the length, or -1 when the result would be longer than 260
// characters or the Windows directory cannot be had; such a value must not
// be applied.
int ExpandThemePath(const ThemeFileRef& theme, char* dest, const char* source);

// Shows a progress text on the window's status line and repaints it.
void ShowInstallStatus(const InstallerState& state, const char* text);

// A message box owned by the window while an installation runs. Timer 1 is
// stopped while it is up, so no tick ends the cycle (and, with OK, the
// window and the box with it) before the user has answered; the cycle goes
// on after the answer.
int InstallMessageBox(const InstallerState& state, const char* text, const char* title, UINT type);
