// The desktop behind the windows: the wallpaper step of stage 1 and the
// screen-saver step of stage 2.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "installtheme.h"
#include "package_paths.h"
#include "wallpaper.h"
#include "win_raii.h"

namespace {

const char kDesktopKey[] = "Control Panel\\Desktop";
const char kSaverKey[] = "SCRNSAVE.EXE";

// Read with a default that a theme value cannot hold, to tell a missing key.
const char kMissing[] = "\x01";

const char* ColourWord(ThemeId themeId) {
  switch (themeId) {
    case THEME_BLACK:
      return "BLACK";
    case THEME_RED:
      return "RED";
    case THEME_BLUE:
      return "BLUE";
    case THEME_GREEN:
      return "GREEN";
  }
  return "WHITE";
}

// The recorded wallpaper of the backup or start-up file, installed as it is.
void InstallRecordedWallpaper(const ThemeFileRef& theme, RegKey* desktop) {
  char wallpaper[kPathSize];
  ReadThemeValue(theme, kDesktopSection, "Wallpaper", "", wallpaper, sizeof wallpaper);
  SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, wallpaper, SPIF_UPDATEINIFILE);
  desktop->SetString("Wallpaper", wallpaper);
}

// Puts the start-up copy of the made bitmap back in its place.
void RestoreBitmapAtStart() {
  char bitmap[kPathSize], copy[kPathSize];
  if (!WindowsDirPath(bitmap, sizeof bitmap, kWallpaperBitmapName) ||
      !WindowsDirPath(copy, sizeof copy, kWallpaperCopyName)) {
    return;
  }
  DeleteFileA(bitmap);
  MoveFileA(copy, bitmap);  // no copy: the bitmap did not exist at start
}

// Windows NT and Wine take the saver from the user's desktop settings, not
// from system.ini. The backup and start-up files carry that value too (key
// "SCRNSAVE.EXE" of their desktop section, absent when the system had none);
// colour themes name the saver in [boot] only.
void InstallSaverSetting(const InstallerState& state, const char* shortPath) {
  RegKey desktop;
  if (!desktop.Open(HKEY_CURRENT_USER, kDesktopKey, KEY_SET_VALUE)) return;
  const ThemeId themeId = state.themeId;
  if (themeId != THEME_REVERT && themeId != THEME_RESTORE) {
    desktop.SetString(kSaverKey, shortPath);
    return;
  }
  char recorded[kPathSize];
  ReadThemeValue(state.theme, kDesktopSection, kSaverKey, kMissing, recorded, sizeof recorded);
  if (std::strcmp(recorded, kMissing) == 0) {
    RegDeleteValueA(desktop.get(), kSaverKey);
  } else {
    desktop.SetString(kSaverKey, recorded);
  }
}

}  // namespace

int InstallWallpaper(InstallerState* state, ThemeId themeId) {
  RegKey desktop;
  desktop.OpenIfPresent(HKEY_CURRENT_USER, kDesktopKey, KEY_SET_VALUE);
  static const struct {
    const char* name;
    const char* defaultValue;
  } kValues[] = {{"ScreenSaveActive", "1"},
                 {"TileWallpaper", "0"},
                 {"WallpaperStyle", "2"},
                 {"Pattern", "(None)"}};
  for (const auto& v : kValues) {
    char value[kPathSize];
    ReadThemeValue(state->theme, kDesktopSection, v.name, v.defaultValue, value, sizeof value);
    desktop.SetString(v.name, value);
  }

  state->wallpaperPending = false;
  if (themeId == THEME_RESTORE) {
    RestoreBitmapAtStart();
    InstallRecordedWallpaper(state->theme, &desktop);
  } else if (themeId == THEME_REVERT) {
    InstallRecordedWallpaper(state->theme, &desktop);
  } else {
    ShowInstallStatus(*state, "Creating the wallpaper...");
    if (!WindowsDirPath(state->wallpaperPath, sizeof state->wallpaperPath, kWallpaperBitmapName)) {
      return 1;  // no place for the bitmap: the current wallpaper stays
    }
    state->wallpaperThread.reset(
        StartWallpaperMaker(*state, ColourWord(themeId), state->wallpaperPath));
    state->wallpaperPending = true;
  }
  return 1;
}

int InstallScreenSaver(const InstallerState& state) {
  char value[kPathSize];
  ReadThemeValue(state.theme, kBootSection, kSaverKey, "", value, sizeof value);
  char saver[kPathSize];
  if (ExpandThemePath(state.theme, saver, value) < 0)
    return 1;  // too long: the current saver stays
  GetShortPathNameA(saver, saver, kPathSize - 1);
  WritePrivateProfileStringA(kBootSection, kSaverKey, saver, "system.ini");
  InstallSaverSetting(state, saver);
  // Active for this session as the theme has it (the user's own saved
  // setting may be off); a colour theme without the value turns it on.
  char active[8];
  ReadThemeValue(state.theme, kDesktopSection, "ScreenSaveActive", "1", active, sizeof active);
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, lstrcmpA(active, "0") != 0, nullptr, 0);
  return 1;
}
