#include "backup.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "assert_report.h"
#include "installtheme.h"
#include "package_paths.h"
#include "switcher_globals.h"
#include "theme/bytetokens.h"
#include "theme/themefile.h"
#include "win_raii.h"

namespace {

ThemeFileRef ThemeFileIn(const char* fileName) {
  ThemeFileRef theme;
  std::snprintf(theme.dir, sizeof theme.dir, "%s", g_switcher.programDir);
  // A program directory too long for the name leaves the file name empty:
  // nothing is written anywhere else by accident.
  JoinPath(theme.path, sizeof theme.path, g_switcher.programDir, fileName);
  return theme;
}

// Copies one registry string into the theme file; a value that cannot be
// read is written as empty.
void SaveRegistryValue(const ThemeFileRef& theme, const RegKey& key, const char* valueName,
                       DWORD size, const char* section, const char* themeKey) {
  char value[kPathSize];
  key.GetString(valueName, value, size);
  WriteThemeValue(theme, section, themeKey, value);
}

void SaveColors(const ThemeFileRef& theme) {
  RegKey key;
  key.OpenIfPresent(HKEY_CURRENT_USER, "Control Panel\\Colors", KEY_QUERY_VALUE);
  for (const ThemeColour& colour : kThemeColours) {
    SaveRegistryValue(theme, key, colour.name, kColourValueSize, kColorsSection, colour.name);
  }
}

void SaveMetrics(const ThemeFileRef& theme) {
  std::string text;
  text.reserve(kLongestMetricsText + 1);

  ThemeIconMetrics icon;
  std::memset(&icon, 0, sizeof icon);
  icon.cbSize = kIconMetricsBytes;
  if (SystemParametersInfoA(SPI_GETICONMETRICS, kIconMetricsBytes, &icon, 0)) {
    FormatIconMetrics(&text, icon);
  }
  WriteThemeValue(theme, kMetricsSection, "IconMetrics", text.c_str());

  text.clear();
  ThemeNonclientMetrics nonclient;
  std::memset(&nonclient, 0, sizeof nonclient);
  nonclient.cbSize = kNonclientMetricsBytes;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonclientMetricsBytes, &nonclient, 0)) {
    FormatNonclientMetrics(&text, nonclient);
  }
  WriteThemeValue(theme, kMetricsSection, "NonclientMetrics", text.c_str());
}

void SaveDesktop(const ThemeFileRef& theme) {
  static const char* const kValues[] = {"ScreenSaveActive", "TileWallpaper", "WallpaperStyle",
                                        "Pattern", "Wallpaper"};
  RegKey key;
  key.OpenIfPresent(HKEY_CURRENT_USER, "Control Panel\\Desktop", KEY_QUERY_VALUE);
  for (const char* name : kValues)
    SaveRegistryValue(theme, key, name, kPathSize, kDesktopSection, name);
  // Windows NT and Wine take the screen saver from here; the key is left out
  // when the system has none, so restoring can tell. A file left over from
  // an earlier run may still hold one: it goes, so the file says what the
  // system has now.
  char saver[kPathSize];
  const bool hasSaver = key.GetString("SCRNSAVE.EXE", saver, kPathSize);
  WriteThemeValue(theme, kDesktopSection, "SCRNSAVE.EXE", hasSaver ? saver : nullptr);
}

