#include "installtheme.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "assert_report.h"
#include "package_paths.h"
#include "resource.h"
#include "switcher_globals.h"
#include "win_raii.h"

namespace {

struct ColourThemeFile {
  ThemeId id;
  const char* fileName;
};
constexpr ColourThemeFile kColourThemes[] = {
    {THEME_BLACK, kBlackThemeName}, {THEME_RED, kRedThemeName},     {THEME_WHITE, kWhiteThemeName},
    {THEME_BLUE, kBlueThemeName},   {THEME_GREEN, kGreenThemeName},
};

const char kMessageBoxTitle[] = "Tavol: The Corvane  Theme Switcher";

// Sets the theme directory and file for an id; false for an id outside the
// table. A directory too long for the file name to fit leaves the file name
// empty, which the existence check then reports as a missing file.
bool ResolveThemeFile(ThemeId themeId, ThemeFileRef* theme) {
  const char* fileName = nullptr;
  if (themeId == THEME_RESTORE || themeId == THEME_REVERT) {
    std::snprintf(theme->dir, sizeof theme->dir, "%s", g_switcher.programDir);
    fileName = themeId == THEME_RESTORE ? kRestoreThemeName : kBackupThemeName;
  } else {
    GetPrivateProfileStringA("Tavol", "switcher", "", theme->dir, sizeof theme->dir, "control.ini");
    if (theme->dir[0] == '\0') {
      std::snprintf(theme->dir, sizeof theme->dir, "%s", g_switcher.programDir);
    }
    for (const ColourThemeFile& colour : kColourThemes) {
      if (colour.id == themeId) fileName = colour.fileName;
    }
    if (!fileName) return false;
  }
  JoinPath(theme->path, sizeof theme->path, theme->dir, fileName);
  return true;
}

bool ThemeFileOpens(const char* path) {
  StdioFile file(path, "r");
  return static_cast<bool>(file);
}

void ReportMissingThemeFile(const InstallerState& state, const char* path) {
  char text[64 + kPathSize];
  std::snprintf(text, sizeof text, "Cannot find the theme file \n  %s", path);
  InstallMessageBox(state, text, kMessageBoxTitle, MB_ICONEXCLAMATION | MB_OK);
}

void InstallMadeWallpaper(const InstallerState& state) {
  RegKey desktop;
  desktop.OpenIfPresent(HKEY_CURRENT_USER, "Control Panel\\Desktop", KEY_SET_VALUE);
  ShowInstallStatus(state, "Installing the wallpaper...");
  SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(state.wallpaperPath),
                        SPIF_UPDATEINIFILE);
  desktop.SetString("Wallpaper", state.wallpaperPath);
}

}  // namespace

void ShowInstallStatus(const InstallerState& state, const char* text) {
  HWND status = GetDlgItem(state.window, IDC_STATUS);
  SetWindowTextA(status, text);
  UpdateWindow(status);
}

int InstallMessageBox(const InstallerState& state, const char* text, const char* title, UINT type) {
  KillTimer(state.window, ID_INSTALL_TIMER);
  int answer = MessageBoxA(state.window, text, title, type);
  SetTimer(state.window, ID_INSTALL_TIMER, 100, nullptr);
  return answer;
}

DWORD ReadThemeValue(const ThemeFileRef& theme, const char* section, const char* key,
                     const char* defaultValue, char* buffer, DWORD size) {
  return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, theme.path);
}

bool WriteThemeValue(const ThemeFileRef& theme, const char* section, const char* key,
                     const char* value) {
  return WritePrivateProfileStringA(section, key, value, theme.path) != FALSE;
}

int ExpandThemePath(const ThemeFileRef& theme, char* dest, const char* source) {
  char windowsDir[kPathSize];
  const bool known = GetWindowsDir(windowsDir, sizeof windowsDir);
  return ExpandThemeValue(dest, kPathSize, source, known ? windowsDir : nullptr, theme.dir);
}

int InstallTheme(InstallerState* state, ThemeId themeId, int useWallpaper, int useColors,
                 int useFonts, int useIcons, int useCursors, int useSounds, int useScreenSaver) {
  state->themeId = themeId;
  state->parts = ThemeParts{useWallpaper, useColors, useFonts,      useIcons,
                            useCursors,   useSounds, useScreenSaver};

  SetCapture(state->window);
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));

  state->wallpaperThread.reset();
  state->wallpaperPending = false;
  state->makerReport = std::make_shared<WallpaperMakerReport>();

  SetTimer(state->window, ID_INSTALL_TIMER, 100, nullptr);

  if (!ResolveThemeFile(themeId, &state->theme)) {
    Assert(0, "installtheme", 105, "InstallTheme: bad theme id");
  }

  if (state->theme.path[0] == '\0' || !ThemeFileOpens(state->theme.path)) {
    // Stage 2 still runs on the next tick to end the busy state; with no
    // parts chosen it applies nothing from the missing file.
    state->parts = ThemeParts{};
    ReportMissingThemeFile(*state, state->theme.path[0] ? state->theme.path : state->theme.dir);
    return 0;
  }

  if (state->parts.colors) {
    ShowInstallStatus(*state, "Setting desktop colors...");
    InstallColors(*state);
    UpdateWindow(state->window);
  }
  if (state->parts.fonts) {
    ShowInstallStatus(*state, "Setting desktop fonts...");
    InstallFonts(*state);
    UpdateWindow(state->window);
  }
  if (state->parts.wallpaper) {
    ShowInstallStatus(*state, "Changing the wallpaper...");
    InstallWallpaper(state, themeId);
  }
  return 1;
}

int FinishThemeInstall(InstallerState* state) {
  if (state->wallpaperPending) InstallMadeWallpaper(*state);
  if (state->parts.icons) {
    ShowInstallStatus(*state, "Changing the desktop icons...");
    InstallIcons(*state);
  }
  if (state->parts.cursors) {
    InstallCursors(*state);
    ShowInstallStatus(*state, "Changing the cursors...");
  }
  if (state->parts.sounds) {
    ShowInstallStatus(*state, "Setting the sounds...");
    InstallSounds(*state);
  }
  if (state->parts.screenSaver) {
    ShowInstallStatus(*state, "Setting the screen saver...");
    InstallScreenSaver(*state);
  }

  ReleaseCapture();
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));

  // The maker has ended (that is why stage 2 runs); its handle is done with.
  state->wallpaperThread.reset();
  state->wallpaperPending = false;

  SHChangeNotify(SHCNE_UPDATEIMAGE, SHCNF_IDLIST, nullptr, nullptr);
  return 1;
}

bool wallpaperThreadFinished(const InstallerState& state) {
  HANDLE thread = state.wallpaperThread.get();
  return thread == nullptr || WaitForSingleObject(thread, 10) == WAIT_OBJECT_0;
}

bool WallpaperDiskFull(const InstallerState& state) {
  return state.makerReport && state.makerReport->diskFull;
}
