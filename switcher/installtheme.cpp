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

InstallerState g_installer;

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
bool ResolveThemeFile(ThemeId themeId, InstallerState* state) {
  const char* fileName = nullptr;
  if (themeId == THEME_RESTORE || themeId == THEME_REVERT) {
    std::snprintf(state->themeDir, sizeof state->themeDir, "%s", g_switcher.programDir);
    fileName = themeId == THEME_RESTORE ? kRestoreThemeName : kBackupThemeName;
  } else {
    GetPrivateProfileStringA("Tavol", "switcher", "", state->themeDir, sizeof state->themeDir,
                             "control.ini");
    if (state->themeDir[0] == '\0') {
      std::snprintf(state->themeDir, sizeof state->themeDir, "%s", g_switcher.programDir);
    }
    for (const ColourThemeFile& theme : kColourThemes) {
      if (theme.id == themeId) fileName = theme.fileName;
    }
    if (!fileName) return false;
  }
  JoinPath(state->themeFile, sizeof state->themeFile, state->themeDir, fileName);
  return true;
}

bool ThemeFileOpens(const char* path) {
  StdioFile file(path, "r");
  return static_cast<bool>(file);
}

void ReportMissingThemeFile(const char* path) {
  char text[64 + kPathSize];
  std::snprintf(text, sizeof text, "Cannot find the theme file \n  %s", path);
  InstallMessageBox(text, kMessageBoxTitle, MB_ICONEXCLAMATION | MB_OK);
}

void InstallMadeWallpaper(const InstallerState& state) {
  RegKey desktop;
  desktop.Open(HKEY_CURRENT_USER, "Control Panel\\Desktop", KEY_SET_VALUE);
  ShowInstallStatus("Installing the wallpaper...");
  SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(state.wallpaperPath),
                        SPIF_UPDATEINIFILE);
  desktop.SetString("Wallpaper", state.wallpaperPath);
}

}  // namespace

InstallerState& Installer() {
  return g_installer;
}

void ShowInstallStatus(const char* text) {
  HWND status = GetDlgItem(g_switcher.hwndMain, IDC_STATUS);
  SetWindowTextA(status, text);
  UpdateWindow(status);
}

int InstallMessageBox(const char* text, const char* title, UINT type) {
  KillTimer(g_switcher.hwndMain, ID_INSTALL_TIMER);
  int answer = MessageBoxA(g_switcher.hwndMain, text, title, type);
  SetTimer(g_switcher.hwndMain, ID_INSTALL_TIMER, 100, nullptr);
  return answer;
}

DWORD ReadThemeValue(const char* section, const char* key, const char* defaultValue, char* buffer,
                     DWORD size) {
  return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, g_installer.themeFile);
}

bool WriteThemeValue(const char* section, const char* key, const char* value) {
  return WritePrivateProfileStringA(section, key, value, g_installer.themeFile) != FALSE;
}

int ExpandThemePath(char* dest, const char* source) {
  char windowsDir[kPathSize];
  const bool known = GetWindowsDir(windowsDir, sizeof windowsDir);
  return ExpandThemeValue(dest, kPathSize, source, known ? windowsDir : nullptr,
                          g_installer.themeDir);
}

int InstallTheme(ThemeId themeId, int useWallpaper, int useColors, int useFonts, int useIcons,
                 int useCursors, int useSounds, int useScreenSaver) {
  InstallerState& state = g_installer;
  state.themeId = themeId;
  state.parts = ThemeParts{useWallpaper, useColors, useFonts,      useIcons,
                           useCursors,   useSounds, useScreenSaver};

  SetCapture(g_switcher.hwndMain);
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));

  if (state.wallpaperThread) CloseHandle(state.wallpaperThread);
  state.wallpaperThread = nullptr;
  state.wallpaperPending = false;
  state.wallpaperDiskFull = false;

  SetTimer(g_switcher.hwndMain, ID_INSTALL_TIMER, 100, nullptr);

  if (!ResolveThemeFile(themeId, &state)) {
    Assert(0, "installtheme", 105, "InstallTheme: bad theme id");
  }

  if (state.themeFile[0] == '\0' || !ThemeFileOpens(state.themeFile)) {
    // Stage 2 still runs on the next tick to end the busy state; with no
    // parts chosen it applies nothing from the missing file.
    state.parts = ThemeParts{};
    ReportMissingThemeFile(state.themeFile[0] ? state.themeFile : state.themeDir);
    return 0;
  }

  if (state.parts.colors) {
    ShowInstallStatus("Setting desktop colors...");
    InstallColors();
    UpdateWindow(g_switcher.hwndMain);
  }
  if (state.parts.fonts) {
    ShowInstallStatus("Setting desktop fonts...");
    InstallFonts();
    UpdateWindow(g_switcher.hwndMain);
  }
  if (state.parts.wallpaper) {
    ShowInstallStatus("Changing the wallpaper...");
    InstallWallpaper(themeId);
  }
  return 1;
}

int FinishThemeInstall() {
  InstallerState& state = g_installer;
  if (state.wallpaperPending) InstallMadeWallpaper(state);
  if (state.parts.icons) {
    ShowInstallStatus("Changing the desktop icons...");
    InstallIcons();
  }
  if (state.parts.cursors) {
    InstallCursors();
    ShowInstallStatus("Changing the cursors...");
  }
  if (state.parts.sounds) {
    ShowInstallStatus("Setting the sounds...");
    InstallSounds();
  }
  if (state.parts.screenSaver) {
    ShowInstallStatus("Setting the screen saver...");
    InstallScreenSaver();
  }

  ReleaseCapture();
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));

  // The maker has ended (that is why stage 2 runs); its handle is done with.
  if (state.wallpaperThread) CloseHandle(state.wallpaperThread);
  state.wallpaperThread = nullptr;
  state.wallpaperPending = false;

  SHChangeNotify(SHCNE_UPDATEIMAGE, SHCNF_IDLIST, nullptr, nullptr);
  return 1;
}

bool wallpaperThreadFinished() {
  HANDLE thread = g_installer.wallpaperThread;
  return thread == nullptr || WaitForSingleObject(thread, 10) == WAIT_OBJECT_0;
}