void SaveIcons(const ThemeFileRef& theme) {
  for (const char* section : {kMyComputerIconKey, kNetworkIconKey}) {
    RegKey key;
    key.OpenIfPresent(HKEY_CLASSES_ROOT, section, KEY_QUERY_VALUE);
    SaveRegistryValue(theme, key, nullptr, kPathSize, section, kDefaultValueKey);
  }
  {
    RegKey key;
    key.OpenIfPresent(HKEY_CLASSES_ROOT, kRecycleBinIconKey, KEY_QUERY_VALUE);
    SaveRegistryValue(theme, key, "full", kPathSize, kRecycleBinIconKey, "full");
    SaveRegistryValue(theme, key, "empty", kPathSize, kRecycleBinIconKey, "empty");
    SaveRegistryValue(theme, key, nullptr, kPathSize, kRecycleBinIconKey, kDefaultValueKey);
  }
  RegKey metrics;
  metrics.OpenIfPresent(HKEY_CURRENT_USER, "Control Panel\\Desktop\\WindowMetrics",
                        KEY_QUERY_VALUE);
  SaveRegistryValue(theme, metrics, "Shell Icon BPP", kPathSize, kMasterThemeSection,
                    "ThemeColorBPP");
}

void SaveCursors(const ThemeFileRef& theme) {
  RegKey key;
  key.OpenIfPresent(HKEY_CURRENT_USER, "Control Panel\\Cursors", KEY_QUERY_VALUE);
  for (const char* name : kCursorNames) {
    SaveRegistryValue(theme, key, name, kPathSize, kCursorsSection, name);
  }
  SaveRegistryValue(theme, key, nullptr, kPathSize, kCursorsSection, kDefaultValueKey);
}

void SaveEventSound(const ThemeFileRef& theme, const char* keyName) {
  RegKey key;
  key.OpenIfPresent(HKEY_CURRENT_USER, keyName, KEY_QUERY_VALUE);
  SaveRegistryValue(theme, key, nullptr, kPathSize, keyName, kDefaultValueKey);
}

void SaveSounds(const ThemeFileRef& theme) {
  for (const char* keyName : kSoundEventKeys) SaveEventSound(theme, keyName);
}

void SaveScreenSaver(const ThemeFileRef& theme) {
  char value[kPathSize];
  GetPrivateProfileStringA(kBootSection, "SCRNSAVE.EXE", "", value, sizeof value, "system.ini");
  WriteThemeValue(theme, kBootSection, "SCRNSAVE.EXE", value);
}

}  // namespace

void SaveThemeSettings(const ThemeFileRef& theme) {
  if (theme.path[0] == '\0') return;
  SaveColors(theme);
  SaveMetrics(theme);
  SaveDesktop(theme);
  SaveIcons(theme);
  SaveCursors(theme);
  SaveSounds(theme);
  SaveScreenSaver(theme);
}

int WriteBackupTheme() {
  SaveThemeSettings(ThemeFileIn(kBackupThemeName));
  return 1;
}

int WriteRestoreTheme() {
  SaveThemeSettings(ThemeFileIn(kRestoreThemeName));
  CopyWallpaperAtStart();
  return 1;
}

void CopyWallpaperAtStart() {
  char bitmapPath[kPathSize];
  char copyPath[kPathSize];
  if (!WindowsDirPath(bitmapPath, sizeof bitmapPath, kWallpaperBitmapName) ||
      !WindowsDirPath(copyPath, sizeof copyPath, kWallpaperCopyName)) {
    return;
  }

  StdioFile bitmap(bitmapPath, "rb");
  if (!bitmap) return;  // no wallpaper made yet: nothing to keep
  static const char kOutOfRoom[] =
      "Out of room on drive %c: for backup file\nPlease free some space and rerun the QvR Theme "
      "Switcher\n";
  StdioFile copy(copyPath, "wb");
  // Restoring would delete the bitmap in favour of a copy that was never made.
  Assert(static_cast<bool>(copy), nullptr, 0, kOutOfRoom, copyPath[0]);

  char buffer[4096];
  for (;;) {
    size_t got = std::fread(buffer, 1, sizeof buffer, bitmap.get());
    if (got == 0) break;
    size_t put = std::fwrite(buffer, 1, got, copy.get());
    Assert(put == got, nullptr, 0, kOutOfRoom, copyPath[0]);
  }
  Assert(std::fflush(copy.get()) == 0, nullptr, 0, kOutOfRoom, copyPath[0]);
}
